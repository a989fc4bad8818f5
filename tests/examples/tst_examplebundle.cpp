// The example archives and the manual as the bundle carries them: which
// modules have archives, the folder layout the download relies on, manager
// files that are current (rebuilding them changes nothing, so no USER CODE
// of an example is lost) and carry no header, CR LF text, STM32CubeIDE
// project files that point at files the project has, and a real PDF.

#include "exampledownload.h"
#include "examplesupport.h"
#include "inmemoryproject.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace exampletest;

namespace {

const QString kArchivePrefix = ":/examples/resources/examples/";

// Names of the entries directly below prefix ("A/B/" -> the "C" of "A/B/C/...").
QStringList childrenOf(const QMap<QString, QByteArray>& archive, const QString& prefix)
{
    QStringList out;
    for (const QString& name : archive.keys()) {
        if (!name.startsWith(prefix) || name.size() == prefix.size())
            continue;
        const QString child = name.mid(prefix.size()).section(QLatin1Char('/'), 0, 0);
        if (!out.contains(child))
            out << child;
    }
    out.sort();
    return out;
}

} // namespace

class TstExampleBundle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void archivesOfTheSevenModules()
    {
        InMemoryProject project;
        const QMap<QString, QStringList> expected = expectedExampleProjects();
        for (TarvexMdl* module : project.allModules()) {
            const QString path = exampleArchivePath(module);
            QCOMPARE(path, kArchivePrefix + module->getName() + ".zip");
            QVERIFY2(QFile::exists(path) == expected.contains(module->getName()), qPrintable(path));
        }
    }

    void layout_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QStringList>("projects");
        const QMap<QString, QStringList> expected = expectedExampleProjects();
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }

    void layout()
    {
        QFETCH(QString, module);
        QFETCH(QStringList, projects);
        const QMap<QString, QByteArray> archive = archiveContents(kArchivePrefix + module + ".zip");
        QVERIFY(!archive.isEmpty());

        for (const QString& name : archive.keys()) {
            QVERIFY2(name.startsWith(module + '/') && !name.contains('\\') && !name.split('/').contains(".."),
                     qPrintable(name));
            // Text files only, all with CR LF line ends.
            const QByteArray& bytes = archive.value(name);
            QVERIFY2(!bytes.contains('\0'), qPrintable(name));
            QVERIFY2(bytes.count('\n') == bytes.count("\r\n"), qPrintable(name + ": bare LF"));
        }
        QCOMPARE(childrenOf(archive, module + QLatin1Char('/')), (QStringList{"Arduino", "STM32CubeIDE"}));
        QCOMPARE(childrenOf(archive, module + "/Arduino/"), projects);
        QCOMPARE(childrenOf(archive, module + "/STM32CubeIDE/"), projects);

        for (const QString& project : projects) {
            const QString arduino = module + "/Arduino/" + project + QLatin1Char('/');
            QStringList sketchFiles = {"README.md", project + ".ino", "gsm_manager.cpp", "gsm_manager.h", "main.h"};
            sketchFiles.sort();
            QCOMPARE(childrenOf(archive, arduino), sketchFiles);

            const QString stm32 = module + "/STM32CubeIDE/" + project + QLatin1Char('/');
            for (const char* file : {".project", ".cproject", "README.md", "STM32F411RETX_FLASH.ld",
                                     "Core/Startup/startup_stm32f411retx.s", "Core/Inc/gsm_manager.h", "Core/Inc/uart_dma.h",
                                     "Core/Inc/circbuff.h", "Core/Inc/main.h", "Core/Src/gsm_manager.c", "Core/Src/uart_dma.c",
                                     "Core/Src/circbuff.c", "Core/Src/main.c"})
                QVERIFY2(archive.contains(stm32 + QLatin1String(file)), qPrintable(stm32 + QLatin1String(file)));
            // The library is written by the download, never shipped.
            QVERIFY(childrenOf(archive, arduino + "src/").isEmpty());
            QVERIFY(childrenOf(archive, stm32 + "Core/Tarvex/").isEmpty());

            // The STM32CubeIDE project files name this project and point at
            // what it has.
            QVERIFY(textOf(archive.value(stm32 + ".project")).contains("<name>" + project + "</name>"));
            const QByteArray cproject = archive.value(stm32 + ".cproject");
            QVERIFY(!cproject.contains("@PROJECT_NAME@"));

            // Include paths are relative to the build folder (Debug/, Release/).
            const QStringList includes = cprojectOption(cproject, "compiler.option.includepaths");
            QCOMPARE(includes.size(), 6); // Debug and Release
            for (const QString& include : includes) {
                QVERIFY2(include.startsWith(".."), qPrintable(include));
                const QString folder = include.mid(3);
                // Core/Tarvex is written by the download; the others ship.
                QVERIFY2(folder.isEmpty() || folder == QLatin1String("Core/Tarvex") ||
                             !childrenOf(archive, stm32 + folder + QLatin1Char('/')).isEmpty(),
                         qPrintable(stm32 + include));
            }
            for (const QString& script : cprojectOption(cproject, "linker.option.script"))
                QCOMPARE(script, "${workspace_loc:/${ProjName}/STM32F411RETX_FLASH.ld}");
            QVERIFY(cprojectOption(cproject, "option.target_mcu").contains("STM32F411RETx"));
            QVERIFY(cprojectOption(cproject, "compiler.option.definedsymbols").contains("STM32F411xE"));
        }
    }

    void managerFilesAreCurrent_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("project");
        QTest::addColumn<int>("layoutIndex");
        const QMap<QString, QStringList> expected = expectedExampleProjects();
        for (auto it = expected.begin(); it != expected.end(); ++it)
            for (const QString& project : it.value())
                for (int layout = 0; layout < 2; ++layout)
                    QTest::newRow(qPrintable(project + (layout ? " STM32" : " Arduino")))
                        << it.key() << project << layout;
    }

    void managerFilesAreCurrent()
    {
        QFETCH(QString, module);
        QFETCH(QString, project);
        QFETCH(int, layoutIndex);
        const ExampleLayout layout = exampleLayouts().at(layoutIndex);
        const QMap<QString, QByteArray> archive = archiveContents(kArchivePrefix + module + ".zip");
        const QString base = module + QLatin1Char('/') + layout.name + QLatin1Char('/') + project + QLatin1Char('/');
        const QString header = textOf(archive.value(base + layout.managerHeader));
        const QString source = textOf(archive.value(base + layout.managerSource));
        QVERIFY(header.startsWith("#ifndef"));
        QVERIFY(!source.contains("Tarvex - generated file"));

        InMemoryProject catalogue;
        const QStringList names = exampleModuleNames(catalogue.findModuleByName(module));
        QStringList lost;
        const ManagerTexts rebuilt = buildExampleManagerTexts(names, layout, header, source, &lost);
        QCOMPARE(lost, QStringList());
        QCOMPARE(rebuilt.header, header);
        QCOMPARE(rebuilt.source, source);

        // The example's own code is in: the hardware sections are filled and the
        // module's event handler no longer holds the generator's placeholder text.
        QVERIFY(workflowtest::sectionBody(source, "SysTime_ms").contains("return "));
        QVERIFY(!workflowtest::sectionBody(source, "gsmRxPoll").contains("ToDo"));
        const QRegularExpression handler("USER CODE BEGIN (gsm\\w+EventHandler)");
        const QRegularExpressionMatch m = handler.match(source);
        QVERIFY(m.hasMatch());
        const QString body = workflowtest::sectionBody(source, m.captured(1));
        QVERIFY2(!body.contains("ToDo") && body.contains("debugText("), qPrintable(body));
    }

    void userManualIsAPdf()
    {
        QFile file(QString::fromLatin1(kUserManualResource));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-1."));
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
        // Rendered from the manual's text: many pages, a title, a fixed date.
        const QRegularExpression count("/Type /Pages[^>]*/Count (\\d+)");
        const QRegularExpressionMatch m = count.match(QString::fromLatin1(pdf.constData(), pdf.size()));
        QVERIFY(m.hasMatch());
        QVERIFY2(m.captured(1).toInt() >= 10, qPrintable(m.captured(1)));
        QVERIFY(pdf.contains("/CreationDate (D:2024010100000"));
        QVERIFY(pdf.contains("/Title"));
    }
};

QTEST_GUILESS_MAIN(TstExampleBundle)
#include "tst_examplebundle.moc"
