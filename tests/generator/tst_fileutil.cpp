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

using testsupport::readBytes;
using testsupport::writeBytes;

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

    // readResourceText: CR dropped, UTF-8 decoded, cut at a NUL, a missing
    // file is empty text without a warning. readTextFile: CR LF read as LF,
    // and a failure leaves the output as it was.
    void readers_data()
    {
        QTest::addColumn<bool>("resource"); // readResourceText, else readTextFile
        QTest::addColumn<QString>("path");  // a file written with the bytes, or a missing one
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // null: readTextFile fails
        QTest::newRow("resource: missing file") << true << "does-not-exist.c" << QByteArray() << "";
        QTest::newRow("resource: missing resource") << true << ":/code/resources/code/no-such-snippet.c"
                                                    << QByteArray() << "";
        QTest::newRow("resource: CR LF, UTF-8") << true << "crlf.c"
                                                << QByteArray("line 1\r\nline\xc2\xa0" "2\r\n\r\nend\r\n")
                                                << QString::fromUtf8("line 1\nline\u00a0" "2\n\nend\n");
        QTest::newRow("resource: stops at NUL") << true << "nul.c" << QByteArray("before\nnul\0after\n", 17)
                                                << "before\nnul";
        QTest::newRow("text: missing file") << false << "missing.txt" << QByteArray() << QString();
        QTest::newRow("text: CR LF") << false << "present.txt" << QByteArray("a\r\nb\r\n") << "a\nb\n";
    }

    void readers()
    {
        QFETCH(bool, resource);
        QFETCH(QString, path);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        if (!path.startsWith(QLatin1Char(':')))
            path = mDir.filePath(path);
        if (!bytes.isNull())
            QVERIFY(writeBytes(path, bytes));
        if (resource) {
            QCOMPARE(readResourceText(path), expected);
        } else {
            QString out = QStringLiteral("untouched");
            QCOMPARE(readTextFile(path, out), !expected.isNull());
            QCOMPARE(out, expected.isNull() ? QStringLiteral("untouched") : expected);
        }
        QCOMPARE(testsupport::takeWarnings(), QStringList());
    }

    // writeTextFile, writeWithHeader (the last header line ends up first)
    // and copyResourceToFile: what the destination holds afterwards (a
    // longer old content replaced), failures that create nothing, and the
    // warnings of the resource copy.
    void writers_data()
    {
        QTest::addColumn<QString>("op");          // "text", "header", "copy"
        QTest::addColumn<QByteArray>("source");   // null: missing source file
        QTest::addColumn<QString>("destination"); // relative to the folder
        QTest::addColumn<QByteArray>("expected"); // destination bytes; null: the call fails, nothing created
        QTest::addColumn<QString>("warning");     // %1: source, %2: destination
        const QByteArray bytes("line\r\nwith\0nul\r\n", 16);
        QTest::newRow("text") << "text" << QByteArray() << "out.txt" << QByteArray("new\ntext\n") << "";
        QTest::newRow("text without folder") << "text" << QByteArray() << "no-such-folder/out.txt" << QByteArray()
                                             << "";
        QTest::newRow("header") << "header" << QByteArray("x") << "dst.c" << QByteArray("BAx") << "";
        QTest::newRow("header, missing source") << "header" << QByteArray() << "never.c" << QByteArray() << "";
        QTest::newRow("header without folder") << "header" << QByteArray("x") << "no-such-folder/dst.c"
                                               << QByteArray() << "";
        QTest::newRow("copy") << "copy" << bytes << "destination.bin" << bytes << "";
        QTest::newRow("copy, missing source") << "copy" << QByteArray() << "copy.pdf" << QByteArray()
                                              << "Failed to open resource file: \"%1\"";
        QTest::newRow("copy without folder") << "copy" << QByteArray("pdf") << "no-such-folder/copy.pdf"
                                             << QByteArray() << "Failed to create local file: \"%2\"";
    }

    void writers()
    {
        QFETCH(QString, op);
        QFETCH(QByteArray, source);
        QFETCH(QString, destination);
        QFETCH(QByteArray, expected);
        QFETCH(QString, warning);
        const QString from = mDir.filePath(QStringLiteral("source"));
        const QString to = mDir.filePath(destination);
        if (!source.isNull())
            QVERIFY(writeBytes(from, source));
        if (!destination.contains(QLatin1Char('/')))
            QVERIFY(writeBytes(to, "a much longer previous content\n"));
        if (!warning.isEmpty())
            testsupport::expectWarning(warning.left(warning.indexOf(QLatin1Char(':'))));
        bool ok = false;
        if (op == QLatin1String("text"))
            ok = writeTextFile(to, QStringLiteral("new\ntext\n")); // text mode: the platform line end, LF here
        else if (op == QLatin1String("header"))
            ok = writeWithHeader(from, to, {QStringLiteral("A"), QStringLiteral("B")});
        else
            ok = copyResourceToFile(from, to);
        QCOMPARE(ok, !expected.isNull());
        QCOMPARE(testsupport::takeWarnings(),
                 warning.isEmpty() ? QStringList() : QStringList{warning.replace("%1", from).replace("%2", to)});
        if (!expected.isNull())
            QCOMPARE(readBytes(to), expected);
        else if (!destination.contains(QLatin1Char('/')))
            QCOMPARE(readBytes(to), QByteArray("a much longer previous content\n")); // a failure changes nothing
        if (!source.isNull())
            QCOMPARE(readBytes(from), source);
        QVERIFY(!QFileInfo::exists(mDir.filePath(QStringLiteral("no-such-folder"))));
    }

    void copyResourceToFile_readOnlyDestinationFails()
    {
        if (::geteuid() == 0)
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
