// Generation never loses or cuts a file. tarvex-gen generate is stopped at
// every single write of a regeneration, once by a kill half-way through the
// write and once by a full disk; afterwards every file must be its old bytes
// or its complete new bytes, a full disk must be reported with the path and
// never as a success, and the next run must restore the project exactly.
// Links and special files where the generator would write or delete stop the
// run before anything is written, and backups never replace each other.

#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace workflowtest;

namespace {

// The temporary file of an interrupted atomic write: a file of the new
// project with a dot and six characters appended.
bool isLeftover(const QString& rel, const QMap<QString, QByteArray>& fresh)
{
    static const QRegularExpression pattern(QStringLiteral("^(.+)\\.[A-Za-z0-9]{6}$"));
    const QRegularExpressionMatch m = pattern.match(rel);
    return m.hasMatch() && fresh.contains(m.captured(1));
}

QMap<QString, QByteArray> withoutLeftovers(QMap<QString, QByteArray> m, const QMap<QString, QByteArray>& fresh)
{
    for (const QString& key : m.keys())
        if (!fresh.contains(key) && isLeftover(key, fresh))
            m.remove(key);
    return m;
}

} // namespace

class TstWriteSafety : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mWork;
    QString mOld;   // the project before the regeneration
    QString mFresh; // the same project after an undisturbed regeneration
    QMap<QString, QByteArray> mOldState;
    QMap<QString, QByteArray> mFreshState;

private slots:
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        // A generated project with the developer's code in three sections,
        // one of which the regeneration no longer has (so a backup is made).
        mOld = mWork.path() + QStringLiteral("/old");
        QVERIFY(QDir().mkpath(mOld));
        QVERIFY(writeSettings(mOld, {QStringLiteral("SMS_Send"), QStringLiteral("RSSI")}));
        QCOMPARE(runTool({QStringLiteral("generate"), mOld}).status, 0);
        const QString sourcePath = mOld + QStringLiteral("/gsm_manager.c");
        QVERIFY(setSectionInFile(sourcePath, "Init", "    startUart(); /* mine */"));
        QVERIFY(setSectionInFile(sourcePath, "Poll", QString(40000, QLatin1Char('x'))));
        QVERIFY(setSectionInFile(sourcePath, "gsmSmsSendEventHandler", "    sent();"));
        QVERIFY(writeSettings(mOld, {QStringLiteral("SMS_Read"), QStringLiteral("RSSI"), QStringLiteral("USSD")}));
        mOldState = snapshot(mOld);

        mFresh = mWork.path() + QStringLiteral("/fresh");
        QVERIFY(copyTree(mOld, mFresh));
        QTemporaryDir backups;
        QCOMPARE(runTool({QStringLiteral("generate"), mFresh, QStringLiteral("--backup-dir"), backups.path()}).status,
                 0);
        mFreshState = snapshot(mFresh);
        QVERIFY(mFreshState != mOldState);
        QVERIFY(mFreshState.value(QStringLiteral("gsm_manager.c")).contains("startUart(); /* mine */"));
    }

    void interruptedAtEveryWrite_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("killed half-way through the write") << QByteArray("TARVEX_TEST_CRASH_WRITE");
        QTest::newRow("disk full at the write") << QByteArray("TARVEX_TEST_FAIL_WRITE");
    }

    void interruptedAtEveryWrite()
    {
        QFETCH(QByteArray, fault);
        const bool killed = fault == "TARVEX_TEST_CRASH_WRITE";
        int write = 1;
        for (;; ++write) {
            QTemporaryDir project, backups;
            QVERIFY(copyTree(mOld, project.path()));
            const QStringList args = {QStringLiteral("generate"), project.path(), QStringLiteral("--backup-dir"),
                                      backups.path()};
            const ToolRun r = runTool(args, fault, write);
            const QString where = QStringLiteral("write %1: ").arg(write);
            if (r.status == 0) {
                // Past the last write: the run was undisturbed.
                QCOMPARE(snapshot(project.path()), mFreshState);
                break;
            }
            QVERIFY2(write < 200, "the fault never stopped happening");
            if (killed) {
                QVERIFY2(r.status == 137, qPrintable(where + r.err));
            } else {
                QVERIFY2(r.status == 1, qPrintable(where + r.err));
                QVERIFY2(r.err.contains(QStringLiteral("No space left on device")) &&
                             (r.err.contains(QStringLiteral("'") + project.path() + QLatin1Char('/')) ||
                              r.err.contains(QStringLiteral("'") + backups.path() + QLatin1Char('/'))),
                         qPrintable(where + r.err));
                QVERIFY2(!r.err.contains(QStringLiteral("Code generated successfully")), qPrintable(where + r.err));
            }

            // Every entry is old or complete new; nothing is cut.
            const QMap<QString, QByteArray> after = snapshot(project.path());
            for (auto it = after.cbegin(); it != after.cend(); ++it) {
                const bool asBefore = mOldState.contains(it.key()) && mOldState.value(it.key()) == it.value();
                const bool asAfter = mFreshState.contains(it.key()) && mFreshState.value(it.key()) == it.value();
                const bool leftover = killed && !mOldState.contains(it.key()) && !mFreshState.contains(it.key()) &&
                                      isLeftover(it.key(), mFreshState);
                QVERIFY2(asBefore || asAfter || leftover, qPrintable(where + it.key()));
            }
            for (const QString& key : mOldState.keys())
                QVERIFY2(after.contains(key) || !mFreshState.contains(key), qPrintable(where + key + " vanished"));
            for (const QFileInfo& copy : QDir(backups.path()).entryInfoList(QDir::Files | QDir::Hidden)) {
                const bool complete = readBytes(copy.filePath()) == mOldState.value(QStringLiteral("gsm_manager.c"));
                QVERIFY2(complete || (killed && copy.fileName().startsWith(QStringLiteral("gsm_manager.c."))),
                         qPrintable(where + copy.fileName()));
            }

            // The next run finishes the job.
            QTemporaryDir backups2;
            const ToolRun again =
                runTool({QStringLiteral("generate"), project.path(), QStringLiteral("--backup-dir"), backups2.path()});
            QVERIFY2(again.status == 0, qPrintable(where + again.err));
            QCOMPARE(withoutLeftovers(snapshot(project.path()), mFreshState), mFreshState);
        }
        // Backup, settings, both manager files, support and module files, licence.
        QVERIFY2(write > 15, qPrintable(QString::number(write)));
    }

    void backupsNeverReplaceEachOther()
    {
        QTemporaryDir project, backups;
        QVERIFY(copyTree(mOld, project.path()));
        const QByteArray old = mOldState.value(QStringLiteral("gsm_manager.c"));
        const QByteArray elsewhere = "// an unrelated file of the same name\n";
        QVERIFY(writeBytes(backups.path() + QStringLiteral("/gsm_manager.c"), elsewhere));
        const QStringList args = {QStringLiteral("generate"), project.path(), QStringLiteral("--backup-dir"),
                                  backups.path()};
        QCOMPARE(runTool(args).status, 0);
        // A second run that loses code again, into the same folder.
        QVERIFY(writeSettings(project.path(), {QStringLiteral("RSSI")}));
        QCOMPARE(runTool(args).status, 0);

        QMap<QString, QByteArray> copies = snapshot(backups.path());
        QCOMPARE(copies.take(QStringLiteral("gsm_manager.c")), elsewhere);
        QCOMPARE(copies.size(), 2);
        QVERIFY(copies.values().contains(old));
        QVERIFY(copies.values().contains(mFreshState.value(QStringLiteral("gsm_manager.c"))));
        for (const QString& name : copies.keys())
            QVERIFY2(QRegularExpression(QStringLiteral("^gsm_manager-\\d{8}-\\d{6}(-\\d+)?\\.c$")).match(name).hasMatch(),
                     qPrintable(name));
    }

    // Links (also dangling ones), special files and entries of the wrong
    // kind where the generator reads, writes or clears: the run stops before
    // anything is written, with the step's message where given and the path
    // of the entry in the way. (Root ignores permissions, so these are the
    // obstacles a test can set up; the read-only row needs another user.)
    void linksAndSpecialFilesStopTheRun_data()
    {
        QTest::addColumn<QString>("entry");   // relative to the project
        QTest::addColumn<QString>("kind");    // "link", "dangling", "fifo", "file", "folder", "readonly"
        QTest::addColumn<bool>("arduino");
        QTest::addColumn<QString>("title");   // empty: any critical box
        QTest::addColumn<QString>("message"); // the start of its text, %1 for the project folder
        const QString cannotOpen = QStringLiteral("Unable to open file '%1/%2' for writing.");
        QTest::newRow("library folder") << "Tarvex" << "link" << false << "" << "";
        QTest::newRow("library folder, dangling") << "Tarvex" << "dangling" << false << "" << "";
        QTest::newRow("library folder is a file")
            << "Tarvex" << "file" << false << "Write Error"
            << "Failed to write library support files to specified directory.";
        QTest::newRow("src of the Arduino layout") << "src" << "link" << true << "" << "";
        QTest::newRow("src/Tarvex") << "src/Tarvex" << "link" << true << "" << "";
        QTest::newRow("src of the Arduino layout is a file")
            << "src" << "file" << true << "Error Creating Directory"
            << "Unable to create directory src/Tarvex under the project path.";
        QTest::newRow("gsm_manager.c") << "gsm_manager.c" << "link" << false << "Write Error"
                                       << cannotOpen.arg("%1", "gsm_manager.c");
        QTest::newRow("gsm_manager.h, dangling") << "gsm_manager.h" << "dangling" << false << "Write Error"
                                                 << cannotOpen.arg("%1", "gsm_manager.h");
        QTest::newRow("circbuff.c") << "circbuff.c" << "link" << false << "" << "";
        QTest::newRow("circbuff.h, dangling") << "circbuff.h" << "dangling" << false << "" << "";
        QTest::newRow("a library file") << "Tarvex/GSM_Util.c" << "link" << false << "" << "";
        QTest::newRow("an old file the library folder clears") << "Tarvex/notes.txt" << "link" << false << "" << "";
        QTest::newRow("LICENSE.txt") << "Tarvex/LICENSE.txt" << "dangling" << false << "" << "";
        QTest::newRow("LICENSE.txt is a folder")
            << "Tarvex/LICENSE.txt" << "folder" << false << "Licensing Error"
            << "Unable to download LICENSE agreement. Please review folder write permissions.";
        QTest::newRow("settings file") << ".tarvex_codegenerator_settings" << "link" << false << "" << "";
        QTest::newRow("read-only project folder") << "." << "readonly" << false << "Write Error"
                                                  << cannotOpen.arg("%1", ".tarvex_codegenerator_settings");
        QTest::newRow("gsm_manager.c as a FIFO") << "gsm_manager.c" << "fifo" << false << "" << "";
        QTest::newRow("circbuff.c as a FIFO") << "circbuff.c" << "fifo" << false << "" << "";
    }

    void linksAndSpecialFilesStopTheRun()
    {
        QFETCH(QString, entry);
        QFETCH(QString, kind);
        QFETCH(bool, arduino);
        QFETCH(QString, title);
        QFETCH(QString, message);
        if (kind == QLatin1String("readonly") && geteuid() == 0)
            QSKIP("file permissions do not stop root; the other rows cover the write failures");
        QTemporaryDir project, outside;
        // What lies outside: a folder with the developer's files, and a file.
        QVERIFY(writeBytes(outside.path() + QStringLiteral("/manual.txt"), "documentation\n"));
        QVERIFY(writeBytes(outside.path() + QStringLiteral("/main.c"), "int main(void) { return 0; }\n"));
        QVERIFY(QDir().mkpath(outside.path() + QStringLiteral("/Tarvex")));
        QVERIFY(writeBytes(outside.path() + QStringLiteral("/Tarvex/GSM_Util.c"), "outside\n"));

        const QString path = QDir::cleanPath(project.path() + QLatin1Char('/') + entry);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        const bool folderEntry = entry == QLatin1String("Tarvex") || entry.startsWith(QLatin1String("src"));
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(folderEntry ? outside.path() : outside.path() + QStringLiteral("/main.c"), path));
        else if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(outside.path() + QStringLiteral("/missing/") + QFileInfo(entry).fileName(), path));
        else if (kind == QLatin1String("file"))
            QVERIFY(writeBytes(path, "not a folder"));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("readonly"))
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        else
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);

        const QMap<QString, QByteArray> projectBefore = snapshot(project.path());
        const QMap<QString, QByteArray> outsideBefore = snapshot(outside.path());
        InMemoryProject model;
        model.setProjectPath(project.path());
        selectModules(model, {QStringLiteral("SMS_Send")});
        model.setCpp(arduino);
        model.setArduinoChecked(arduino);
        ScriptedInteraction ui;
        RecordingHook hook;
        const bool ok = generateCode(model, &hook);
        if (kind == QLatin1String("readonly"))
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!ok);
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).kind, ScriptedInteraction::Kind::Critical);
        const QString shown = ui.boxes().at(0).text;
        if (!title.isEmpty()) {
            QCOMPARE(ui.boxes().at(0).title, title);
            // The step's message, then the reason.
            QVERIFY2(shown.startsWith(message.replace(QStringLiteral("%1"), project.path()) + QStringLiteral("\n\n")),
                     qPrintable(shown));
        }
        if (kind != QLatin1String("readonly"))
            QVERIFY2(shown.contains(QLatin1Char('\'') + path + QLatin1Char('\'')), qPrintable(shown));
        QCOMPARE(hook.events, QStringList{"GenerateStart"});
        QCOMPARE(snapshot(outside.path()), outsideBefore);
        QCOMPARE(snapshot(project.path()), projectBefore);
    }
};

QTEST_GUILESS_MAIN(TstWriteSafety)
#include "tst_writesafety.moc"
