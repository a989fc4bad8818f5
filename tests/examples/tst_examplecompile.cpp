// Every example project, downloaded as a developer gets it, builds for its
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
#include "examplesupport.h"
#include "inmemoryproject.h"
#include "scriptedinteraction.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace exampletest;
using workflowtest::runIn;

namespace {

const QString kArduinoAvr = QStringLiteral("/usr/share/arduino/hardware/arduino/avr");
const int kAvrRam = 8192;
const int kAvrStackReserve = 512;

const QStringList kStrict = {QStringLiteral("-Wall"), QStringLiteral("-Wextra"), QStringLiteral("-Werror")};

QStringList avrFlags()
{
    return {QStringLiteral("-mmcu=atmega2560"), QStringLiteral("-DF_CPU=16000000L"), QStringLiteral("-DARDUINO=10807"),
            QStringLiteral("-DARDUINO_AVR_MEGA2560"), QStringLiteral("-DARDUINO_ARCH_AVR"), QStringLiteral("-Os"),
            QStringLiteral("-ffunction-sections"), QStringLiteral("-fdata-sections"),
            QStringLiteral("-I") + kArduinoAvr + QStringLiteral("/cores/arduino"),
            QStringLiteral("-I") + kArduinoAvr + QStringLiteral("/variants/mega")};
}

QStringList avrCxxFlags()
{
    return {QStringLiteral("-std=gnu++11"), QStringLiteral("-fno-exceptions"), QStringLiteral("-fno-threadsafe-statics")};
}

QStringList filesIn(const QString& dir, const QString& pattern, const QString& prefix)
{
    QStringList out;
    for (const QString& f : QDir(dir).entryList({pattern}, QDir::Files, QDir::Name))
        out << prefix + f;
    return out;
}

// "text data bss" of an ELF file, from the size tool's Berkeley output.
QList<int> sizes(const QString& sizeTool, const QString& elf, QString* log)
{
    QString out;
    if (!runIn(sizeTool, {elf}, QFileInfo(elf).absolutePath(), log, &out))
        return {};
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\n\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)")).match(out);
    if (!m.hasMatch())
        return {};
    return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
}

} // namespace

class TstExampleCompile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mWork;
    QString mAvrCore; // core.a of the Arduino core, built once
    QString mAvrProblem;

    // Downloads the module's examples into a fresh folder and returns it.
    QString downloadInto(const QString& module, const QString& folderName, const QString& httpAnswer)
    {
        const QString folder = mWork.filePath(folderName);
        InMemoryProject project;
        ScriptedInteraction ui;
        if (!httpAnswer.isEmpty())
            ui.answerChoice(httpAnswer);
        ui.answerFolder(folder);
        TarvexMdl* mdl = project.findModuleByName(module);
        if (!downloadExample(project, mdl, nullptr)) {
            QTest::qFail("the download failed", __FILE__, __LINE__);
            return QString();
        }
        return folder;
    }

    void buildArduino(const QString& projectDir)
    {
        const QString name = QFileInfo(projectDir).fileName();
        const QString gcc = QStandardPaths::findExecutable(QStringLiteral("avr-gcc"));
        const QString gxx = QStandardPaths::findExecutable(QStringLiteral("avr-g++"));
        QString log;
        // The sketch, as the Arduino IDE sees it: C++ with Arduino.h in front.
        QVERIFY2(runIn(gxx, avrFlags() + avrCxxFlags() + kStrict +
                              QStringList{QStringLiteral("-x"), QStringLiteral("c++"), QStringLiteral("-include"),
                                          QStringLiteral("Arduino.h"), QStringLiteral("-c"), name + QStringLiteral(".ino"),
                                          QStringLiteral("-o"), QStringLiteral("sketch.o")},
                     projectDir, &log),
                 qPrintable(log));
        QVERIFY2(runIn(gxx, avrFlags() + avrCxxFlags() + kStrict +
                              QStringList{QStringLiteral("-Wno-missing-field-initializers"), QStringLiteral("-c"),
                                          QStringLiteral("gsm_manager.cpp"), QStringLiteral("-o"), QStringLiteral("gsm_manager.o")},
                     projectDir, &log),
                 qPrintable(log));
        const QStringList cSources = QStringList{QStringLiteral("circbuff.c")} +
                                     filesIn(projectDir + QStringLiteral("/src/Tarvex"), QStringLiteral("*.c"), QStringLiteral("src/Tarvex/"));
        QVERIFY(cSources.size() > 4);
        QVERIFY2(runIn(gcc, avrFlags() + kStrict + QStringList{QStringLiteral("-std=gnu11"), QStringLiteral("-c")} + cSources,
                     projectDir, &log),
                 qPrintable(log));
        QStringList objects = {QStringLiteral("sketch.o"), QStringLiteral("gsm_manager.o")};
        for (const QString& source : cSources)
            objects << QFileInfo(source).completeBaseName() + QStringLiteral(".o");
        QVERIFY2(runIn(gcc, QStringList{QStringLiteral("-mmcu=atmega2560"), QStringLiteral("-Os"), QStringLiteral("-Wl,--gc-sections")} +
                              objects + QStringList{mAvrCore, QStringLiteral("-lm"), QStringLiteral("-o"), name + QStringLiteral(".elf")},
                     projectDir, &log),
                 qPrintable(log));

        const QList<int> s = sizes(QStandardPaths::findExecutable(QStringLiteral("avr-size")), projectDir + QLatin1Char('/') + name + QStringLiteral(".elf"), &log);
        QCOMPARE(s.size(), 3);
        const int ram = s.at(1) + s.at(2);
        qInfo("%-28s ATmega2560: flash %6d bytes, RAM %5d of %d bytes", qPrintable(name), s.at(0) + s.at(1), ram, kAvrRam);
        QVERIFY2(ram <= kAvrRam - kAvrStackReserve, qPrintable(QStringLiteral("%1 bytes of RAM leave too little for the stack").arg(ram)));
    }

    void buildStm32(const QString& projectDir)
    {
        const QString name = QFileInfo(projectDir).fileName();
        const QString gcc = QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-gcc"));
        const QString cproject = projectDir + QStringLiteral("/.cproject");
        QStringList flags = {QStringLiteral("-mcpu=cortex-m4"), QStringLiteral("-mthumb"), QStringLiteral("-mfpu=fpv4-sp-d16"),
                             QStringLiteral("-mfloat-abi=hard"), QStringLiteral("-std=gnu11"), QStringLiteral("-Os"),
                             QStringLiteral("-ffunction-sections"), QStringLiteral("-fdata-sections")};
        // What STM32CubeIDE would pass, taken from the project file.
        const QStringList includes = cprojectOption(testsupport::readBytes(cproject), QStringLiteral("compiler.option.includepaths"), true);
        const QStringList symbols = cprojectOption(testsupport::readBytes(cproject), QStringLiteral("compiler.option.definedsymbols"), true);
        const QStringList scripts = cprojectOption(testsupport::readBytes(cproject), QStringLiteral("linker.option.script"), true);
        QVERIFY(!includes.isEmpty());
        QVERIFY(symbols.contains(QStringLiteral("STM32F411xE")));
        QCOMPARE(scripts.size(), 1);
        for (const QString& include : includes)
            flags << QStringLiteral("-I") + include;
        for (const QString& symbol : symbols)
            flags << QStringLiteral("-D") + symbol;
        QString script = scripts.first();
        script.replace(QStringLiteral("${workspace_loc:/${ProjName}/"), QStringLiteral("../")).remove(QLatin1Char('}'));

        // The IDE builds in Debug/, so relative paths start with "../".
        const QString buildDir = projectDir + QStringLiteral("/Debug");
        QVERIFY(QDir().mkpath(buildDir));
        const QStringList sources = filesIn(projectDir + QStringLiteral("/Core/Src"), QStringLiteral("*.c"), QStringLiteral("../Core/Src/")) +
                                    filesIn(projectDir + QStringLiteral("/Core/Tarvex"), QStringLiteral("*.c"), QStringLiteral("../Core/Tarvex/")) +
                                    filesIn(projectDir + QStringLiteral("/Core/Startup"), QStringLiteral("*.s"), QStringLiteral("../Core/Startup/"));
        QVERIFY(sources.size() > 8);
        QString log;
        QVERIFY2(runIn(gcc, flags + kStrict + sources +
                              QStringList{QStringLiteral("-T") + script, QStringLiteral("-Wl,--gc-sections"),
                                          QStringLiteral("-Wl,--start-group"), QStringLiteral("-lc_nano"),
                                          QStringLiteral("-lnosys"), QStringLiteral("-Wl,--end-group"),
                                          QStringLiteral("-o"), name + QStringLiteral(".elf")},
                     buildDir, &log),
                 qPrintable(log));

        const QString elf = buildDir + QLatin1Char('/') + name + QStringLiteral(".elf");
        QString symbolsText;
        QVERIFY2(runIn(QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-nm")), {elf}, buildDir, &log, &symbolsText), qPrintable(log));
        auto address = [&](const char* symbol) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^([0-9a-f]+) \\w %1$").arg(QLatin1String(symbol)), QRegularExpression::MultilineOption)
                    .match(symbolsText);
            return m.hasMatch() ? m.captured(1) : QString();
        };
        QCOMPARE(address("g_pfnVectors"), QStringLiteral("08000000"));
        QVERIFY(!address("SysTick_Handler").isEmpty());
        QVERIFY2(address("SysTick_Handler") != address("Default_Handler"), "SysTick_Handler falls back to Default_Handler");

        const QList<int> s = sizes(QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-size")), elf, &log);
        QCOMPARE(s.size(), 3);
        qInfo("%-28s STM32F411RE: flash %6d bytes, RAM %6d bytes", qPrintable(name), s.at(0) + s.at(1), s.at(1) + s.at(2));
    }

private slots:
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        QVERIFY(mWork.isValid());
        const QString gcc = QStandardPaths::findExecutable(QStringLiteral("avr-gcc"));
        const QString gxx = QStandardPaths::findExecutable(QStringLiteral("avr-g++"));
        const QString ar = QStandardPaths::findExecutable(QStringLiteral("avr-ar"));
        if (gcc.isEmpty() || gxx.isEmpty() || ar.isEmpty()) {
            mAvrProblem = QStringLiteral("avr-gcc, avr-g++ and avr-ar are needed (gcc-avr, binutils-avr)");
            return;
        }
        if (!QFileInfo::exists(kArduinoAvr + QStringLiteral("/cores/arduino/Arduino.h"))) {
            mAvrProblem = QStringLiteral("the Arduino AVR core is needed (arduino-core-avr)");
            return;
        }
        // The Arduino core, once, as a library: only what a sketch uses is linked,
        // as in the Arduino IDE. WString.cpp needs DECIMAL_DIG, which this
        // compiler's float.h leaves out in C++.
        const QString coreDir = mWork.filePath(QStringLiteral("arduino-core"));
        QVERIFY(QDir().mkpath(coreDir));
        const QString core = kArduinoAvr + QStringLiteral("/cores/arduino/");
        QString log;
        QVERIFY2(runIn(gcc, avrFlags() + QStringList{QStringLiteral("-std=gnu11"), QStringLiteral("-c")} +
                              filesIn(core, QStringLiteral("*.c"), core),
                     coreDir, &log),
                 qPrintable(log));
        QVERIFY2(runIn(gxx, avrFlags() + avrCxxFlags() + QStringList{QStringLiteral("-DDECIMAL_DIG=__DECIMAL_DIG__"), QStringLiteral("-c")} +
                              filesIn(core, QStringLiteral("*.cpp"), core),
                     coreDir, &log),
                 qPrintable(log));
        QVERIFY2(runIn(gcc, avrFlags() + QStringList{QStringLiteral("-x"), QStringLiteral("assembler-with-cpp"), QStringLiteral("-c")} +
                              filesIn(core, QStringLiteral("*.S"), core),
                     coreDir, &log),
                 qPrintable(log));
        mAvrCore = coreDir + QStringLiteral("/core.a");
        QVERIFY2(runIn(ar, QStringList{QStringLiteral("rcs"), mAvrCore} + filesIn(coreDir, QStringLiteral("*.o"), QString()), coreDir, &log),
                 qPrintable(log));
    }

    void examplesBuild_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("httpAnswer");
        const QMap<QString, QStringList> expected = expectedExampleProjects();
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (it.key() == QLatin1String("HTTP_Client_SIMCom")) {
                QTest::newRow("HTTP_Client_SIMCom LTE") << it.key() << QStringLiteral("SIMCom LTE");
                QTest::newRow("HTTP_Client_SIMCom 2G") << it.key() << QStringLiteral("SIMCom 2G");
            } else {
                QTest::newRow(qPrintable(it.key())) << it.key() << QString();
            }
        }
    }

    void examplesBuild()
    {
        QFETCH(QString, module);
        QFETCH(QString, httpAnswer);
        const bool haveArm = !QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-gcc")).isEmpty();
        if (!mAvrProblem.isEmpty() && !haveArm)
            QSKIP(qPrintable(mAvrProblem + QStringLiteral("; arm-none-eabi-gcc is needed (gcc-arm-none-eabi)")));

        const QString folder = downloadInto(module, QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')), httpAnswer);
        if (folder.isEmpty())
            return;
        const QStringList projects = expectedExampleProjects().value(module);
        for (const QString& project : projects) {
            if (mAvrProblem.isEmpty()) {
                buildArduino(folder + QLatin1Char('/') + module + QStringLiteral("/Arduino/") + project);
                if (QTest::currentTestFailed())
                    return;
            }
            if (haveArm) {
                buildStm32(folder + QLatin1Char('/') + module + QStringLiteral("/STM32CubeIDE/") + project);
                if (QTest::currentTestFailed())
                    return;
            }
        }
        if (!mAvrProblem.isEmpty())
            QSKIP(qPrintable(QStringLiteral("Arduino projects not built: ") + mAvrProblem));
        if (!haveArm)
            QSKIP("STM32CubeIDE projects not built: arm-none-eabi-gcc is needed (gcc-arm-none-eabi)");
    }
};

QTEST_GUILESS_MAIN(TstExampleCompile)
#include "tst_examplecompile.moc"
