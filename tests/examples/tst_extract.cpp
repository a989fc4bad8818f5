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

};

QTEST_GUILESS_MAIN(TstExtract)
#include "tst_extract.moc"
