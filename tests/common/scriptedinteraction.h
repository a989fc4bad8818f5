#pragma once

#include "userinteraction.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

// Test implementation of the modal seam. Every box the code under test asks
// for is recorded (kind, title, text, buttons) in order. Questions, choices
// and folder dialogs take their answers from a queue, else from the policy
// when one is set; an unexpected question (neither) fails the running test,
// and so does an answer left unused when the object is checked with
// verifyAllAnswersUsed().
class ScriptedInteraction : public UserInteraction
{
public:
    enum class Kind { Critical, Information, YesNo, Choice, Folder };

    struct Box
    {
        Kind kind;
        Icon icon;
        QString title;
        QString text;
        QStringList buttons;
        QString defaultButton; // "Yes" or "No" for a Yes/No box
        QString details;       // detailed text of a Yes/No box
    };

    // Installs itself as the interaction in force; the destructor restores
    // the previous fallback.
    ScriptedInteraction() { setUserInteraction(this); }
    ~ScriptedInteraction() override { setUserInteraction(nullptr); }

    // Queue answers, consumed in order by the next question of any kind.
    void answerYes() { mAnswers.enqueue(QStringLiteral("Yes")); }
    void answerNo() { mAnswers.enqueue(QStringLiteral("No")); }
    // Enter: whatever the box's default button is.
    void answerDefault() { mAnswers.enqueue(QStringLiteral("<default>")); }
    void answerChoice(const QString& choice) { mAnswers.enqueue(choice); }
    void answerFolder(const QString& folder) { mAnswers.enqueue(folder); }
    // A cancelled folder dialog / a choice box closed without a choice.
    void answerCancel() { mAnswers.enqueue(QString()); }

    // Answers a question when no scripted answer is queued.
    std::function<QString(const Box&)> policy;

    const QList<Box>& boxes() const { return mBoxes; }
    void clear()
    {
        mBoxes.clear();
        mAnswers.clear();
    }
    // The title of every box, in order: handy for QCOMPARE of a whole conversation.
    QStringList titles() const
    {
        QStringList out;
        for (const Box& b : mBoxes)
            out << b.title;
        return out;
    }
    // Fails the running test if any queued answer was not used.
    bool verifyAllAnswersUsed() const;

    void critical(const QString& title, const QString& text) override
    {
        mBoxes.append({Kind::Critical, Icon::Critical, title, text, {QStringLiteral("OK")}, {}, {}});
    }
    void information(const QString& title, const QString& text) override
    {
        mBoxes.append({Kind::Information, Icon::Information, title, text, {QStringLiteral("OK")}, {}, {}});
    }
    bool askYesNo(Icon icon, const QString& title, const QString& text, Button defaultButton,
                  const QString& details) override;
    QString askChoice(const QString& title, const QString& text, const QStringList& choices,
                      Icon icon) override;
    QString selectFolder(QWidget*, const QString& caption) override
    {
        const Box box{Kind::Folder, Icon::NoIcon, caption, QString(), {}, {}, {}};
        mBoxes.append(box);
        return takeAnswer(box);
    }

private:
    QString takeAnswer(const Box& box);

    QList<Box> mBoxes;
    QQueue<QString> mAnswers;
};
