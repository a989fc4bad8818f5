// Example projects and the user manual, in two executables from this source.
// tst_examples: extractArchive on archives built here (layout, files already in
// the target, hostile entries that must never write outside it); the archives
// and the manual as the bundle carries them (layout, current manager files
// without header, CR LF text, .cproject paths, a real PDF); the Download
// Example and Download User Manual commands with every box scripted, and the
// two buttons of the real window. tst_examplecompile (EXAMPLE_COMPILE_TEST):
// every example project, downloaded as a developer gets it, builds for its
// board on the first try:
//  - Arduino: the sketch, gsm_manager.cpp, circbuff.c and the library files
//    are compiled with avr-gcc/avr-g++ for the ATmega2560 against the Arduino
//    AVR core (Debian package arduino-core-avr) and linked; the RAM the
//    program takes must leave room for the stack.
//  - STM32CubeIDE: every source of the project is compiled with
//    arm-none-eabi-gcc for the Cortex-M4F with the include paths, symbols and
//    linker script its .cproject names, and linked; the vector table must sit
//    at the start of flash and SysTick must reach the board's handler.
// Everything is built with -Wall -Wextra -Werror. The generated instance
// definitions ("= {0}") only draw -Wmissing-field-initializers from C++,
// so that one warning is allowed for gsm_manager.cpp.
// The HTTP client's examples are built with each internet connection.
// Sizes are printed for information.

#include "exampledownload.h"
#include "inmemoryproject.h"
#include "mainwindow.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

using namespace workflowtest;

namespace {

using Kind = ScriptedInteraction::Kind;

const QString kArchivePrefix = ":/examples/resources/examples/";

// The seven modules with examples and their projects, as the archives must
// hold them (same names under Arduino and STM32CubeIDE).
const QMap<QString, QStringList> kExampleProjects = {
    {"Pin", {"PIN_Enter"}},
    {"RSSI", {"Signal_Quality"}},
    {"SMS_Send", {"SMS_Send"}},
    {"SMS_Read", {"SMS_Read"}},
    {"USSD", {"USSD_Query"}},
    {"HTTP_Client_SIMCom", {"HttpClient_Simcom_HTTP_GET", "HttpClient_Simcom_HTTP_POST"}},
    {"MQTT_Client_SIMCom", {"MqttClient_Simcom_Publish", "MqttClient_Simcom_Subscribe"}}};

struct Entry
{
    QString name;
    QByteArray data; // ignored for folder entries (names ending in "/")
};

// Writes a ZIP archive with the entries in the given order, stored without
// compression so a test can damage an entry's bytes in place.
bool writeZip(const QString& path, const QList<Entry>& entries)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const Entry& entry : entries) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(entry.name), nullptr, 0, 0, 0))
            return false;
        if (!entry.name.endsWith(QLatin1Char('/')))
            file.write(entry.data);
        file.close();
        if (file.getZipError() != ZIP_OK)
            return false;
    }
    zip.close();
    return zip.getZipError() == ZIP_OK;
}

// Every entry of a module's bundled archive by name, with its bytes; folder
// entries end in "/" and hold nothing. Empty when there is no archive.
QMap<QString, QByteArray> archiveOf(const QString& module)
{
    QMap<QString, QByteArray> out;
    QFile file(kArchivePrefix + module + ".zip");
    QuaZip zip(&file);
    if (!zip.open(QuaZip::mdUnzip))
        return out;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        QByteArray bytes;
        if (!name.endsWith(QLatin1Char('/'))) {
            QuaZipFile entry(&zip);
            if (entry.open(QIODevice::ReadOnly))
                bytes = entry.readAll();
        }
        out.insert(name, bytes);
    }
    return out;
}

// Every file and folder under dir, relative, sorted; folders end in "/".
QStringList tree(const QString& dir)
{
    return snapshot(dir).keys();
}

QStringList filesOnly(const QMap<QString, QByteArray>& tree)
{
    QStringList files;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        if (!it.key().endsWith(QLatin1Char('/')))
            files << it.key();
    return files;
}

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

// Text as a text-mode reader sees it: CR dropped, UTF-8.
QString textOf(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
}

// Values of the <listOptionValue> children of every .cproject option whose
// superClass ends in suffix, and the value attribute of such options; of the
// first configuration (Debug) only, or of all. An XML error is the only value.
QStringList cprojectOption(const QByteArray& xml, const QString& suffix, bool firstConfigurationOnly = false)
{
    QStringList values;
    QXmlStreamReader reader(xml);
    bool inside = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (firstConfigurationOnly && reader.isStartElement() && reader.name() == QLatin1String("cconfiguration") &&
            !values.isEmpty())
            break;
        if (reader.isStartElement() && reader.name() == QLatin1String("option")) {
            inside = reader.attributes().value(QLatin1String("superClass")).endsWith(suffix);
            if (inside && reader.attributes().hasAttribute(QLatin1String("value")))
                values << reader.attributes().value(QLatin1String("value")).toString();
        } else if (reader.isEndElement() && reader.name() == QLatin1String("option")) {
            inside = false;
        } else if (inside && reader.isStartElement() && reader.name() == QLatin1String("listOptionValue")) {
            values << reader.attributes().value(QLatin1String("value")).toString();
        }
    }
    return reader.hasError() ? QStringList{"<XML error: " + reader.errorString() + QLatin1Char('>')} : values;
}

// "title|text" of every box, in order.
QStringList conversation(const ScriptedInteraction& ui)
{
    QStringList out;
    for (const ScriptedInteraction::Box& box : ui.boxes())
        out << box.title + QLatin1Char('|') + box.text;
    return out;
}

// Runs a download of the named module into folder with the scripted answers.
bool download(InMemoryProject& project, const QString& moduleName, const QString& folder,
              const QString& httpAnswer = QString())
{
    if (!httpAnswer.isNull())
        static_cast<ScriptedInteraction&>(userInteraction()).answerChoice(httpAnswer);
    static_cast<ScriptedInteraction&>(userInteraction()).answerFolder(folder);
    return downloadExample(project, project.findModuleByName(moduleName), nullptr);
}

} // namespace

class TstExamples : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    // ---- extractArchive ----

    void layoutFollowsEntries()
    {
        QTemporaryDir work;
        const QString zip = work.filePath("a.zip");
        QVERIFY(writeZip(zip, {{"SMS_Read/", {}},
                               {"SMS_Read/Arduino/", {}},
                               {"SMS_Read/Arduino/SMS_Read/SMS_Read.ino", "void setup() {}\r\n"},
                               // No folder entries for this branch: the folders are made anyway.
                               {"SMS_Read/STM32CubeIDE/SMS_Read/Core/Src/main.c", "int main;\n"},
                               {"SMS_Read/STM32CubeIDE/SMS_Read/Empty/", {}},
                               {"SMS_Read/bin.dat", QByteArray("\x00\x01\xff\r\n", 5)}}));
        // The target does not exist yet: it is created with its parents.
        const QString target = work.filePath("deep/target");
        QVERIFY(extractArchive(zip, target));

        const QString stm32 = "SMS_Read/STM32CubeIDE/SMS_Read/";
        QCOMPARE(tree(target), (QStringList{"SMS_Read/", "SMS_Read/Arduino/", "SMS_Read/Arduino/SMS_Read/",
                                            "SMS_Read/Arduino/SMS_Read/SMS_Read.ino", "SMS_Read/STM32CubeIDE/", stm32,
                                            stm32 + "Core/", stm32 + "Core/Src/", stm32 + "Core/Src/main.c",
                                            stm32 + "Empty/", "SMS_Read/bin.dat"}));
        // Bytes are copied unchanged: no line-end translation.
        QCOMPARE(readBytes(target + "/SMS_Read/Arduino/SMS_Read/SMS_Read.ino"),
                 QByteArray("void setup() {}\r\n"));
        QCOMPARE(readBytes(target + "/SMS_Read/bin.dat"), QByteArray("\x00\x01\xff\r\n", 5));
    }

    void unopenableArchive()
    {
        QTemporaryDir work;
        const QString target = work.filePath("t");
        QVERIFY(!extractArchive(":/examples/resources/examples/.zip", target));
        QVERIFY(!extractArchive(work.filePath("missing.zip"), target));
        QVERIFY(writeBytes(work.filePath("junk.zip"), "this is not a zip archive"));
        QVERIFY(!extractArchive(work.filePath("junk.zip"), target));
        // Nothing is created when the archive cannot be opened.
        QVERIFY(!QFileInfo::exists(target));
    }

    void hostileEntriesNeverLeaveTheTarget()
    {
        QTemporaryDir work;
        const QString outside = work.filePath("outside");
        const QString target = work.filePath("target");
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QDir().mkpath(target + "/real"));
        // A link out of the target, and one that stays inside.
        QVERIFY(QFile::link(outside, target + "/link"));
        QVERIFY(QFile::link(target + "/real", target + "/inner"));
        // A file link pointing out: writing through it would change the outside file.
        QVERIFY(writeBytes(outside + "/victim.txt", "victim"));
        QVERIFY(QFile::link(outside + "/victim.txt", target + "/victim.txt"));
        // Dangling links out: following them would create outside files and folders.
        QVERIFY(QFile::link(outside + "/made-dir", target + "/dangling-dir"));
        QVERIFY(QFile::link(outside + "/made-file.txt", target + "/dangling-file.txt"));

        const QString zip = work.filePath("evil.zip");
        QVERIFY(writeZip(zip, {{"ok/first.txt", "1"}, {outside + "/absolute.txt", "x"}, {"../escape.txt", "x"},
                               {"ok/../../escape2.txt", "x"}, {"..\\escape3.txt", "x"}, {"ok\\..\\..\\escape4.txt", "x"},
                               {"C:/escape5.txt", "x"}, {"C:escape6.txt", "x"}, {"\\\\server\\share\\escape7.txt", "x"},
                               {"link/escape8.txt", "x"}, {"link/deeper/escape9.txt", "x"}, {"link/made/", {}},
                               {"victim.txt", "overwritten"}, {"dangling-dir/escape10.txt", "x"}, {"dangling-dir/", {}},
                               {"dangling-file.txt", "x"}, {"..", "x"}, {"/", {}}, {"inner/through-inner-link.txt", "2"},
                               {"ok/./dot.txt", "3"}, {"ok/last.txt", "4"}}));

        QVERIFY(extractArchive(zip, target));

        // Nothing appeared or changed outside the target.
        QCOMPARE(tree(outside), QStringList{"victim.txt"});
        QCOMPARE(readBytes(outside + "/victim.txt"), QByteArray("victim"));
        QCOMPARE(tree(work.path()).filter("escape"), QStringList());
        // Legitimate entries before and after the hostile ones were written.
        QCOMPARE(readBytes(target + "/ok/first.txt"), QByteArray("1"));
        QCOMPARE(readBytes(target + "/real/through-inner-link.txt"), QByteArray("2"));
        QCOMPARE(readBytes(target + "/ok/dot.txt"), QByteArray("3"));
        QCOMPARE(readBytes(target + "/ok/last.txt"), QByteArray("4"));
    }

    // Extractions into a target that already has files. Each row lists the entries
    // ("name=bytes"), what the target holds before ("path=bytes" files, "path/"
    // folders), the damage done to the archive ("flip": one byte of the first entry's
    // data, so its checksum fails; a number: added to the size its headers announce),
    // the largest entry allowed, every problem reported ("path|a part of the reason")
    // and what the target holds after.
    void existingTarget_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<QStringList>("problems");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("files overwritten, others kept")
            << QStringList{"M/a.txt=new a", "M/sub/b.txt=new b"}
            << QStringList{"M/a.txt=old a, much longer than the new content", "M/mine.txt=mine", "other.txt=other"}
            << "" << kMaxExampleEntrySize << QStringList{}
            << QStringList{"M/a.txt=new a", "M/sub/b.txt=new b", "M/mine.txt=mine", "other.txt=other"};
        QTest::newRow("damaged entry keeps the file") << QStringList{"M/damaged.txt=PAYLOAD-0123456789", "M/fine.txt=fine"}
                                                      << QStringList{"M/damaged.txt=previous"} << "flip"
                                                      << kMaxExampleEntrySize << QStringList{"M/damaged.txt|"}
                                                      << QStringList{"M/damaged.txt=previous", "M/fine.txt=fine"};
        // A folder where the archive has a file, a file where it has a folder.
        QTest::newRow("unwritable entries skipped")
            << QStringList{"M/blocked=x", "M/file/inside.txt=x", "M/after.txt=after"}
            << QStringList{"M/blocked/", "M/file=plain file"} << "" << kMaxExampleEntrySize
            << QStringList{"M/blocked|", "M/file/inside.txt|"}
            << QStringList{"M/blocked/", "M/file=plain file", "M/after.txt=after"};
        const QStringList big = {"M/big.bin=" + QString(1000, 'b'), "M/fine.txt=fine"};
        const QStringList kept = {"M/big.bin=previous", "M/fine.txt=fine"};
        QTest::newRow("larger than the cap") << big << QStringList{"M/big.bin=previous"} << "0" << qint64(999)
                                             << QStringList{"M/big.bin|is larger (1000 bytes) than the 999 bytes"} << kept;
        QTest::newRow("header announces more") << big << QStringList{"M/big.bin=previous"} << "7" << kMaxExampleEntrySize
                                               << QStringList{"M/big.bin|holds 1000 bytes, its header announces 1007"} << kept;
        QTest::newRow("header announces less") << big << QStringList{"M/big.bin=previous"} << "-7" << kMaxExampleEntrySize
                                               << QStringList{"M/big.bin|damaged"} << kept;
    }

    void existingTarget()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, before);
        QFETCH(QString, damage);
        QFETCH(qint64, cap);
        QFETCH(QStringList, problems);
        QFETCH(QStringList, after);
        QTemporaryDir work;
        const QString zip = work.filePath("a.zip"), target = work.filePath("t");
        QList<Entry> list;
        for (const QString& e : entries)
            list << Entry{e.section('=', 0, 0), e.section('=', 1).toUtf8()};
        QVERIFY(writeZip(zip, list));
        QByteArray bytes = readBytes(zip);
        if (damage == "flip") {
            const int at = bytes.indexOf(list.first().data);
            QVERIFY(at > 0);
            bytes[at] = 'X';
        } else if (!damage.isEmpty()) {
            // The uncompressed size of the first entry, in its local header
            // (offset 22) and its central directory record (offset 24).
            for (int at : {bytes.indexOf("PK\x03\x04") + 22, bytes.indexOf("PK\x01\x02") + 24}) {
                quint32 size = 0;
                for (int i = 3; i >= 0; --i)
                    size = (size << 8) | quint8(bytes.at(at + i));
                QCOMPARE(size, 1000u);
                size += damage.toInt();
                for (int i = 0; i < 4; ++i)
                    bytes[at + i] = char((size >> (8 * i)) & 0xff);
            }
        }
        QVERIFY(writeBytes(zip, bytes));
        auto make = [&target](const QStringList& paths) {
            for (const QString& p : paths)
                if (p.endsWith('/') ? !QDir().mkpath(target + '/' + p)
                                    : !writeBytes(target + '/' + p.section('=', 0, 0), p.section('=', 1).toUtf8()))
                    return false;
            return true;
        };
        QVERIFY(make(before));

        QStringList reported;
        QVERIFY(extractArchive(zip, target, &reported, cap));
        QCOMPARE(reported.size(), problems.size());
        for (int i = 0; i < problems.size(); ++i)
            QVERIFY2(reported.at(i).startsWith("'" + target + '/' + problems.at(i).section('|', 0, 0) + "': ")
                         && reported.at(i).contains(problems.at(i).section('|', 1)),
                     qPrintable(reported.at(i)));
        for (const QString& p : after) {
            if (p.endsWith('/'))
                QVERIFY2(QFileInfo(target + '/' + p).isDir(), qPrintable(p));
            else
                QCOMPARE(readBytes(target + '/' + p.section('=', 0, 0)), p.section('=', 1).toUtf8());
        }
    }

    // ---- the archives and the manual in the bundle ----

    void archivesOfTheSevenModules()
    {
        InMemoryProject project;
        for (TarvexMdl* module : project.allModules()) {
            const QString path = exampleArchivePath(module);
            QCOMPARE(path, kArchivePrefix + module->getName() + ".zip");
            QVERIFY2(QFile::exists(path) == kExampleProjects.contains(module->getName()), qPrintable(path));
        }
    }

    void layout_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QStringList>("projects");
        for (auto it = kExampleProjects.begin(); it != kExampleProjects.end(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }

    void layout()
    {
        QFETCH(QString, module);
        QFETCH(QStringList, projects);
        const QMap<QString, QByteArray> archive = archiveOf(module);
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
        InMemoryProject catalogue;
        const QStringList names = exampleModuleNames(catalogue.findModuleByName(module));

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

            // The manager files are current and carry no header: rebuilding
            // them changes nothing, so no USER CODE of an example is lost.
            for (const ExampleLayout& l : exampleLayouts()) {
                const QString base = module + '/' + l.name + '/' + project + '/';
                const QString header = textOf(archive.value(base + l.managerHeader));
                const QString source = textOf(archive.value(base + l.managerSource));
                QVERIFY2(header.startsWith("#ifndef") && !source.contains("Tarvex - generated file"), qPrintable(base));
                QStringList lost;
                const ManagerTexts rebuilt = buildExampleManagerTexts(names, l, header, source, &lost);
                QCOMPARE(lost, QStringList());
                QVERIFY2(rebuilt.header == header && rebuilt.source == source, qPrintable(base + " rebuilt differs"));
                // The example's own code is in: the hardware sections are filled and the
                // module's event handler no longer holds the generator's placeholder text.
                QVERIFY2(sectionBody(source, "SysTime_ms").contains("return "), qPrintable(base));
                QVERIFY2(!sectionBody(source, "gsmRxPoll").contains("ToDo"), qPrintable(base));
                const QRegularExpressionMatch m = QRegularExpression("USER CODE BEGIN (gsm\\w+EventHandler)").match(source);
                QVERIFY2(m.hasMatch(), qPrintable(base));
                const QString body = sectionBody(source, m.captured(1));
                QVERIFY2(!body.contains("ToDo") && body.contains("debugText("), qPrintable(base + body));
            }
        }
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

    // ---- the Download Example and Download User Manual commands ----

    // SMS Read into an empty folder, then again over it.
    void smsReadDownloadedTwice()
    {
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(download(project, "SMS_Read", dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());

        // The conversation: the folder dialog, then the confirmation.
        QCOMPARE(conversation(ui), (QStringList{"Select Folder|", "Example Downloaded|Example downloaded successfully."}));
        QCOMPARE(ui.boxes().at(0).kind, Kind::Folder);
        QCOMPARE(ui.boxes().at(1).kind, Kind::Information);

        // The selection now holds SMS Read and what it needs, nothing else.
        QCOMPARE(testsupport::tickedNames(project), (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration", "SMS_Read"}));

        const QMap<QString, QByteArray> archive = archiveOf("SMS_Read");
        const QMap<QString, QByteArray> tree = snapshot(dir.path());
        const QString header = fileHeaderLines().value(1) + fileHeaderLines().value(0); // an empty line, the banner
        const QString arduino = "SMS_Read/Arduino/SMS_Read/", stm32 = "SMS_Read/STM32CubeIDE/SMS_Read/";

        // Every file comes from the archive, the library, the licence or the circular buffer.
        QStringList expected = filesOnly(archive);
        const QStringList names = libraryFileNames(project.checkedModules()) + QStringList{"LICENSE.txt"};
        for (const QString& name : names)
            expected << arduino + "src/Tarvex/" + name << stm32 + "Core/Tarvex/" + name;
        expected << arduino + "circbuff.c" << arduino + "circbuff.h";
        expected.removeDuplicates();
        expected.sort();
        QCOMPARE(filesOnly(tree), expected);
        QVERIFY(tree.contains(arduino + "src/Tarvex/") && tree.contains(stm32 + "Core/Tarvex/"));

        // (The library and circular-buffer files' texts are the library
        // writer test's, per layout.) The licence is copied unchanged.
        const QString licence = textOf(readBytes(":/license/resources/license/LICENSE.txt"));
        QVERIFY(!licence.isEmpty());
        QCOMPARE(QString::fromUtf8(tree.value(arduino + "src/Tarvex/LICENSE.txt")), licence);
        QCOMPARE(QString::fromUtf8(tree.value(stm32 + "Core/Tarvex/LICENSE.txt")), licence);

        // The listed files get the header once, in front of the archive's text;
        // the other files are the archive's bytes unchanged.
        for (const QString& path : {arduino + "gsm_manager.cpp", arduino + "gsm_manager.h", arduino + "main.h",
                                    arduino + "SMS_Read.ino", stm32 + "Core/Inc/gsm_manager.h", stm32 + "Core/Inc/uart_dma.h",
                                    stm32 + "Core/Src/gsm_manager.c", stm32 + "Core/Src/uart_dma.c"}) {
            QVERIFY2(archive.contains(path), qPrintable(path));
            QVERIFY2(!textOf(archive.value(path)).contains("Tarvex - generated file"), qPrintable(path));
            QCOMPARE(QString::fromUtf8(tree.value(path)), header + textOf(archive.value(path)));
        }
        for (const QString& path : {stm32 + "Core/Src/main.c", stm32 + ".cproject", arduino + "README.md"})
            QCOMPARE(tree.value(path), archive.value(path));

        // Again over the first: the same tree. A file of the developer's in a
        // project folder survives; one in the library folder does not (the
        // library folder belongs to the generator).
        QVERIFY(writeBytes(dir.filePath(arduino + "notes.txt"), "mine"));
        QVERIFY(writeBytes(dir.filePath(arduino + "src/Tarvex/stale.c"), "old"));
        QVERIFY(download(project, "SMS_Read", dir.path()));
        QVERIFY(ui.verifyAllAnswersUsed());
        QMap<QString, QByteArray> second = snapshot(dir.path());
        QCOMPARE(second.take(arduino + "notes.txt"), QByteArray("mine"));
        QCOMPARE(second.keys(), tree.keys());
        QVERIFY(second == tree);
    }

    void httpClientConnectionChoice_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("lte");
        QTest::newRow("SIMCom 2G") << "SIMCom 2G" << false;
        QTest::newRow("SIMCom LTE") << "SIMCom LTE" << true;
        // Anything but exactly "SIMCom LTE" means 2G.
        QTest::newRow("box closed") << "" << false;
    }

    void httpClientConnectionChoice()
    {
        QFETCH(QString, answer);
        QFETCH(bool, lte);
        QTemporaryDir dir;
        InMemoryProject project;
        ScriptedInteraction ui;
        QVERIFY(download(project, "HTTP_Client_SIMCom", dir.path(), answer));
        QVERIFY(ui.verifyAllAnswersUsed());

        QCOMPARE(ui.boxes().size(), 3);
        const ScriptedInteraction::Box& choice = ui.boxes().at(0);
        QCOMPARE(choice.kind, Kind::Choice);
        QCOMPARE(choice.icon, UserInteraction::Icon::Information);
        QCOMPARE(choice.title + '|' + choice.text,
                 QStringLiteral("LTE or 2G|Does your HTTP application require the 'Internet Connection (SIMCom 2G)' "
                                "module or the 'Internet Connection (SIMCom LTE)' module?"));
        QCOMPARE(choice.buttons, (QStringList{"SIMCom 2G", "SIMCom LTE"}));
        QCOMPARE(ui.boxes().at(1).kind, Kind::Folder);
        QCOMPARE(ui.boxes().at(2).kind, Kind::Information);
        QCOMPARE(testsupport::tickedNames(project),
                 (QStringList{"Power", "Prompt", "BasicComms", "NetworkRegistration",
                              lte ? "InternetConnection_SIMCom" : "InternetConnection_SIMCom2G", "HTTP_Client_SIMCom"}));

        // Both projects of both layouts, in both layouts' library folders. (That
        // the manager files are rebuilt for the chosen connection is shown by
        // the example compile test, which builds both projects with each.)
        const QString chosen = lte ? "GSM_InternetConnection_Simcom.h" : "GSM_InternetConnection_Simcom2G.h";
        const QString other = lte ? "GSM_InternetConnection_Simcom2G.h" : "GSM_InternetConnection_Simcom.h";
        for (const char* library : {"Arduino/%1/src/Tarvex/", "STM32CubeIDE/%1/Core/Tarvex/"}) {
            for (const char* name : {"HttpClient_Simcom_HTTP_GET", "HttpClient_Simcom_HTTP_POST"}) {
                const QString folder = dir.filePath("HTTP_Client_SIMCom/" + QString(library).arg(name));
                for (const QString& file : {chosen, QString("GSM_HttpClient_Simcom.c"), QString("LICENSE.txt")})
                    QVERIFY2(QFile::exists(folder + file), qPrintable(folder + file));
                QVERIFY2(!QFile::exists(folder + other), qPrintable(folder + other));
            }
        }
    }

    // Downloads that stop. Each row makes `blocker` in a fresh folder (a folder when it
    // ends in "/", else a file), downloads `module` into `folder` ("<cancel>": the dialog
    // is cancelled) and states every box ("title|text"; "%1" is the chosen folder; a
    // last box ending in "..." is matched by its start and `detail`, the rest being the
    // system's words), the ticks afterwards, and paths: "p" exists, "!p" does not, "=p"
    // holds the archive's bytes unchanged; with no paths nothing but the blocker is there.
    void downloadsThatStop_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QStringList>("paths");
        const QStringList core = {"Power", "Prompt", "BasicComms", "NetworkRegistration"};
        const QString folder = "Select Folder|", noExamples = "Download Error|Failed to extract example projects.";
        // The selection is changed before the dialog.
        QTest::newRow("dialog cancelled") << "USSD" << "" << "<cancel>" << QStringList{folder} << ""
                                          << core + QStringList{"USSD"} << QStringList{};
        QTest::newRow("no examples: Power") << "Power" << "" << "" << QStringList{folder, noExamples} << ""
                                            << QStringList{"Power"} << QStringList{};
        QTest::newRow("no examples: Network Registration") << "NetworkRegistration" << "" << ""
                                                           << QStringList{folder, noExamples} << "" << core << QStringList{};
        QTest::newRow("no examples: Start") << "" << "" << "" << QStringList{folder, noExamples} << "" << QStringList{}
                                            << QStringList{};
        QTest::newRow("folder cannot be created")
            << "SMS_Send" << "plain" << "plain/examples"
            << QStringList{folder, noExamples + "\n\n'%1': the folder cannot be created"} << ""
            << core + QStringList{"SMS_Send"} << QStringList{};
        // The STM32CubeIDE layout comes after Arduino: it was never completed.
        QTest::newRow("licence cannot be written")
            << "Pin" << "Pin/Arduino/PIN_Enter/src/Tarvex/LICENSE.txt/" << ""
            << QStringList{folder, "Licensing Error|Unable to download LICENSE agreement. Please review folder write "
                                   "permissions.\n\n..."}
            << "LICENSE.txt' is a folder" << QStringList{"Power", "Prompt", "BasicComms", "Pin"}
            << QStringList{"Pin/STM32CubeIDE/PIN_Enter/Core/Src/main.c", "!Pin/STM32CubeIDE/PIN_Enter/Core/Tarvex"};
        // Stopped before the header and the licence.
        QTest::newRow("library cannot be written")
            << "RSSI" << "RSSI/Arduino/Signal_Quality/src/Tarvex" << ""
            << QStringList{folder, "Write Error|Failed to write library support files to specified directory.\n\n..."}
            << "Signal_Quality/src/Tarvex' is not a folder" << QStringList{"Power", "Prompt", "BasicComms", "RSSI"}
            << QStringList{"=RSSI/Arduino/Signal_Quality/main.h", "!RSSI/Arduino/Signal_Quality/src/Tarvex/LICENSE.txt"};
    }

    void downloadsThatStop()
    {
        QFETCH(QString, module);
        QFETCH(QString, blocker);
        QFETCH(QString, folder);
        QFETCH(QStringList, boxes);
        QFETCH(QString, detail);
        QFETCH(QStringList, selection);
        QFETCH(QStringList, paths);
        QTemporaryDir dir;
        if (blocker.endsWith('/'))
            QVERIFY(QDir().mkpath(dir.filePath(blocker)));
        else if (!blocker.isEmpty())
            QVERIFY(writeBytes(dir.filePath(blocker), "in the way"));
        InMemoryProject project;
        ScriptedInteraction ui;
        if (folder == "<cancel>")
            ui.answerCancel();
        else
            ui.answerFolder(dir.filePath(folder));
        QVERIFY(!downloadExample(project, project.findModuleByName(module), nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().at(0).kind, Kind::Folder);
        QStringList shown = conversation(ui);
        QCOMPARE(shown.size(), boxes.size());
        boxes.last().replace("%1", dir.filePath(folder));
        if (boxes.last().endsWith("...")) {
            boxes.last().chop(3);
            QVERIFY2(shown.last().startsWith(boxes.last()) && shown.last().contains(detail), qPrintable(shown.last()));
            shown.last() = boxes.last();
        }
        QCOMPARE(shown, boxes);
        if (boxes.size() > 1)
            QCOMPARE(ui.boxes().last().kind, Kind::Critical);
        QCOMPARE(testsupport::tickedNames(project), selection);
        if (paths.isEmpty())
            QCOMPARE(snapshot(dir.path()).keys(), blocker.isEmpty() ? QStringList() : QStringList{blocker});
        const QMap<QString, QByteArray> archive = archiveOf(module);
        for (QString path : paths) {
            const QChar kind = path.at(0);
            if (kind == '!' || kind == '=')
                path.remove(0, 1);
            if (kind == '=')
                QCOMPARE(readBytes(dir.filePath(path)), archive.value(path));
            else
                QVERIFY2(QFileInfo::exists(dir.filePath(path)) == (kind != '!'), qPrintable(path));
        }
    }

    void userManualCopied()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("Tarvex User Manual.pdf"));
        QVERIFY(writeBytes(target, QByteArray(200000, 'x'))); // replaced, not appended to
        ScriptedInteraction ui;
        ui.answerFolder(dir.path());
        QVERIFY(downloadUserManual(nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1); // no message either way
        const QByteArray manual = readBytes(QString::fromLatin1(kUserManualResource));
        QVERIFY(manual.startsWith("%PDF-"));
        QCOMPARE(readBytes(target), manual);

        // A folder that cannot take the file: a critical box with the path and the reason.
        ui.clear();
        ui.answerFolder(dir.filePath(QStringLiteral("missing/folder")));
        testsupport::expectWarning(QStringLiteral("Failed to create local file:"));
        QVERIFY(!downloadUserManual(nullptr));
        QCOMPARE(ui.boxes().size(), 2);
        QCOMPARE(ui.boxes().at(1).kind, ScriptedInteraction::Kind::Critical);
        const QString unwritable = dir.filePath(QStringLiteral("missing/folder/Tarvex User Manual.pdf"));
        QVERIFY2(ui.boxes().at(1).text.startsWith(QStringLiteral("Unable to save the user manual as '%1'.\n\n'%1': ")
                                                      .arg(unwritable)),
                 qPrintable(ui.boxes().at(1).text));
        QVERIFY(ui.boxes().at(1).text.contains(QStringLiteral("No such file or directory")));
        QVERIFY(testsupport::verifyExpectedWarningsSeen());

        // A cancelled folder dialog: nothing more.
        ui.clear();
        ui.answerCancel();
        QVERIFY(!downloadUserManual(nullptr));
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Select Folder"));
    }

    // Download Example works on the module of the current row and changes the
    // window's ticks; without a current row nothing happens. Download User
    // Manual copies the manual.
    void windowButtons()
    {
        MainWindow window;
        QTemporaryDir dir;
        ScriptedInteraction ui;
        ui.answerFolder(dir.path());
        testsupport::child<QListWidget>(window, "lstwgtModules")->setCurrentRow(5); // RSSI (Signal Quality)
        testsupport::child<QPushButton>(window, "btnDownloadExample")->click();
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(conversation(ui), (QStringList{"Select Folder|", "Example Downloaded|Example downloaded successfully."}));
        const QStringList ticked = {"Power", "Prompt", "BasicComms", "RSSI"};
        QCOMPARE(testsupport::tickedNames(window), ticked);
        QVERIFY(QFile::exists(dir.filePath("RSSI/Arduino/Signal_Quality/src/Tarvex/GSM_SignalQuality.c")));
        QVERIFY(QFile::exists(dir.filePath("RSSI/STM32CubeIDE/Signal_Quality/Core/Tarvex/LICENSE.txt")));

        ui.clear();
        testsupport::child<QListWidget>(window, "lstwgtModules")->setCurrentRow(-1);
        testsupport::child<QPushButton>(window, "btnDownloadExample")->click();
        QVERIFY(ui.boxes().isEmpty());
        QCOMPARE(testsupport::tickedNames(window), ticked);

        ui.answerFolder(dir.path());
        testsupport::child<QPushButton>(window, "btnDownloadUserManual")->click();
        QVERIFY(ui.verifyAllAnswersUsed());
        QCOMPARE(conversation(ui), QStringList{"Select Folder|"});
        QCOMPARE(readBytes(dir.filePath("Tarvex User Manual.pdf")), readBytes(kUserManualResource));
    }
};

// Runs a build tool in a folder; its command line and output tell a failure.
#define RUN_IN(dir, tool, ...)                                                                                         \
    do {                                                                                                               \
        QString log_;                                                                                                  \
        QVERIFY2(runIn(tool, __VA_ARGS__, dir, &log_), qPrintable(log_));                                              \
    } while (false)

namespace {

const QString kArduinoAvr = "/usr/share/arduino/hardware/arduino/avr";
const int kAvrRam = 8192;
const int kAvrStackReserve = 512;

const QStringList kStrict = {"-Wall", "-Wextra", "-Werror"};
const QStringList kAvr = {"-mmcu=atmega2560", "-DF_CPU=16000000L", "-DARDUINO=10807", "-DARDUINO_AVR_MEGA2560",
                          "-DARDUINO_ARCH_AVR", "-Os", "-ffunction-sections", "-fdata-sections",
                          "-I" + kArduinoAvr + "/cores/arduino", "-I" + kArduinoAvr + "/variants/mega"};
const QStringList kAvrCxx = kAvr + QStringList{"-std=gnu++11", "-fno-exceptions", "-fno-threadsafe-statics"};

QStringList filesIn(const QString& dir, const QString& pattern, const QString& prefix)
{
    QStringList out;
    for (const QString& f : QDir(dir).entryList({pattern}, QDir::Files, QDir::Name))
        out << prefix + f;
    return out;
}

// "text data bss" of an ELF file, from the size tool's Berkeley output.
QList<int> sizes(const QString& sizeTool, const QString& elf)
{
    QString log, out;
    if (!runIn(sizeTool, {elf}, QFileInfo(elf).absolutePath(), &log, &out))
        return {};
    const QRegularExpressionMatch m = QRegularExpression("\\n\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)").match(out);
    return m.hasMatch() ? QList<int>{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()} : QList<int>{};
}

} // namespace

class TstExampleCompile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mWork;
    QString mAvrCore; // core.a of the Arduino core, built once
    QString mAvrProblem;

    void buildArduino(const QString& projectDir)
    {
        const QString name = QFileInfo(projectDir).fileName();
        // The sketch, as the Arduino IDE sees it: C++ with Arduino.h in front.
        RUN_IN(projectDir, "avr-g++",
               kAvrCxx + kStrict + QStringList{"-x", "c++", "-include", "Arduino.h", "-c", name + ".ino", "-o", "sketch.o"});
        RUN_IN(projectDir, "avr-g++",
               kAvrCxx + kStrict
                   + QStringList{"-Wno-missing-field-initializers", "-c", "gsm_manager.cpp", "-o", "gsm_manager.o"});
        const QStringList cSources = QStringList{"circbuff.c"} + filesIn(projectDir + "/src/Tarvex", "*.c", "src/Tarvex/");
        QVERIFY(cSources.size() > 4);
        RUN_IN(projectDir, "avr-gcc", kAvr + kStrict + QStringList{"-std=gnu11", "-c"} + cSources);
        QStringList objects = {"sketch.o", "gsm_manager.o"};
        for (const QString& source : cSources)
            objects << QFileInfo(source).completeBaseName() + ".o";
        RUN_IN(projectDir, "avr-gcc",
               QStringList{"-mmcu=atmega2560", "-Os", "-Wl,--gc-sections"} + objects
                   + QStringList{mAvrCore, "-lm", "-o", name + ".elf"});

        const QList<int> s = sizes("avr-size", projectDir + '/' + name + ".elf");
        QCOMPARE(s.size(), 3);
        const int ram = s.at(1) + s.at(2);
        qInfo("%-28s ATmega2560: flash %6d bytes, RAM %5d of %d bytes", qPrintable(name), s.at(0) + s.at(1), ram, kAvrRam);
        QVERIFY2(ram <= kAvrRam - kAvrStackReserve, qPrintable(QString("%1 bytes of RAM leave too little for the stack").arg(ram)));
    }

    void buildStm32(const QString& projectDir)
    {
        const QString name = QFileInfo(projectDir).fileName();
        QStringList flags = {"-mcpu=cortex-m4", "-mthumb", "-mfpu=fpv4-sp-d16", "-mfloat-abi=hard", "-std=gnu11", "-Os",
                             "-ffunction-sections", "-fdata-sections"};
        // What STM32CubeIDE would pass, taken from the project file.
        const QByteArray cproject = testsupport::readBytes(projectDir + "/.cproject");
        const QStringList includes = cprojectOption(cproject, "compiler.option.includepaths", true);
        const QStringList symbols = cprojectOption(cproject, "compiler.option.definedsymbols", true);
        const QStringList scripts = cprojectOption(cproject, "linker.option.script", true);
        QVERIFY(!includes.isEmpty());
        QVERIFY(symbols.contains("STM32F411xE"));
        QCOMPARE(scripts.size(), 1);
        for (const QString& include : includes)
            flags << "-I" + include;
        for (const QString& symbol : symbols)
            flags << "-D" + symbol;
        const QString script = QString(scripts.first()).replace("${workspace_loc:/${ProjName}/", "../").remove('}');

        // The IDE builds in Debug/, so relative paths start with "../".
        const QString buildDir = projectDir + "/Debug";
        QVERIFY(QDir().mkpath(buildDir));
        const QStringList sources = filesIn(projectDir + "/Core/Src", "*.c", "../Core/Src/")
                                    + filesIn(projectDir + "/Core/Tarvex", "*.c", "../Core/Tarvex/")
                                    + filesIn(projectDir + "/Core/Startup", "*.s", "../Core/Startup/");
        QVERIFY(sources.size() > 8);
        RUN_IN(buildDir, "arm-none-eabi-gcc",
               flags + kStrict + sources
                   + QStringList{"-T" + script, "-Wl,--gc-sections", "-Wl,--start-group", "-lc_nano", "-lnosys",
                                 "-Wl,--end-group", "-o", name + ".elf"});

        const QString elf = buildDir + '/' + name + ".elf";
        QString log, symbolsText;
        QVERIFY2(runIn("arm-none-eabi-nm", {elf}, buildDir, &log, &symbolsText), qPrintable(log));
        auto address = [&](const char* symbol) {
            const QRegularExpressionMatch m =
                QRegularExpression(QString("^([0-9a-f]+) \\w %1$").arg(symbol), QRegularExpression::MultilineOption)
                    .match(symbolsText);
            return m.hasMatch() ? m.captured(1) : QString();
        };
        QCOMPARE(address("g_pfnVectors"), QString("08000000"));
        QVERIFY(!address("SysTick_Handler").isEmpty());
        QVERIFY2(address("SysTick_Handler") != address("Default_Handler"), "SysTick_Handler falls back to Default_Handler");

        const QList<int> s = sizes("arm-none-eabi-size", elf);
        QCOMPARE(s.size(), 3);
        qInfo("%-28s STM32F411RE: flash %6d bytes, RAM %6d bytes", qPrintable(name), s.at(0) + s.at(1), s.at(1) + s.at(2));
    }

private slots:
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        QVERIFY(mWork.isValid());
        for (const char* tool : {"avr-gcc", "avr-g++", "avr-ar"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                mAvrProblem = "avr-gcc, avr-g++ and avr-ar are needed (gcc-avr, binutils-avr)";
        if (mAvrProblem.isEmpty() && !QFileInfo::exists(kArduinoAvr + "/cores/arduino/Arduino.h"))
            mAvrProblem = "the Arduino AVR core is needed (arduino-core-avr)";
        if (!mAvrProblem.isEmpty())
            return;
        // The Arduino core, once, as a library: only what a sketch uses is linked,
        // as in the Arduino IDE. WString.cpp needs DECIMAL_DIG, which this
        // compiler's float.h leaves out in C++.
        const QString coreDir = mWork.filePath("arduino-core");
        QVERIFY(QDir().mkpath(coreDir));
        const QString core = kArduinoAvr + "/cores/arduino/";
        RUN_IN(coreDir, "avr-gcc", kAvr + QStringList{"-std=gnu11", "-c"} + filesIn(core, "*.c", core));
        RUN_IN(coreDir, "avr-g++", kAvrCxx + QStringList{"-DDECIMAL_DIG=__DECIMAL_DIG__", "-c"} + filesIn(core, "*.cpp", core));
        RUN_IN(coreDir, "avr-gcc", kAvr + QStringList{"-x", "assembler-with-cpp", "-c"} + filesIn(core, "*.S", core));
        mAvrCore = coreDir + "/core.a";
        RUN_IN(coreDir, "avr-ar", QStringList{"rcs", mAvrCore} + filesIn(coreDir, "*.o", QString()));
    }

    void examplesBuild_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("httpAnswer");
        for (const QString& module : kExampleProjects.keys()) {
            if (module == "HTTP_Client_SIMCom") {
                QTest::newRow("HTTP_Client_SIMCom LTE") << module << "SIMCom LTE";
                QTest::newRow("HTTP_Client_SIMCom 2G") << module << "SIMCom 2G";
            } else {
                QTest::newRow(qPrintable(module)) << module << QString();
            }
        }
    }

    void examplesBuild()
    {
        QFETCH(QString, module);
        QFETCH(QString, httpAnswer);
        const bool haveArm = !QStandardPaths::findExecutable("arm-none-eabi-gcc").isEmpty();
        const QString noArm = "arm-none-eabi-gcc is needed (gcc-arm-none-eabi)";
        if (!mAvrProblem.isEmpty() && !haveArm)
            QSKIP(qPrintable(mAvrProblem + "; " + noArm));

        // The module's examples, downloaded into a fresh folder.
        const QString folder = mWork.filePath(QString(QTest::currentDataTag()).replace(' ', '_'));
        InMemoryProject project;
        ScriptedInteraction ui;
        if (!httpAnswer.isEmpty())
            ui.answerChoice(httpAnswer);
        ui.answerFolder(folder);
        QVERIFY(downloadExample(project, project.findModuleByName(module), nullptr));

        for (const QString& name : kExampleProjects.value(module)) {
            if (mAvrProblem.isEmpty()) {
                buildArduino(folder + '/' + module + "/Arduino/" + name);
                if (QTest::currentTestFailed())
                    return;
            }
            if (haveArm) {
                buildStm32(folder + '/' + module + "/STM32CubeIDE/" + name);
                if (QTest::currentTestFailed())
                    return;
            }
        }
        if (!mAvrProblem.isEmpty())
            QSKIP(qPrintable("Arduino projects not built: " + mAvrProblem));
        if (!haveArm)
            QSKIP(qPrintable("STM32CubeIDE projects not built: " + noArm));
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
#ifdef EXAMPLE_COMPILE_TEST
    TstExampleCompile test;
#else
    TstExamples test;
#endif
    return QTest::qExec(&test, argc, argv);
}

#include "tst_examples.moc"
