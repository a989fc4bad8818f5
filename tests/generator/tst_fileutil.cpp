// The file helpers: text-mode reading and writing, header insertion, and
// resource copying and its warnings. (askChoice only hands its box to the
// interaction seam: the workflow test's bothSourceFiles checks that box.)

#include "fileutil.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TestFileUtil : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }
    void init()
    {
        // A fresh folder per test, so no test sees another's files.
        mTemp.reset(new QTemporaryDir);
        QVERIFY(mTemp->isValid());
        mDir.setPath(mTemp->path());
        testsupport::takeWarnings();
    }
    void cleanup()
    {
        testsupport::verifyExpectedWarningsSeen();
        mTemp.reset();
    }

    void readResourceText_missingFileGivesEmptyTextSilently()
    {
        const QString text = readResourceText(mDir.filePath("does-not-exist.c"));
        QVERIFY(text.isEmpty());
        QVERIFY(readResourceText(QStringLiteral(":/code/resources/code/no-such-snippet.c")).isEmpty());
        QCOMPARE(testsupport::takeWarnings(), QStringList());
    }

    void readResourceText_dropsCarriageReturnsDecodesUtf8AndStopsAtNul()
    {
        const QString path = mDir.filePath("crlf.c");
        writeBytes(path, QByteArray("line 1\r\nline\xc2\xa0" "2\r\n\r\nend\r\n"));
        QCOMPARE(readResourceText(path), QString::fromUtf8("line 1\nline\u00a0" "2\n\nend\n"));

        writeBytes(path, QByteArray("before\nnul", 10) + QByteArray(1, '\0') + QByteArray("after\n"));
        QCOMPARE(readResourceText(path), QStringLiteral("before\nnul"));
    }

    void readTextFile_failureLeavesOutputUnchanged()
    {
        QString out = QStringLiteral("untouched");
        QVERIFY(!readTextFile(mDir.filePath("missing.txt"), out));
        QCOMPARE(out, QStringLiteral("untouched"));

        const QString path = mDir.filePath("present.txt");
        writeBytes(path, "a\r\nb\r\n");
        QVERIFY(readTextFile(path, out));
        QCOMPARE(out, QStringLiteral("a\nb\n"));
    }

    void writeTextFile_truncatesAndFailsWithoutFolder()
    {
        const QString path = mDir.filePath("out.txt");
        writeBytes(path, "a much longer previous content\n");
        QVERIFY(writeTextFile(path, QStringLiteral("new\ntext\n")));
        // Text mode writes the platform line end: LF here.
        QCOMPARE(readBytes(path), QByteArray("new\ntext\n"));

        QVERIFY(!writeTextFile(mDir.filePath("no-such-folder/out.txt"), QStringLiteral("x")));
        QVERIFY(!QFileInfo::exists(mDir.filePath("no-such-folder")));
        QCOMPARE(testsupport::takeWarnings(), QStringList());
    }

    void writeWithHeader_lastLineEndsUpFirst()
    {
        const QString source = mDir.filePath("src.c");
        const QString destination = mDir.filePath("dst.c");
        writeBytes(source, "x");
        QVERIFY(writeWithHeader(source, destination, {QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(readBytes(destination), QByteArray("BAx"));
        QCOMPARE(readBytes(source), QByteArray("x"));
    }

    void writeWithHeader_failuresWriteNothing()
    {
        const QString destination = mDir.filePath("never.c");
        QVERIFY(!writeWithHeader(mDir.filePath("missing.c"), destination, {QStringLiteral("A")}));
        QVERIFY(!QFileInfo::exists(destination));

        const QString source = mDir.filePath("src.c");
        writeBytes(source, "x");
        QVERIFY(!writeWithHeader(source, mDir.filePath("no-such-folder/dst.c"), {QStringLiteral("A")}));
        QCOMPARE(testsupport::takeWarnings(), QStringList());
    }

    void copyResourceToFile_copiesBytesAndReplacesContent()
    {
        const QString source = mDir.filePath("source.bin");
        const QString destination = mDir.filePath("destination.bin");
        const QByteArray bytes("line\r\nwith\0nul\r\n", 16);
        writeBytes(source, bytes);
        writeBytes(destination, "previous content that is longer than the new one");
        QVERIFY(copyResourceToFile(source, destination));
        QCOMPARE(readBytes(destination), bytes);
        QCOMPARE(testsupport::takeWarnings(), QStringList());
    }

    void copyResourceToFile_warnsWithMessageAndQuotedPath()
    {
        const QString missing = mDir.filePath("missing.pdf");
        const QString destination = mDir.filePath("copy.pdf");
        testsupport::expectWarning(QStringLiteral("Failed to open resource file:"));
        QVERIFY(!copyResourceToFile(missing, destination));
        QCOMPARE(testsupport::takeWarnings(),
                 QStringList{QStringLiteral("Failed to open resource file: \"%1\"").arg(missing)});
        QVERIFY(!QFileInfo::exists(destination));

        const QString source = mDir.filePath("present.pdf");
        writeBytes(source, "pdf");
        const QString unwritable = mDir.filePath("no-such-folder/copy.pdf");
        testsupport::expectWarning(QStringLiteral("Failed to create local file:"));
        QVERIFY(!copyResourceToFile(source, unwritable));
        QCOMPARE(testsupport::takeWarnings(),
                 QStringList{QStringLiteral("Failed to create local file: \"%1\"").arg(unwritable)});
    }

    void copyResourceToFile_readOnlyDestinationFails()
    {
        if (runningAsRoot())
            QSKIP("root may open a read-only file for writing, so the failure cannot be provoked");
        const QString source = mDir.filePath("source.txt");
        const QString destination = mDir.filePath("readonly.txt");
        writeBytes(source, "new");
        writeBytes(destination, "old");
        QVERIFY(QFile::setPermissions(destination, QFileDevice::ReadOwner));
        testsupport::expectWarning(QStringLiteral("Failed to create local file:"));
        QVERIFY(!copyResourceToFile(source, destination));
        QCOMPARE(readBytes(destination), QByteArray("old"));
    }

private:
    std::unique_ptr<QTemporaryDir> mTemp;
    QDir mDir;
};

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
