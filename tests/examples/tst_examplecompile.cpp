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
        const QMap<QString, QStringList> expected = expectedExampleProjects();
        for (const QString& module : expected.keys()) {
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

        for (const QString& name : expectedExampleProjects().value(module)) {
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

QTEST_GUILESS_MAIN(TstExampleCompile)
#include "tst_examplecompile.moc"
