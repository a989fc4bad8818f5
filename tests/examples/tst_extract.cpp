// extractArchive on archives built by the test: the layout it produces, what
// happens to files already in the target, and hostile entries (absolute
// names, "..", backslashes, drive names, links out of the target) that must
// never write outside the target folder.

#include "exampledownload.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

namespace {

using testsupport::readBytes;
using testsupport::writeBytes;

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

// Every file and folder under dir, relative, sorted; folders end in "/".
QStringList tree(const QString& dir)
{
    return workflowtest::snapshot(dir).keys();
}

} // namespace

class TstExtract : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void layoutFollowsEntries()
    {
        QTemporaryDir work;
        const QString zip = work.filePath(QStringLiteral("a.zip"));
        QVERIFY(writeZip(zip, {{QStringLiteral("SMS_Read/"), {}},
                               {QStringLiteral("SMS_Read/Arduino/"), {}},
                               {QStringLiteral("SMS_Read/Arduino/SMS_Read/SMS_Read.ino"), "void setup() {}\r\n"},
                               // No folder entries for this branch: the folders are made anyway.
                               {QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/Core/Src/main.c"), "int main;\n"},
                               {QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/Empty/"), {}},
                               {QStringLiteral("SMS_Read/bin.dat"), QByteArray("\x00\x01\xff\r\n", 5)}}));
        // The target does not exist yet: it is created with its parents.
        const QString target = work.filePath(QStringLiteral("deep/target"));
        QVERIFY(extractArchive(zip, target));

        QCOMPARE(tree(target), (QStringList{QStringLiteral("SMS_Read/"), QStringLiteral("SMS_Read/Arduino/"),
                                            QStringLiteral("SMS_Read/Arduino/SMS_Read/"),
                                            QStringLiteral("SMS_Read/Arduino/SMS_Read/SMS_Read.ino"),
                                            QStringLiteral("SMS_Read/STM32CubeIDE/"),
                                            QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/"),
                                            QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/Core/"),
                                            QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/Core/Src/"),
                                            QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/Core/Src/main.c"),
                                            QStringLiteral("SMS_Read/STM32CubeIDE/SMS_Read/Empty/"),
                                            QStringLiteral("SMS_Read/bin.dat")}));
        // Bytes are copied unchanged: no line-end translation.
        QCOMPARE(readBytes(target + QStringLiteral("/SMS_Read/Arduino/SMS_Read/SMS_Read.ino")),
                 QByteArray("void setup() {}\r\n"));
        QCOMPARE(readBytes(target + QStringLiteral("/SMS_Read/bin.dat")), QByteArray("\x00\x01\xff\r\n", 5));
    }

    void existingFilesOverwrittenOthersKept()
    {
        QTemporaryDir work;
        const QString zip = work.filePath(QStringLiteral("a.zip"));
        QVERIFY(writeZip(zip, {{QStringLiteral("M/a.txt"), "new a"}, {QStringLiteral("M/sub/b.txt"), "new b"}}));
        const QString target = work.filePath(QStringLiteral("t"));
        QVERIFY(writeBytes(target + QStringLiteral("/M/a.txt"), "old a, much longer than the new content"));
        QVERIFY(writeBytes(target + QStringLiteral("/M/mine.txt"), "mine"));
        QVERIFY(writeBytes(target + QStringLiteral("/other.txt"), "other"));

        QVERIFY(extractArchive(zip, target));
        QCOMPARE(readBytes(target + QStringLiteral("/M/a.txt")), QByteArray("new a"));
        QCOMPARE(readBytes(target + QStringLiteral("/M/sub/b.txt")), QByteArray("new b"));
        QCOMPARE(readBytes(target + QStringLiteral("/M/mine.txt")), QByteArray("mine"));
        QCOMPARE(readBytes(target + QStringLiteral("/other.txt")), QByteArray("other"));
    }

    void unopenableArchive()
    {
        QTemporaryDir work;
        const QString target = work.filePath(QStringLiteral("t"));
        QVERIFY(!extractArchive(QStringLiteral(":/examples/resources/examples/.zip"), target));
        QVERIFY(!extractArchive(work.filePath(QStringLiteral("missing.zip")), target));
        QVERIFY(writeBytes(work.filePath(QStringLiteral("junk.zip")), "this is not a zip archive"));
        QVERIFY(!extractArchive(work.filePath(QStringLiteral("junk.zip")), target));
        // Nothing is created when the archive cannot be opened.
        QVERIFY(!QFileInfo::exists(target));
    }

    void hostileEntriesNeverLeaveTheTarget()
    {
        QTemporaryDir work;
        const QString outside = work.filePath(QStringLiteral("outside"));
        const QString target = work.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QDir().mkpath(target + QStringLiteral("/real")));
        // A link out of the target, and one that stays inside.
        QVERIFY(QFile::link(outside, target + QStringLiteral("/link")));
        QVERIFY(QFile::link(target + QStringLiteral("/real"), target + QStringLiteral("/inner")));
        // A file link pointing out: writing through it would change the outside file.
        QVERIFY(writeBytes(outside + QStringLiteral("/victim.txt"), "victim"));
        QVERIFY(QFile::link(outside + QStringLiteral("/victim.txt"), target + QStringLiteral("/victim.txt")));
        // Dangling links out: following them would create outside files and folders.
        QVERIFY(QFile::link(outside + QStringLiteral("/made-dir"), target + QStringLiteral("/dangling-dir")));
        QVERIFY(QFile::link(outside + QStringLiteral("/made-file.txt"), target + QStringLiteral("/dangling-file.txt")));

        const QString zip = work.filePath(QStringLiteral("evil.zip"));
        QVERIFY(writeZip(zip, {{QStringLiteral("ok/first.txt"), "1"},
                               {outside + QStringLiteral("/absolute.txt"), "x"},
                               {QStringLiteral("../escape.txt"), "x"},
                               {QStringLiteral("ok/../../escape2.txt"), "x"},
                               {QStringLiteral("..\\escape3.txt"), "x"},
                               {QStringLiteral("ok\\..\\..\\escape4.txt"), "x"},
                               {QStringLiteral("C:/escape5.txt"), "x"},
                               {QStringLiteral("C:escape6.txt"), "x"},
                               {QStringLiteral("\\\\server\\share\\escape7.txt"), "x"},
                               {QStringLiteral("link/escape8.txt"), "x"},
                               {QStringLiteral("link/deeper/escape9.txt"), "x"},
                               {QStringLiteral("link/made/"), {}},
                               {QStringLiteral("victim.txt"), "overwritten"},
                               {QStringLiteral("dangling-dir/escape10.txt"), "x"},
                               {QStringLiteral("dangling-dir/"), {}},
                               {QStringLiteral("dangling-file.txt"), "x"},
                               {QStringLiteral(".."), "x"},
                               {QStringLiteral("/"), {}},
                               {QStringLiteral("inner/through-inner-link.txt"), "2"},
                               {QStringLiteral("ok/./dot.txt"), "3"},
                               {QStringLiteral("ok/last.txt"), "4"}}));

        QVERIFY(extractArchive(zip, target));

        // Nothing appeared or changed outside the target.
        QCOMPARE(tree(outside), QStringList{QStringLiteral("victim.txt")});
        QCOMPARE(readBytes(outside + QStringLiteral("/victim.txt")), QByteArray("victim"));
        QCOMPARE(tree(work.path()).filter(QStringLiteral("escape")), QStringList());
        // Legitimate entries before and after the hostile ones were written.
        QCOMPARE(readBytes(target + QStringLiteral("/ok/first.txt")), QByteArray("1"));
        QCOMPARE(readBytes(target + QStringLiteral("/real/through-inner-link.txt")), QByteArray("2"));
        QCOMPARE(readBytes(target + QStringLiteral("/ok/dot.txt")), QByteArray("3"));
        QCOMPARE(readBytes(target + QStringLiteral("/ok/last.txt")), QByteArray("4"));
    }

    void damagedEntryKeepsExistingFile()
    {
        QTemporaryDir work;
        const QString zip = work.filePath(QStringLiteral("a.zip"));
        const QByteArray payload("PAYLOAD-0123456789");
        QVERIFY(writeZip(zip, {{QStringLiteral("M/damaged.txt"), payload}, {QStringLiteral("M/fine.txt"), "fine"}}));
        // Flip one byte of the stored data: the entry's checksum no longer matches.
        QByteArray bytes = readBytes(zip);
        const int at = bytes.indexOf(payload);
        QVERIFY(at > 0);
        bytes[at] = 'X';
        QVERIFY(writeBytes(zip, bytes));

        const QString target = work.filePath(QStringLiteral("t"));
        QVERIFY(writeBytes(target + QStringLiteral("/M/damaged.txt"), "previous"));
        QVERIFY(extractArchive(zip, target));
        QCOMPARE(readBytes(target + QStringLiteral("/M/damaged.txt")), QByteArray("previous"));
        QCOMPARE(readBytes(target + QStringLiteral("/M/fine.txt")), QByteArray("fine"));
    }

    void badSizesAreRefusedAndReported_data()
    {
        QTest::addColumn<int>("sizeChange"); // added to the sizes the headers announce
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<QString>("reason");
        QTest::newRow("larger than the cap") << 0 << qint64(999) << "is larger (1000 bytes) than the 999 bytes";
        QTest::newRow("header announces more") << 7 << kMaxExampleEntrySize << "holds 1000 bytes, its header announces 1007";
        QTest::newRow("header announces less") << -7 << kMaxExampleEntrySize << "damaged";
    }

    void badSizesAreRefusedAndReported()
    {
        QFETCH(int, sizeChange);
        QFETCH(qint64, cap);
        QFETCH(QString, reason);
        QTemporaryDir work;
        const QString zip = work.filePath(QStringLiteral("a.zip"));
        QVERIFY(writeZip(zip, {{QStringLiteral("M/big.bin"), QByteArray(1000, 'b')}, {QStringLiteral("M/fine.txt"), "fine"}}));
        // The uncompressed size of the first entry, in its local header
        // (offset 22) and its central directory record (offset 24).
        QByteArray bytes = readBytes(zip);
        auto patch = [&bytes, sizeChange](int at) {
            quint32 size = 0;
            for (int i = 3; i >= 0; --i)
                size = (size << 8) | quint8(bytes.at(at + i));
            QCOMPARE(size, 1000u);
            size += sizeChange;
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = char((size >> (8 * i)) & 0xff);
        };
        patch(bytes.indexOf("PK\x03\x04") + 22);
        patch(bytes.indexOf("PK\x01\x02") + 24);
        QVERIFY(writeBytes(zip, bytes));

        const QString target = work.filePath(QStringLiteral("t"));
        QVERIFY(writeBytes(target + QStringLiteral("/M/big.bin"), "previous"));
        QStringList problems;
        QVERIFY(extractArchive(zip, target, &problems, cap));
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.at(0).startsWith(QStringLiteral("'%1/M/big.bin': ").arg(target)) &&
                     problems.at(0).contains(reason),
                 qPrintable(problems.at(0)));
        QCOMPARE(readBytes(target + QStringLiteral("/M/big.bin")), QByteArray("previous"));
        QCOMPARE(readBytes(target + QStringLiteral("/M/fine.txt")), QByteArray("fine"));
    }

    void unwritableEntrySkipped()
    {
        QTemporaryDir work;
        const QString zip = work.filePath(QStringLiteral("a.zip"));
        QVERIFY(writeZip(zip, {{QStringLiteral("M/blocked"), "x"},
                               {QStringLiteral("M/file/inside.txt"), "x"},
                               {QStringLiteral("M/after.txt"), "after"}}));
        const QString target = work.filePath(QStringLiteral("t"));
        // A folder where the archive has a file, a file where it has a folder.
        QVERIFY(QDir().mkpath(target + QStringLiteral("/M/blocked")));
        QVERIFY(writeBytes(target + QStringLiteral("/M/file"), "plain file"));

        QStringList problems;
        QVERIFY(extractArchive(zip, target, &problems));
        QCOMPARE(problems.size(), 2);
        QVERIFY2(problems.at(0).startsWith(QStringLiteral("'%1/M/blocked': ").arg(target)) &&
                     problems.at(1).startsWith(QStringLiteral("'%1/M/file/inside.txt': ").arg(target)),
                 qPrintable(problems.join(QLatin1Char('\n'))));
        QVERIFY(QFileInfo(target + QStringLiteral("/M/blocked")).isDir());
        QCOMPARE(readBytes(target + QStringLiteral("/M/file")), QByteArray("plain file"));
        QCOMPARE(readBytes(target + QStringLiteral("/M/after.txt")), QByteArray("after"));
    }
};

QTEST_GUILESS_MAIN(TstExtract)
#include "tst_extract.moc"
