// USER CODE preservation: which sections are found, how developer code is
// carried into a new text, which losses are reported, and the file side
// (reading, the warning and its backup, the target name, write failures).

#include "scriptedinteraction.h"
#include "testsupport.h"
#include "usercodemerge.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString section(const QString& name, const QString& body, const QString& indent = QString())
{
    return indent + QStringLiteral("// USER CODE BEGIN ") + name + QLatin1Char('\n') + body + indent +
           QStringLiteral("// USER CODE END ") + name + QLatin1Char('\n');
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A small manager-like text: a few listed sections between generated lines.
QString generated(const QStringList& names)
{
    QString text = QStringLiteral("// generated head\n");
    for (const QString& n : names)
        text += QStringLiteral("void f_") + n + QStringLiteral("() {\n") +
                section(n, QStringLiteral("    // default ") + n + QLatin1Char('\n'), QStringLiteral("    ")) +
                QStringLiteral("}\n");
    return text + QStringLiteral("// generated tail\n");
}

} // namespace

class TstUserCodeMerge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void patternsFollowTheListAndItsOrder()
    {
        const QStringList names = userCodeSectionNames();
        QCOMPARE(names.size(), 27);
        QCOMPARE(names.first(), QStringLiteral("Includes"));
        QCOMPARE(names.at(6), QStringLiteral("Exported Variables"));
        QCOMPARE(names.at(15), QStringLiteral("gsmWrite"));
        QCOMPARE(names.at(16), QStringLiteral("gsmWriteCompleted"));
        QCOMPARE(names.last(), QStringLiteral("gsmDebugWrite"));
        const QList<QRegularExpression> patterns = buildUserCodePatterns();
        QCOMPARE(patterns.size(), 27);
        for (int i = 0; i < patterns.size(); ++i) {
            QVERIFY2(patterns.at(i).isValid(), qPrintable(names.at(i)));
            const QString s = section(names.at(i), QStringLiteral("x\n"));
            QCOMPARE(patterns.at(i).match(s).captured(1), s.chopped(1));
        }
        // Marker spelling: any white space, none after the slashes; case matters.
        const QRegularExpression& init = patterns.at(3);
        QVERIFY(init.match(QStringLiteral("//USER  CODE\tBEGIN Init\nx\n//   USER CODE END  Init")).hasMatch());
        QVERIFY(!init.match(QStringLiteral("// user code begin Init\nx\n// user code end Init")).hasMatch());
        // A name never matches a longer name that starts with it.
        QVERIFY(!patterns.at(15).match(section(QStringLiteral("gsmWriteCompleted"), QString())).hasMatch());
        QVERIFY(!init.match(section(QStringLiteral("InitExtra"), QString())).hasMatch());
        // The END line may carry more text after the name; it is not part of the section.
        const QRegularExpressionMatch m =
            init.match(QStringLiteral("  // USER CODE BEGIN Init\nx\n// USER CODE END Init */ tail\n"));
        QCOMPARE(m.captured(1), QStringLiteral("// USER CODE BEGIN Init\nx\n// USER CODE END Init"));
    }

    void developerCodeIsCarriedExactly()
    {
        const QString code = QStringLiteral("    x = \"$1 \\\\1 %1 %2\"; // caf\u00e9 \u20ac\r still\n\tback\\slash\n");
        const QString old = QStringLiteral("old stuff\n") + section(QStringLiteral("Poll"), code) +
                            section(QStringLiteral("Init"), QStringLiteral("init();\n"), QStringLiteral("  "));
        QString fresh = generated({QStringLiteral("Init"), QStringLiteral("Poll"), QStringLiteral("gsmRead")});
        const UserCodeMergeResult r = mergeUserCodeText(old, fresh, buildUserCodePatterns());
        QVERIFY(r.lostSections.isEmpty());
        QString expected =
            generated({QStringLiteral("Init"), QStringLiteral("Poll"), QStringLiteral("gsmRead")});
        expected.replace(QStringLiteral("// USER CODE BEGIN Poll\n    // default Poll\n    // USER CODE END Poll"),
                         section(QStringLiteral("Poll"), code).chopped(1));
        expected.replace(QStringLiteral("// USER CODE BEGIN Init\n    // default Init\n    // USER CODE END Init"),
                         QStringLiteral("// USER CODE BEGIN Init\ninit();\n  // USER CODE END Init"));
        QCOMPARE(fresh, expected);
    }

    void prefixNamesStayApart()
    {
        // The developer deleted the gsmWrite section; gsmWriteCompleted holds code.
        const QString old = section(QStringLiteral("gsmWriteCompleted"), QStringLiteral("done();\n"));
        QString fresh = generated({QStringLiteral("gsmWrite"), QStringLiteral("gsmWriteCompleted")});
        const UserCodeMergeResult r = mergeUserCodeText(old, fresh, buildUserCodePatterns());
        QVERIFY(r.lostSections.isEmpty());
        QCOMPARE(fresh.count(QStringLiteral("done();")), 1);
        QVERIFY(fresh.contains(QStringLiteral("BEGIN gsmWrite\n    // default gsmWrite\n")));
        QVERIFY(fresh.contains(QStringLiteral("BEGIN gsmWriteCompleted\ndone();\n")));
    }

    void lossesAreReported_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QStringList>("lost");
        QTest::addColumn<QString>("mustStay");

        QTest::newRow("listed section not generated")
            << section(QStringLiteral("gsmUssdEventHandler"), QStringLiteral("ussd();\n")) << QStringList{"gsmUssdEventHandler"}
            << QString();
        QTest::newRow("END marker deleted")
            << QStringLiteral("// USER CODE BEGIN Init\nmine();\n") + section(QStringLiteral("Poll"), QStringLiteral("p();\n"))
            << QStringList{"Init"} << QStringLiteral("p();");
        QTest::newRow("END of a prefix name deleted")
            << QStringLiteral("// USER CODE BEGIN gsmWrite\nw();\n") +
                   section(QStringLiteral("gsmWriteCompleted"), QStringLiteral("c();\n"))
            << QStringList{"gsmWrite"} << QStringLiteral("c();");
        QTest::newRow("second copy with other code")
            << section(QStringLiteral("Poll"), QStringLiteral("a();\n")) +
                   section(QStringLiteral("Poll"), QStringLiteral("b();\n"))
            << QStringList{"Poll"} << QStringLiteral("a();");
        QTest::newRow("second identical copy")
            << section(QStringLiteral("Poll"), QStringLiteral("a();\n")) +
                   section(QStringLiteral("Poll"), QStringLiteral("a();\n"))
            << QStringList() << QStringLiteral("a();");
        QTest::newRow("unlisted section with code")
            << section(QStringLiteral("MyOwn"), QStringLiteral("own();\n")) << QStringList{"MyOwn"} << QString();
        QTest::newRow("unlisted section inside a carried one")
            << section(QStringLiteral("Init"), section(QStringLiteral("MyOwn"), QStringLiteral("own();\n")))
            << QStringList() << QStringLiteral("own();");
        QTest::newRow("unterminated marker inside a carried one")
            << section(QStringLiteral("Init"), QStringLiteral("// USER CODE BEGIN Note\nx();\n")) << QStringList()
            << QStringLiteral("x();");
        QTest::newRow("lower-case markers are not sections")
            << QStringLiteral("// user code begin Poll\nz();\n// user code end Poll\n") << QStringList()
            << QString();
        QTest::newRow("several, in file order")
            << section(QStringLiteral("gsmSmsSendEventHandler"), QStringLiteral("s();\n")) +
                   section(QStringLiteral("Zed"), QStringLiteral("z();\n")) +
                   section(QStringLiteral("gsmPinEventHandler"), QStringLiteral("p();\n"))
            << QStringList{"gsmSmsSendEventHandler", "Zed", "gsmPinEventHandler"} << QString();
    }

    void lossesAreReported()
    {
        QFETCH(QString, old);
        QFETCH(QStringList, lost);
        QFETCH(QString, mustStay);
        QString fresh = generated({QStringLiteral("Init"), QStringLiteral("Poll"), QStringLiteral("gsmWrite"),
                                   QStringLiteral("gsmWriteCompleted")});
        const UserCodeMergeResult r = mergeUserCodeText(old, fresh, buildUserCodePatterns());
        QCOMPARE(r.lostSections, lost);
        if (!mustStay.isEmpty())
            QCOMPARE(fresh.count(mustStay), 1);
    }

    void carriedCodeIsNeverSearchedAgain()
    {
        // Developer code in Includes quotes the default Poll section verbatim.
        const QString quoted = section(QStringLiteral("Poll"), QStringLiteral("    // default Poll\n"),
                                       QStringLiteral("    "));
        const QString old = section(QStringLiteral("Includes"), quoted) +
                            section(QStringLiteral("Poll"), QStringLiteral("real();\n"));
        QString fresh = generated({QStringLiteral("Includes"), QStringLiteral("Poll")});
        const UserCodeMergeResult r = mergeUserCodeText(old, fresh, buildUserCodePatterns());
        // The Includes code is intact; the Poll code is carried or reported, never dropped silently.
        QVERIFY(fresh.contains(section(QStringLiteral("Includes"), quoted).chopped(1)));
        QVERIFY(fresh.contains(QStringLiteral("real();")) || r.lostSections.contains(QStringLiteral("Poll")));
    }

    // ---- the file side ----

    void init()
    {
        QVERIFY(mDir.isValid());
        QDir(mDir.path()).removeRecursively();
        QDir().mkpath(mDir.path() + QStringLiteral("/project"));
        QDir().mkpath(mDir.path() + QStringLiteral("/backup"));
        mProject = mDir.path() + QStringLiteral("/project");
    }

    void unreadableFileIsAReadError()
    {
        ScriptedInteraction ui;
        const QString path = mProject + QStringLiteral("/gsm_manager.h");
        QDir().mkpath(path); // a folder cannot be read as a file
        QString text = QStringLiteral("new\n");
        QVERIFY(!mergeUserCodeAndWrite(path, text, false));
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Read Error"));
        QCOMPARE(ui.boxes().at(0).text,
                 QStringLiteral("Error encountered while trying to save 'USER CODE' sections.\n\nUnable to open "
                                "file '") + path + QStringLiteral("' for reading."));
    }

    void lostSectionConversation_data()
    {
        QTest::addColumn<QString>("answer"); // No, Yes+folder, Yes+cancel, Yes+project folder, Yes+missing folder
        QTest::newRow("No drops the section") << "No";
        QTest::newRow("Yes with a folder makes a copy") << "Backup";
        QTest::newRow("Yes and a cancelled dialog stops") << "Cancel";
        QTest::newRow("Yes with the project folder is refused") << "Project";
        QTest::newRow("Yes with a folder that cannot take the copy") << "Missing";
    }

    void lostSectionConversation()
    {
        QFETCH(QString, answer);
        ScriptedInteraction ui;
        const QString path = mProject + QStringLiteral("/gsm_manager.c");
        const QByteArray oldBytes = "head\r\n// USER CODE BEGIN gsmSmsSendEventHandler\r\nsms();\r\n"
                                    "// USER CODE END gsmSmsSendEventHandler\r\n";
        writeBytes(path, oldBytes);
        QString text = generated({QStringLiteral("Init")});

        if (answer == QLatin1String("No"))
            ui.answerNo();
        else
            ui.answerYes();
        if (answer == QLatin1String("Backup"))
            ui.answerFolder(mDir.path() + QStringLiteral("/backup"));
        else if (answer == QLatin1String("Cancel"))
            ui.answerCancel();
        else if (answer == QLatin1String("Project"))
            ui.answerFolder(mProject);
        else if (answer == QLatin1String("Missing"))
            ui.answerFolder(mDir.path() + QStringLiteral("/nowhere"));

        UserCodeMergeReport report;
        const bool ok = mergeUserCodeAndWrite(path, text, false, &report);
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(report.fileName, QStringLiteral("gsm_manager.c"));
        QCOMPARE(report.lostSections, QStringList{QStringLiteral("gsmSmsSendEventHandler (lines 2-4)")});
        const ScriptedInteraction::Box& warning = ui.boxes().at(0);
        QCOMPARE(warning.kind, ScriptedInteraction::Kind::YesNo);
        QCOMPARE(warning.icon, UserInteraction::Icon::Warning);
        QCOMPARE(warning.title, QStringLiteral("Warning"));
        QCOMPARE(warning.text,
                 QStringLiteral("One of the 'USER CODE' sections from gsm_manager.c is no longer being generated. "
                                "This can occur when a library module (that was previously included) has been "
                                "removed from the 'Library Modules' list.\n\nWould you like to save a copy of "
                                "your gsm_manager.c file before continuing?"));

        if (answer == QLatin1String("No")) {
            QVERIFY(ok);
            QCOMPARE(ui.boxes().size(), 1);
            QCOMPARE(readBytes(path), text.toUtf8());
            return;
        }
        QCOMPARE(ui.boxes().at(1).kind, ScriptedInteraction::Kind::Folder);
        QCOMPARE(ui.boxes().at(1).title, QStringLiteral("Select Folder"));
        if (answer == QLatin1String("Backup")) {
            QVERIFY(ok);
            QCOMPARE(ui.boxes().size(), 2);
            QCOMPARE(readBytes(mDir.path() + QStringLiteral("/backup/gsm_manager.c")), oldBytes);
            QCOMPARE(report.backupPath, mDir.path() + QStringLiteral("/backup/gsm_manager.c"));
            QCOMPARE(readBytes(path), text.toUtf8());
            return;
        }
        // Every other way: nothing written, the old file untouched.
        QVERIFY(!ok);
        QCOMPARE(readBytes(path), oldBytes);
        QCOMPARE(QDir(mProject).entryList(QDir::Files | QDir::Hidden), QStringList{"gsm_manager.c"});
        if (answer == QLatin1String("Cancel")) {
            QCOMPARE(ui.boxes().size(), 2);
        } else if (answer == QLatin1String("Project")) {
            QCOMPARE(ui.boxes().size(), 3);
            QCOMPARE(ui.boxes().at(2).title, QStringLiteral("Write Error"));
            QVERIFY(ui.boxes().at(2).text.contains(QStringLiteral("gsm_manager.c")));
        } else {
            QCOMPARE(ui.boxes().size(), 3);
            QCOMPARE(ui.boxes().at(2).title, QStringLiteral("Write Error"));
            QCOMPARE(ui.boxes().at(2).text, QStringLiteral("Unable to open file '") + mDir.path() +
                                                 QStringLiteral("/nowhere/gsm_manager.c' for writing. Please "
                                                                "manually backup gsm_manager.c and try again."));
        }
    }

    void targetFollowsTheLanguage()
    {
        ScriptedInteraction ui;
        const QString c = mProject + QStringLiteral("/gsm_manager.c");
        const QString h = mProject + QStringLiteral("/gsm_manager.h");
        const QByteArray oldC = section(QStringLiteral("Init"), QStringLiteral("fromC();\n")).toUtf8();
        writeBytes(c, oldC);
        writeBytes(h, oldC);

        QString source = generated({QStringLiteral("Init")});
        UserCodeMergeReport report;
        QVERIFY(mergeUserCodeAndWrite(c, source, true, &report));
        QCOMPARE(report.writtenPath, mProject + QStringLiteral("/gsm_manager.cpp"));
        QVERIFY(readBytes(mProject + QStringLiteral("/gsm_manager.cpp")).contains("fromC();"));
        QCOMPARE(readBytes(c), oldC); // the old file stays for the Remove File? question

        QString header = generated({QStringLiteral("Init")});
        QVERIFY(mergeUserCodeAndWrite(h, header, true)); // a header keeps its own name
        QVERIFY(readBytes(h).contains("fromC();"));
        QVERIFY(!QFile::exists(mProject + QStringLiteral("/gsm_manager.hpp")));
        QVERIFY(ui.boxes().isEmpty());
    }

    void unwritableTargetIsAWriteError()
    {
        ScriptedInteraction ui;
        const QString cpp = mProject + QStringLiteral("/gsm_manager.cpp");
        writeBytes(cpp, "x\n");
        QDir().mkpath(mProject + QStringLiteral("/gsm_manager.c")); // the C target is taken by a folder
        QString text = QStringLiteral("new\n");
        QVERIFY(!mergeUserCodeAndWrite(cpp, text, false));
        QCOMPARE(ui.titles(), QStringList{"Write Error"});
        QCOMPARE(ui.boxes().at(0).text,
                 QStringLiteral("Unable to open file '") + mProject + QStringLiteral("/gsm_manager.c' for writing."));
    }

    void lineEndsAndEncodingSurvive()
    {
        ScriptedInteraction ui;
        const QString path = mProject + QStringLiteral("/gsm_manager.h");
        // CR LF line ends, a lone CR inside the code, and a Latin-1 byte that
        // is not valid UTF-8 (a file saved in another code page).
        writeBytes(path, "// USER CODE BEGIN Includes\r\nint t; // 20\xb0" "C\rnext();\r\n// USER CODE END Includes\r\n");
        QString text = section(QStringLiteral("Includes"), QString());
        QVERIFY(mergeUserCodeAndWrite(path, text, false));
        QCOMPARE(readBytes(path),
                 QByteArray("// USER CODE BEGIN Includes\nint t; // 20\xb0" "C\rnext();\n// USER CODE END Includes\n"));

        // UTF-8 developer code round-trips as UTF-8.
        writeBytes(path, section(QStringLiteral("Includes"), QStringLiteral("// \u00b5s \u2026\n")).toUtf8());
        text = section(QStringLiteral("Includes"), QString());
        QVERIFY(mergeUserCodeAndWrite(path, text, false));
        QCOMPARE(readBytes(path), section(QStringLiteral("Includes"), QStringLiteral("// \u00b5s \u2026\n")).toUtf8());
    }

private:
    QTemporaryDir mDir;
    QString mProject;
};

QTEST_GUILESS_MAIN(TstUserCodeMerge)
#include "tst_usercodemerge.moc"
