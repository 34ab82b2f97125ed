// Packing and checked unpacking of the folders the cloud sync moves.

#include "storage/cloudarchive.h"
#include "support/filetree.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Files = FileTree;

// A zip written entry by entry, so that names and modes can be what no honest packer makes.
bool writeZip(const QString &zipPath, const QList<QPair<QString, QByteArray>> &entries, quint32 mode = 0100644)
{
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const auto &e : entries) {
        QuaZipNewInfo info(e.first);
        info.externalAttr = mode << 16;
        QuaZipFile out(&zip);
        if (!out.open(QIODevice::WriteOnly, info) || out.write(e.second) != e.second.size())
            return false;
        out.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

const Files kUserFiles{{"ConfigJsonFile/Config1.json", "{\"dpi\":800}"}, {"keep.txt", "mine"}};

} // namespace

class TestCloudArchive : public QObject
{
    Q_OBJECT
private slots:
    void roundTripReplacesTheFolder();
    void refusedArchivesLeaveTheFolder_data();
    void refusedArchivesLeaveTheFolder();
    void entryNames_data();
    void entryNames();
    void missingFolderIsNotPacked();
};

void TestCloudArchive::roundTripReplacesTheFolder()
{
    QTemporaryDir dir;
    const Files source{{"a/Config1.json", "one"}, {"a/b/deep.bin", QByteArray("\0\1\2\377", 4)}, {"top.txt", ""}};
    for (auto it = source.begin(); it != source.end(); ++it)
        QVERIFY(writeFile(dir.path() + "/src/" + it.key(), it.value()));
    QVERIFY(CloudArchive::compressFolder(dir.path() + "/src", dir.path() + "/src.zip"));
    for (auto it = kUserFiles.begin(); it != kUserFiles.end(); ++it)
        QVERIFY(writeFile(dir.path() + "/dst/" + it.key(), it.value()));

    QCOMPARE(CloudArchive::replaceFolder(dir.path() + "/src.zip", dir.path() + "/dst"), CloudArchive::Unpacked::Replaced);
    // Exactly the archive's files: the old ones are gone, no staging folder is left.
    QCOMPARE(readTree(dir.path() + "/dst"), source);
    QVERIFY(!QFileInfo::exists(dir.path() + "/dst1"));
    QVERIFY(!QFileInfo::exists(dir.path() + "/dst.old"));
}

void TestCloudArchive::refusedArchivesLeaveTheFolder_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<int>("expected");
    const int unsafe = int(CloudArchive::Unpacked::Unsafe);
    QTest::newRow("parent entry") << QStringList{"ok.txt", "../evil.txt"} << quint32(0100644) << unsafe;
    QTest::newRow("parent in the middle") << QStringList{"a/../../evil.txt"} << quint32(0100644) << unsafe;
    QTest::newRow("absolute") << QStringList{"/tmp/evil.txt"} << quint32(0100644) << unsafe;
    QTest::newRow("backslash parent") << QStringList{"..\\evil.txt"} << quint32(0100644) << unsafe;
    QTest::newRow("drive letter") << QStringList{"C:evil.txt"} << quint32(0100644) << unsafe;
    QTest::newRow("symbolic link") << QStringList{"link"} << quint32(0120777) << unsafe;
    QTest::newRow("only a folder") << QStringList{"empty/"} << quint32(040755) << int(CloudArchive::Unpacked::Empty);
}

void TestCloudArchive::refusedArchivesLeaveTheFolder()
{
    QFETCH(QStringList, names);
    QFETCH(quint32, mode);
    QFETCH(int, expected);
    QTemporaryDir dir;
    for (auto it = kUserFiles.begin(); it != kUserFiles.end(); ++it)
        QVERIFY(writeFile(dir.path() + "/box/target/" + it.key(), it.value()));
    QList<QPair<QString, QByteArray>> entries;
    for (const QString &n : names)
        entries.append({n, mode == 0120777 ? QByteArray("/etc/passwd") : QByteArray("payload")});
    QVERIFY(writeZip(dir.path() + "/in.zip", entries, mode));

    QCOMPARE(int(CloudArchive::replaceFolder(dir.path() + "/in.zip", dir.path() + "/box/target")), expected);
    QCOMPARE(readTree(dir.path() + "/box/target"), kUserFiles);
    // Nothing was written anywhere else either.
    QCOMPARE(QDir(dir.path() + "/box").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"target"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"box", "in.zip"}));
}

void TestCloudArchive::entryNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "Config1.json" << true;
    QTest::newRow("nested") << "AFile/ConfigJsonFile/Config1.json" << true;
    QTest::newRow("dots in a name") << "a..b/..c" << true;
    QTest::newRow("parent") << "../x" << false;
    QTest::newRow("trailing parent") << "a/.." << false;
    QTest::newRow("absolute") << "/x" << false;
    QTest::newRow("empty") << "" << false;
}

void TestCloudArchive::entryNames()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(CloudArchive::isSafeEntryName(name), safe);
}

void TestCloudArchive::missingFolderIsNotPacked()
{
    QTemporaryDir dir;
    QVERIFY(!CloudArchive::compressFolder(dir.path() + "/none", dir.path() + "/none.zip"));
    QVERIFY(!QFileInfo::exists(dir.path() + "/none.zip"));
    // Garbage instead of a zip leaves the folder as it was.
    QVERIFY(writeFile(dir.path() + "/bad.zip", "PK\3\4 not really"));
    QVERIFY(writeFile(dir.path() + "/t/keep.txt", "mine"));
    QCOMPARE(CloudArchive::replaceFolder(dir.path() + "/bad.zip", dir.path() + "/t"), CloudArchive::Unpacked::Broken);
    QCOMPARE(readTree(dir.path() + "/t"), (Files{{"keep.txt", "mine"}}));
}

QTEST_GUILESS_MAIN(TestCloudArchive)
#include "tst_cloudarchive.moc"
