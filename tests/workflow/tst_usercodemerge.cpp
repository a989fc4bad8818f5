// USER CODE preservation: which sections are found, how developer code is
// carried into a new text, which losses are reported, and the file side
// (an unreadable old file).

#include "scriptedinteraction.h"
#include "testsupport.h"
#include "usercodemerge.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

QString section(const QString& name, const QString& body, const QString& indent = QString())
{
    return indent + QStringLiteral("// USER CODE BEGIN ") + name + QLatin1Char('\n') + body + indent +
           QStringLiteral("// USER CODE END ") + name + QLatin1Char('\n');
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


const QStringList kFreshNames{"Includes", "Init", "Poll", "gsmWrite", "gsmWriteCompleted"};

using Bodies = QList<QPair<const char*, QByteArray>>;

// generated(kFreshNames) with the developer's bodies in some sections (the
// old file's END line, unindented, comes along with them); `whole`: each
// body is the whole carried section, markers included.
QByteArray expect(const Bodies& bodies, bool whole = false)
{
    QByteArray text = generated(kFreshNames).toUtf8();
    for (const auto& b : bodies) {
        const QByteArray name(b.first);
        const QByteArray from = "// USER CODE BEGIN " + name + "\n    // default " + name + "\n    // USER CODE END " + name;
        const QByteArray to =
            whole ? b.second : "// USER CODE BEGIN " + name + '\n' + b.second + "// USER CODE END " + name;
        const int at = text.indexOf(from);
        if (at >= 0)
            text.replace(at, from.size(), to);
    }
    return text;
}

// UTF-16LE of ASCII/UTF-8 text, without a byte-order mark.
QByteArray utf16(const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

class TstUserCodeMerge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    // The old file's bytes against the plan: what is carried (byte for
    // byte) and what is named as lost. Fresh text: the sections of
    // kFreshNames with their default content.
    void oldFileIsParsedExactly_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QByteArray>("expected"); // the merged bytes
        QTest::addColumn<QStringList>("lost");
        QTest::addColumn<int>("notes");

        auto sec = [](const char* name, const QByteArray& body) {
            return QByteArray("// USER CODE BEGIN ") + name + '\n' + body + "// USER CODE END " + name + '\n';
        };
        const QByteArray init = sec("Init", "init();\n");
        const QByteArray poll = sec("Poll", "poll();\n");
        const Bodies carried{{"Init", "init();\n"}, {"Poll", "poll();\n"}};
        auto row = [](const char* name) { return &QTest::newRow(name); };

        *row("marker spelling and blanks") << QByteArray("  //USER  CODE\tBEGIN   Init \t\nmine();\n"
                                                         "\t//   USER CODE END Init  \n")
                                           << expect({{"Init", "//USER  CODE\tBEGIN   Init \t\nmine();\n\t//   USER CODE END Init"}}, true)
                                           << QStringList() << 0;
        *row("prefix names stay apart") << sec("gsmWriteCompleted", "done();\n")
                                        << expect({{"gsmWriteCompleted", "done();\n"}}) << QStringList() << 0;
        *row("lower-case markers are code") << QByteArray("// user code begin Poll\nz();\n// user code end Poll\n") + init
                                            << expect({{"Init", "init();\n"}}) << QStringList() << 0;

        // Ambiguous files: nothing is guessed, every name involved is named.
        *row("commented-out older copy") << QByteArray("/*\n") + sec("Init", "old();\n") + "*/\n" + poll + init
                                         << expect({{"Poll", "poll();\n"}})
                                         << QStringList{"Init (lines 2, 4, 9, 11: more than one BEGIN or END)"} << 0;
        *row("identical copies") << init + init << expect({})
                                 << QStringList{"Init (lines 1, 3, 4, 6: more than one BEGIN or END)"} << 0;
        *row("END without BEGIN") << QByteArray("// USER CODE END Poll\n") + init << expect({{"Init", "init();\n"}})
                                  << QStringList{"Poll (line 1: END without BEGIN)"} << 0;
        *row("END before BEGIN") << QByteArray("// USER CODE END Poll\n// USER CODE BEGIN Poll\n") << expect({})
                                 << QStringList{"Poll (lines 1, 2: END before BEGIN)"} << 0;
        *row("BEGIN without END") << QByteArray("// USER CODE BEGIN Init\nmine();\n") + poll
                                  << expect({{"Poll", "poll();\n"}})
                                  << QStringList{"Init (line 1: BEGIN without END)"} << 0;
        *row("END of a prefix name deleted")
            << QByteArray("// USER CODE BEGIN gsmWrite\nw();\n") + sec("gsmWriteCompleted", "c();\n")
            << expect({{"gsmWriteCompleted", "c();\n"}}) << QStringList{"gsmWrite (line 1: BEGIN without END)"} << 0;
        *row("END line with text after the name")
            << QByteArray("// USER CODE BEGIN Init\nx();\n// USER CODE END Init */\n") << expect({})
            << QStringList{"Init (line 1: BEGIN without END)", "Init */ (line 3: END without BEGIN)"} << 0;
        *row("section inside another") << sec("Init", poll) + poll << expect({})
                                       << QStringList{"Init (lines 1, 5: other USER CODE markers inside)",
                                                      "Poll (lines 2, 4, 6, 8: more than one BEGIN or END)"}
                                       << 0;
        *row("unlisted section inside another") << sec("Init", sec("MyOwn", "own();\n")) + poll
                                                << expect({{"Poll", "poll();\n"}})
                                                << QStringList{"Init (lines 1, 5: other USER CODE markers inside)",
                                                               "MyOwn (lines 2, 4: inside another section)"}
                                                << 0;

        // Code without a place in the new text.
        *row("listed section not generated") << sec("gsmUssdEventHandler", "ussd();\n") + init << expect(carried.mid(0, 1))
                                             << QStringList{"gsmUssdEventHandler (lines 1-3)"} << 0;
        *row("unlisted section") << init + sec("Zed", "z();\n") << expect(carried.mid(0, 1))
                                 << QStringList{"Zed (lines 4-6)"} << 0;
        *row("hand-written file") << QByteArray("int main(void)\n{\n}") << expect({})
                                  << QStringList{"whole file (lines 1-3: no USER CODE section found)"} << 0;
        *row("UTF-16 without byte-order mark") << utf16(QByteArray(init + poll)) << expect({})
                                               << QStringList{"whole file (lines 1-7: no USER CODE section found)"}
                                               << 0;
        *row("blank file") << QByteArray(" \n\t\n") << expect({}) << QStringList() << 0;

        *row("CR LF becomes LF, a lone CR stays") << QByteArray("// USER CODE BEGIN Init\r\na\rb\r\n// USER CODE END Init\r\n")
                                                  << expect({{"Init", "a\rb\n"}}) << QStringList() << 0;
        *row("UTF-16 converted and said")
            << QByteArray("\xFF\xFE") + utf16(sec("Init", "caf\xc3\xa9();\n"))
            << QByteArray("\xEF\xBB\xBF") + expect({{"Init", "caf\xc3\xa9();\n"}}) << QStringList() << 1;
        QByteArray utf32be("\0\0\xFE\xFF", 4);
        for (uint c : QString::fromUtf8(sec("Init", "caf\xc3\xa9();\n")).toUcs4())
            utf32be += char(c >> 24) + QByteArray(1, char(c >> 16)) + char(c >> 8) + char(c);
        *row("UTF-32 converted and said")
            << utf32be << QByteArray("\xEF\xBB\xBF") + expect({{"Init", "caf\xc3\xa9();\n"}}) << QStringList() << 1;
    }

    void oldFileIsParsedExactly()
    {
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, lost);
        QFETCH(int, notes);
        const QString path = mProject + QStringLiteral("/gsm_manager.c");
        writeBytes(path, old);
        const UserCodeMergePlan plan = planUserCodeMerge(path, generated(kFreshNames), false);
        QVERIFY(plan.readOk);
        QCOMPARE(plan.oldBytes, old);
        QCOMPARE(plan.lostSections, lost);
        QCOMPARE(plan.mergedBytes, expected);
        QCOMPARE(plan.notes.size(), notes);
        QCOMPARE(plan.targetPath, path);
        QCOMPARE(readBytes(path), old); // planning writes nothing
    }

    // ---- the file side ----

    void init()
    {
        QVERIFY(mDir.isValid());
        QDir(mDir.path()).removeRecursively();
        QDir().mkpath(mDir.path() + QStringLiteral("/project"));
        mProject = mDir.path() + QStringLiteral("/project");
    }

    // The merge of one file (the window's mergeUserCodeAndWrite) reads the
    // old file first: one that cannot be read is a Read Error naming it, and
    // nothing is written. (The questions and the backup are Generate Code's:
    // tst_generateworkflow and tst_writesafety.)
    void unreadableFileIsAReadError()
    {
        ScriptedInteraction ui;
        const QString path = mProject + QStringLiteral("/gsm_manager.c");
        QVERIFY(QDir().mkpath(path)); // a folder cannot be read as a file
        QString text = generated({QStringLiteral("Init")});
        QVERIFY(!mergeUserCodeAndWrite(path, text, true));
        QCOMPARE(ui.titles(), QStringList{"Read Error"});
        QVERIFY(ui.boxes().at(0).text.startsWith(
            QStringLiteral("Error encountered while trying to save 'USER CODE' sections.\n\nUnable to open file '") +
            path + QStringLiteral("' for reading.")));
        QVERIFY(!QFile::exists(mProject + QStringLiteral("/gsm_manager.cpp")));
    }

private:
    QTemporaryDir mDir;
    QString mProject;
};

QTEST_GUILESS_MAIN(TstUserCodeMerge)
#include "tst_usercodemerge.moc"
