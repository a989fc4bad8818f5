// End to end: a generated project compiles and links on the first try. For
// a C project and for a C++ Arduino project with every module but 2G, the
// manager files, the library folder and the circular-buffer files are built
// with gcc/g++ -Wall -Wextra -Werror together with a stub main that calls
// gsmmgrInit and gsmmgrPoll. The library files must be clean under those
// flags; the manager file alone may switch off the warnings its empty
// callback stubs cause until the developer fills them.

#include "generateworkflow.h"
#include "inmemoryproject.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace workflowtest;

namespace {

const QStringList kStrict = {QStringLiteral("-Wall"), QStringLiteral("-Wextra"), QStringLiteral("-Werror")};
const QStringList kStubAllowances = {QStringLiteral("-Wno-unused-parameter"), QStringLiteral("-Wno-unused-variable"),
                                     QStringLiteral("-Wno-unused-but-set-variable"),
                                     QStringLiteral("-Wno-return-type")};

} // namespace

class TstGeneratedCompile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void generatedProjectBuilds_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::newRow("C project") << false;
        QTest::newRow("C++ Arduino project") << true;
    }

    void generatedProjectBuilds()
    {
        QFETCH(bool, cpp);
        const QString gcc = QStandardPaths::findExecutable(QStringLiteral("gcc"));
        const QString gxx = QStandardPaths::findExecutable(QStringLiteral("g++"));
        if (gcc.isEmpty() || gxx.isEmpty())
            QSKIP("gcc and g++ are needed to compile the generated project");

        QTemporaryDir dir;
        const QString path = dir.path();
        InMemoryProject project;
        project.setProjectPath(path);
        selectModules(project, everyModuleBut2G());
        project.setCpp(cpp);
        project.setArduinoChecked(cpp);
        {
            ScriptedInteraction ui;
            GenerateReport report;
            QVERIFY(generateCode(project, nullptr, &report));
            QCOMPARE(report.libraryFolder, cpp ? QStringLiteral("src/Tarvex") : QStringLiteral("Tarvex"));
        }

        const QString main = cpp ? QStringLiteral("main.cpp") : QStringLiteral("main.c");
        QVERIFY(writeBytes(path + QLatin1Char('/') + main,
                           "#include \"gsm_manager.h\"\n"
                           "int main(void)\n{\n    gsmmgrInit();\n    gsmmgrPoll();\n    return 0;\n}\n"));

        // The library folder's C files and circbuff.c in one strict run (it
        // names every file that fails), the manager source with the stub
        // allowances, then the stub main, linked with all of them.
        const QString libraryFolder = cpp ? QStringLiteral("src/Tarvex") : QStringLiteral("Tarvex");
        QStringList sources = {QStringLiteral("circbuff.c")}, objects = {QStringLiteral("circbuff.o")};
        for (const QString& f : QDir(path + QLatin1Char('/') + libraryFolder).entryList({QStringLiteral("*.c")}, QDir::Files)) {
            sources << libraryFolder + QLatin1Char('/') + f;
            objects << QFileInfo(f).completeBaseName() + QStringLiteral(".o");
        }
        const QString manager = cpp ? QStringLiteral("gsm_manager.cpp") : QStringLiteral("gsm_manager.c");
        const QString driver = cpp ? gxx : gcc;
        QString log;
        QVERIFY2(runIn(gcc, kStrict + QStringList{QStringLiteral("-I."), QStringLiteral("-c")} + sources, path, &log),
                 qPrintable(log));
        QVERIFY2(runIn(driver, kStrict + kStubAllowances + QStringList{QStringLiteral("-I."), QStringLiteral("-c"), manager},
                       path, &log),
                 qPrintable(log));
        QVERIFY2(runIn(driver, kStrict + QStringList{QStringLiteral("-I."), main, QStringLiteral("-o"), QStringLiteral("firmware"),
                                                     QStringLiteral("gsm_manager.o")} + objects,
                       path, &log),
                 qPrintable(log));
        QVERIFY(QFileInfo(path + QStringLiteral("/firmware")).isExecutable());
    }
};

QTEST_GUILESS_MAIN(TstGeneratedCompile)
#include "tst_generatedcompile.moc"
