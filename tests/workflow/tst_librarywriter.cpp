// The library file writer on its own: the support files and where the
// circular-buffer files go for each caller's prefixes, the header in front
// of every file, and a module file that cannot be written.

#include "fileutil.h"
#include "librarywriter.h"
#include "managerassembly.h"
#include "scriptedinteraction.h"
#include "tarvexmdl.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace workflowtest;

namespace {

// A module that needs one real library file and one the bundle lacks.
class BrokenModule : public TarvexMdl
{
public:
    QStringList getLibraryFiles() const override
    {
        return {QStringLiteral("GSM_Power.h"), QStringLiteral("GSM_NotInTheBundle.c"), QStringLiteral("GSM_Power.c")};
    }
};

QByteArray withHeader(const QString& resource)
{
    return (QStringLiteral("\n") + fileHeaderLines().at(0) + readResourceText(resource)).toUtf8();
}

} // namespace

class TstLibraryWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void supportFilesAndCircularBuffers_data()
    {
        QTest::addColumn<QString>("libraryFolder");
        QTest::addColumn<QString>("headerFolder");
        QTest::addColumn<QString>("sourceFolder");
        QTest::newRow("plain") << "Tarvex" << "" << "";
        QTest::newRow("Arduino") << "src/Tarvex" << "" << "";
        QTest::newRow("STM32CubeIDE") << "Core/Tarvex" << "Core/Inc/" << "Core/Src/";
    }

    void supportFilesAndCircularBuffers()
    {
        QFETCH(QString, libraryFolder);
        QFETCH(QString, headerFolder);
        QFETCH(QString, sourceFolder);
        ScriptedInteraction ui;
        QTemporaryDir dir;
        for (const QString& f : {headerFolder, sourceFolder})
            if (!f.isEmpty())
                QVERIFY(QDir(dir.path()).mkpath(f));
        // Twice: the second run replaces every file it wrote and removes none.
        for (int run = 0; run < 2; ++run)
            QVERIFY(writeLibraryFiles(libraryFolder, headerFolder, sourceFolder, QDir(dir.path()), {},
                                      fileHeaderLines()));
        QVERIFY(ui.boxes().isEmpty());

        const QMap<QString, QByteArray> files = snapshot(dir.path());
        QStringList expected;
        for (const QString& f : {QStringLiteral("GSM_Globals.h"), QStringLiteral("GSM_Required_Externals.h"),
                                 QStringLiteral("GSM_Util.h"), QStringLiteral("GSM_Util.c")}) {
            expected << libraryFolder + QLatin1Char('/') + f;
            QCOMPARE(files.value(libraryFolder + QLatin1Char('/') + f),
                     withHeader(QStringLiteral(":/tarvex/resources/tarvex/") + f));
        }
        expected << headerFolder + QStringLiteral("circbuff.h") << sourceFolder + QStringLiteral("circbuff.c");
        QCOMPARE(files.value(headerFolder + QStringLiteral("circbuff.h")),
                 withHeader(QStringLiteral(":/code/resources/code/circbuff.h")));
        QCOMPARE(files.value(sourceFolder + QStringLiteral("circbuff.c")),
                 withHeader(QStringLiteral(":/code/resources/code/circbuff.c")));
        QStringList written;
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            if (!it.key().endsWith(QLatin1Char('/')))
                written << it.key();
        expected.sort();
        QCOMPARE(written, expected);
    }

    void moduleFileThatCannotBeWritten()
    {
        ScriptedInteraction ui;
        QTemporaryDir dir;
        BrokenModule broken;
        QVERIFY(!writeLibraryFiles(QStringLiteral("Tarvex"), QString(), QString(), QDir(dir.path()), {&broken},
                                   fileHeaderLines()));
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Write Error"));
        QVERIFY(ui.boxes().at(0).text.startsWith(
            QStringLiteral("Failed to write library module files to specified directory.\n\n")));
        QVERIFY(ui.boxes().at(0).text.contains(QStringLiteral("GSM_NotInTheBundle.c")));
        // Every file is read before the first one is written: nothing was.
        QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
    }
};

QTEST_GUILESS_MAIN(TstLibraryWriter)
#include "tst_librarywriter.moc"
