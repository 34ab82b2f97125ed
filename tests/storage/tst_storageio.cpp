#include "storage/storageio.h"
#include "support/temphome.h"
#include "common/atomicfile.h"
#include "support/filesizelimit.h"

#include <QtTest>

#include <memory>

namespace {
QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

class TstStorageIo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup()
    {
        StorageIo::setCommitHookForTests({});
        m_home.reset();
    }
    void writeCreatesFolderAndReplaces();
    void failedRenameKeepsPreviousFile_data();
    void failedRenameKeepsPreviousFile();
    void readStatus_data();
    void readStatus();
    void oversizedFileIsNotRead();
    void failedWriteKeepsPreviousFile_data();
    void failedWriteKeepsPreviousFile();
    void corruptCopiesKeepModeAndGenerations();
    void staleTemporariesAreRemoved();
    void writeAllIsAllOrNothing();
    void strictNumbers_data();
    void strictNumbers();

private:
    std::unique_ptr<TempHome> m_home;
};

void TstStorageIo::writeCreatesFolderAndReplaces()
{
    const QString path = m_home->file("/a/b/c.json");
    QVERIFY(StorageIo::writeFileAtomically(path, "first"));
    QCOMPARE(m_home->read("/a/b/c.json"), QByteArray("first"));
    QVERIFY(StorageIo::writeJsonObject(path, QJsonObject{{"b", 2}, {"a", "x"}}));
    QCOMPARE(m_home->read("/a/b/c.json"), QByteArray(R"({"a":"x","b":2})"));
    QCOMPARE(filesIn(m_home->file("/a/b")), QStringList{"c.json"});
    // Through a symbolic link the file it names is replaced and the link stays.
    QVERIFY(QFile::link(path, m_home->file("/a/link.json")));
    QVERIFY(StorageIo::writeFileAtomically(m_home->file("/a/link.json"), "via link"));
    QVERIFY(QFileInfo(m_home->file("/a/link.json")).isSymLink());
    QCOMPARE(m_home->read("/a/b/c.json"), QByteArray("via link"));
}

void TstStorageIo::failedRenameKeepsPreviousFile_data()
{
    QTest::addColumn<bool>("hadFile");
    QTest::newRow("previous file") << true;
    QTest::newRow("no previous file") << false;
}

void TstStorageIo::failedRenameKeepsPreviousFile()
{
    QFETCH(bool, hadFile);
    const QString path = m_home->file("/d/f.json");
    if (hadFile)
        QVERIFY(m_home->write("/d/f.json", "previous"));
    else
        QDir().mkpath(m_home->file("/d"));
    QString seen;
    StorageIo::setCommitHookForTests([&seen](const QString &p) {
        seen = p;
        return false;
    });
    QVERIFY(!StorageIo::writeFileAtomically(path, "replacement"));
    QCOMPARE(seen, path);
    QCOMPARE(QFile::exists(path), hadFile);
    QCOMPARE(m_home->read("/d/f.json"), hadFile ? QByteArray("previous") : QByteArray());
    QCOMPARE(filesIn(m_home->file("/d")), hadFile ? QStringList{"f.json"} : QStringList{});
}

void TstStorageIo::readStatus_data()
{
    QTest::addColumn<QByteArray>("content"); // "<none>" for no file
    QTest::addColumn<int>("jsonStatus");
    QTest::addColumn<int>("objectStatus");
    const int ok = int(StorageIo::ReadStatus::Ok);
    const int missing = int(StorageIo::ReadStatus::Missing);
    const int empty = int(StorageIo::ReadStatus::Empty);
    const int bad = int(StorageIo::ReadStatus::Unreadable);
    QTest::newRow("no file") << QByteArray("<none>") << missing << missing;
    QTest::newRow("empty file") << QByteArray() << empty << empty;
    QTest::newRow("object") << QByteArray(R"({"a":1})") << ok << ok;
    QTest::newRow("array") << QByteArray("[1,2]") << ok << bad;
    QTest::newRow("truncated") << QByteArray(R"({"a":)") << bad << bad;
    QTest::newRow("garbage") << QByteArray("\xff\xfe not json") << bad << bad;
    QTest::newRow("bare number") << QByteArray("42") << bad << bad;
}

void TstStorageIo::readStatus()
{
    QFETCH(QByteArray, content);
    QFETCH(int, jsonStatus);
    QFETCH(int, objectStatus);
    if (content != "<none>")
        QVERIFY(m_home->write("/x.json", content));
    const QString path = m_home->file("/x.json");
    QCOMPARE(int(StorageIo::readJson(path).status), jsonStatus);
    const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(path);
    QCOMPARE(int(read.status), objectStatus);
    if (objectStatus != int(StorageIo::ReadStatus::Ok))
        QVERIFY(read.object.isEmpty());
}

void TstStorageIo::oversizedFileIsNotRead()
{
    QFile f(m_home->file("/big.json"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.resize(StorageIo::kMaxJsonFileSize + 1)); // sparse: costs no disk
    f.close();
    QCOMPARE(int(StorageIo::readJson(f.fileName()).status), int(StorageIo::ReadStatus::Unreadable));
}

void TstStorageIo::failedWriteKeepsPreviousFile_data()
{
    QTest::addColumn<bool>("corruptCopy"); // keepCorruptCopy of the file instead of a write
    QTest::addColumn<int>("limit");        // file size limit in bytes, 0 for none
    QTest::addColumn<int>("size");         // bytes written
    QTest::addColumn<QString>("reason");
    // Small writes sit in the buffer until the final flush: that failure must be seen too.
    QTest::newRow("buffered write past a full disk") << false << 64 << 100 << "File too large";
    QTest::newRow("direct write past a full disk") << false << 20000 << 40000 << "File too large";
    QTest::newRow("corrupt copy past a full disk") << true << 64 << 100 << "File too large";
    QTest::newRow("a folder where the file belongs") << false << 0 << 10 << "a folder is in the way";
}

void TstStorageIo::failedWriteKeepsPreviousFile()
{
    QFETCH(bool, corruptCopy);
    QFETCH(int, limit);
    QFETCH(int, size);
    QFETCH(QString, reason);
    const QByteArray previous = corruptCopy ? QByteArray(size, '{') : QByteArray("previous");
    if (limit == 0)
        QVERIFY(QDir().mkpath(m_home->file("/d/f.json")));
    else
        QVERIFY(m_home->write("/d/f.json", previous));
    AtomicFile::FailureLog log;
    {
        std::unique_ptr<FileSizeLimit> full(limit ? new FileSizeLimit(rlim_t(limit)) : nullptr);
        const QString path = m_home->file("/d/f.json");
        QVERIFY(corruptCopy ? !StorageIo::keepCorruptCopy(path)
                            : !StorageIo::writeFileAtomically(path, QByteArray(size, 'x')));
    }
    QCOMPARE(log.failures().size(), 1);
    QCOMPARE(log.failures().first().path, m_home->file(corruptCopy ? "/d/f.json.corrupt" : "/d/f.json"));
    QCOMPARE(log.failures().first().reason, reason);
    if (limit != 0)
        QCOMPARE(m_home->read("/d/f.json"), previous);
    QCOMPARE(filesIn(m_home->file("/d")), limit ? QStringList{"f.json"} : QStringList{});
}

void TstStorageIo::corruptCopiesKeepModeAndGenerations()
{
    const QString path = m_home->file("/c/Config3.json");
    const auto privateMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(m_home->write("/c/Config3.json", "{broken"));
    QVERIFY(QFile::setPermissions(path, privateMode | QFileDevice::ReadUser | QFileDevice::WriteUser));
    QVERIFY(m_home->write("/c/Config3.json.corrupt", "older copy"));
    QVERIFY(StorageIo::keepCorruptCopy(path));
    QCOMPARE(m_home->read("/c/Config3.json.corrupt"), QByteArray("{broken"));
    QCOMPARE(QFileInfo(path + ".corrupt").permissions() & 0x0FFF, QFileInfo(path).permissions() & 0x0FFF);
    QCOMPARE(QFileInfo(path + ".corrupt").permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    QCOMPARE(m_home->read("/c/Config3.json.corrupt.1"), QByteArray("older copy"));
    QCOMPARE(m_home->read("/c/Config3.json"), QByteArray("{broken"));
    // The same damage again makes no new copy; new damage pushes the older ones up, the
    // oldest beyond the limit goes.
    QVERIFY(StorageIo::keepCorruptCopy(path));
    QVERIFY(!QFile::exists(path + ".corrupt.2"));
    for (int i = 0; i < StorageIo::kCorruptGenerations; ++i) {
        QVERIFY(m_home->write("/c/Config3.json", "{broken " + QByteArray::number(i)));
        QVERIFY(StorageIo::keepCorruptCopy(path));
    }
    QCOMPARE(m_home->read("/c/Config3.json.corrupt"), QByteArray("{broken 4"));
    QCOMPARE(m_home->read("/c/Config3.json.corrupt.4"), QByteArray("{broken 0"));
    QCOMPARE(filesIn(m_home->file("/c")).size(), 1 + StorageIo::kCorruptGenerations);
    QVERIFY(!StorageIo::keepCorruptCopy(m_home->file("/c/absent.json")));
}

void TstStorageIo::staleTemporariesAreRemoved()
{
    // Left by a killed write long ago, by a write running now, and names that only look alike.
    const QStringList names{"f.json.Ab12Cd", "f.json.Xy34Zw", "f.json.corrupt", "f.json.Ab12C", "g.json.Ab12Cd"};
    for (const QString &name : names)
        QVERIFY(m_home->write("/t/" + name, "partial"));
    for (const char *old : {"f.json.Ab12Cd", "f.json.corrupt", "f.json.Ab12C", "g.json.Ab12Cd"}) {
        QFile f(m_home->file("/t/" + QString::fromLatin1(old)));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-2 * AtomicFile::kStaleTemporarySeconds),
                              QFileDevice::FileModificationTime));
    }
    QVERIFY(StorageIo::writeFileAtomically(m_home->file("/t/f.json"), "new"));
    QCOMPARE(filesIn(m_home->file("/t")),
             (QStringList{"f.json", "f.json.Ab12C", "f.json.Xy34Zw", "f.json.corrupt", "g.json.Ab12Cd"}));
}

void TstStorageIo::writeAllIsAllOrNothing()
{
    QVERIFY(m_home->write("/w/a.json", "old a"));
    QVERIFY(QDir().mkpath(m_home->file("/w/b.json")));
    AtomicFile::Failure failure;
    QVERIFY(!AtomicFile::writeAll({{m_home->file("/w/a.json"), "new a", std::nullopt},
                                   {m_home->file("/w/c.json"), "new c", std::nullopt},
                                   {m_home->file("/w/b.json"), "new b", std::nullopt}},
                                  &failure));
    QCOMPARE(failure.path, m_home->file("/w/b.json"));
    QCOMPARE(m_home->read("/w/a.json"), QByteArray("old a"));
    QCOMPARE(filesIn(m_home->file("/w")), QStringList{"a.json"});
    QVERIFY(AtomicFile::writeAll({{m_home->file("/w/a.json"), "new a", std::nullopt},
                                  {m_home->file("/w/c.json"), "new c", std::nullopt}}));
    QCOMPARE(m_home->read("/w/a.json") + m_home->read("/w/c.json"), QByteArray("new anew c"));
}

void TstStorageIo::strictNumbers_data()
{
    QTest::addColumn<QByteArray>("json"); // one-element array
    QTest::addColumn<int>("asByte");      // intInRange(0, 255), -1000 when refused
    QTest::addColumn<int>("asInt");       // intOr(-7)
    QTest::newRow("0") << QByteArray("[0]") << 0 << 0;
    QTest::newRow("255") << QByteArray("[255]") << 255 << 255;
    QTest::newRow("whole float") << QByteArray("[7.0]") << 7 << 7;
    QTest::newRow("exponent") << QByteArray("[2e1]") << 20 << 20;
    QTest::newRow("256") << QByteArray("[256]") << -1000 << 256;
    QTest::newRow("negative") << QByteArray("[-1]") << -1000 << -1;
    QTest::newRow("fraction") << QByteArray("[1.5]") << -1000 << -7;
    QTest::newRow("string") << QByteArray(R"(["5"])") << -1000 << -7;
    QTest::newRow("bool") << QByteArray("[true]") << -1000 << -7;
    QTest::newRow("null") << QByteArray("[null]") << -1000 << -7;
    QTest::newRow("object") << QByteArray(R"([{"v":1}])") << -1000 << -7;
    QTest::newRow("array") << QByteArray("[[1]]") << -1000 << -7;
    QTest::newRow("beyond int") << QByteArray("[3000000000]") << -1000 << -7;
    QTest::newRow("huge") << QByteArray("[1e300]") << -1000 << -7;
}

void TstStorageIo::strictNumbers()
{
    QFETCH(QByteArray, json);
    QFETCH(int, asByte);
    QFETCH(int, asInt);
    const QJsonValue v = QJsonDocument::fromJson(json).array().at(0);
    QCOMPARE(StorageIo::intInRange(v, 0, 255).value_or(-1000), asByte);
    QCOMPARE(StorageIo::intOr(v, -7), asInt);
}

QTEST_GUILESS_MAIN(TstStorageIo)
#include "tst_storageio.moc"
