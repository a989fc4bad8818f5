#include "scriptedinteraction.h"

#include <QTest>

bool ScriptedInteraction::verifyAllAnswersUsed() const
{
    if (!mAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("%1 scripted answer(s) left unused").arg(mAnswers.size())),
                     __FILE__, __LINE__);
        return false;
    }
    return true;
}

QString ScriptedInteraction::takeAnswer(const Box& box)
{
    if (mAnswers.isEmpty() && policy)
        return policy(box);
    if (mAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected box without a scripted answer: %1 / %2")
                                    .arg(box.title, box.text)),
                     __FILE__, __LINE__);
        return QString();
    }
    return mAnswers.dequeue();
}

bool ScriptedInteraction::askYesNo(Icon icon, const QString& title, const QString& text, Button defaultButton,
                                   const QString& details)
{
    const QString defaultText = defaultButton == Button::Yes ? QStringLiteral("Yes") : QStringLiteral("No");
    Box box{Kind::YesNo, icon, title, text, {QStringLiteral("Yes"), QStringLiteral("No")}, defaultText, details};
    mBoxes.append(box);
    QString answer = takeAnswer(box);
    if (answer == QLatin1String("<default>"))
        answer = defaultText;
    if (answer != QLatin1String("Yes") && answer != QLatin1String("No"))
        QTest::qFail(qPrintable(QStringLiteral("Yes/No box answered with '%1'").arg(answer)), __FILE__,
                     __LINE__);
    return answer == QLatin1String("Yes");
}

QString ScriptedInteraction::askChoice(const QString& title, const QString& text,
                                       const QStringList& choices, Icon icon)
{
    Box box{Kind::Choice, icon, title, text, choices, {}, {}};
    mBoxes.append(box);
    const QString answer = takeAnswer(box);
    if (!answer.isEmpty() && !choices.contains(answer))
        QTest::qFail(qPrintable(QStringLiteral("'%1' is not one of the offered choices").arg(answer)),
                     __FILE__, __LINE__);
    return answer;
}
