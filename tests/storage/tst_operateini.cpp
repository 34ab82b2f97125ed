#include "storage/opconfpath.h"
#include "storage/operateini.h"
#include "storage/operatetoken.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"
#include "common/atomicfile.h"
#include "support/filesizelimit.h"
#include "storage/highestfunction.h"

#include <QtTest>

#include <memory>

namespace {
using Getter = QString (OpConfPath::*)() const;
using Setter = bool (OpConfPath::*)(const QString &);
struct PathKey
{
    const char *key;
    Getter get;
    Setter set;
};
const PathKey kPathKeys[] = {
    {"PATH/mid_web_url", &OpConfPath::GetMidWebUrl, &OpConfPath::SetMidWebUrl},
    {"PATH/mid_file_path", &OpConfPath::GetMidFilePath, &OpConfPath::SetMidFilePath},
    {"PATH/mid_folder_path", &OpConfPath::GetMidFloderPath, &OpConfPath::SetMidFolderPath},
    {"PATH/mid_app_path", &OpConfPath::GetMidAppPath, &OpConfPath::SetMidAppPath},
    {"PATH/slider_up_web_url", &OpConfPath::GetSliderUpWebUrl, &OpConfPath::SetSliderUpWebUrl},
    {"PATH/slider_up_file_path", &OpConfPath::GetSliderUpFilePath, &OpConfPath::SetSliderUpFilePath},
    {"PATH/slider_up_folder_path", &OpConfPath::GetSliderUpFloderPath, &OpConfPath::SetSliderUpFolderPath},
    {"PATH/slider_up_app_path", &OpConfPath::GetSliderUpAppPath, &OpConfPath::SetSliderUpAppPath},
    {"PATH/slider_down_web_url", &OpConfPath::GetSliderDownWebUrl, &OpConfPath::SetSliderDownWebUrl},
    {"PATH/slider_down_file_path", &OpConfPath::GetSliderDownFilePath, &OpConfPath::SetSliderDownFilePath},
    {"PATH/slider_down_folder_path", &OpConfPath::GetSliderDownFloderPath, &OpConfPath::SetSliderDownFolderPath},
    {"PATH/slider_down_app_path", &OpConfPath::GetSliderDownAppPath, &OpConfPath::SetSliderDownAppPath},
};

QSettings systemIni()
{
    return QSettings(StoragePaths::systemIniFile(), QSettings::IniFormat);
}
} // namespace

class TstOperateIni : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup() { m_home.reset(); }
    void unopened();
    void values_data();
    void values();
    void writesUtf8AndCreatesFolder();
    void pathKeys_data();
    void pathKeys();
    void pathDefaults();
    void tokenSeenThroughTheFile();
    void failedWriteKeepsTheFile_data();
    void failedWriteKeepsTheFile();

private:
    std::unique_ptr<TempHome> m_home;
};

void TstOperateIni::unopened()
{
    OperateIni ini;
    QVERIFY(!ini.isOpen());
    QCOMPARE(ini.value("NotRemind"), QString("key error or unInit obj"));
    QVERIFY(!ini.setValue("NotRemind", "1"));
}

void TstOperateIni::values_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no file") << QByteArray() << "NotRemind" << "NULL";
    QTest::newRow("general key") << QByteArray("[General]\nNotRemind=1\n") << "NotRemind" << "1";
    QTest::newRow("absent key") << QByteArray("[General]\nOther=1\n") << "NotRemind" << "NULL";
    QTest::newRow("grouped key") << QByteArray("[PATH]\nmid_web_url=http://a.b/c\n") << "/PATH/mid_web_url"
                                 << "http://a.b/c";
    QTest::newRow("extra separators") << QByteArray("[PATH]\nmid_web_url=http://a.b/?x=1,2,3\n")
                                      << "/PATH/mid_web_url" << "http://a.b/?x=1,2,3";
    QTest::newRow("empty value") << QByteArray("[SET]\nMid_key=\n") << "/SET/Mid_key" << "";
    QTest::newRow("garbage lines") << QByteArray("\x01\x02 no equals\n[General]\nNotRemind=1\n") << "NotRemind"
                                   << "1";
}

void TstOperateIni::values()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (!file.isEmpty())
        QVERIFY(m_home->write("/NoLongerRemind.ini", file));
    OperateIni ini(StoragePaths::noLongerRemindIniFile());
    QCOMPARE(ini.value(key), expected);
}

void TstOperateIni::writesUtf8AndCreatesFolder()
{
    OperateIni ini(StoragePaths::systemIniFile());
    QVERIFY(ini.setValue("/INFO/nickName", QString::fromUtf8("Grüße 你好")));
    const QByteArray raw = m_home->read("/system/system.ini");
    QVERIFY2(raw.contains(QString::fromUtf8("nickName=Grüße 你好").toUtf8()), raw.constData());
    QCOMPARE(OperateIni(StoragePaths::systemIniFile()).value("/INFO/nickName"), QString::fromUtf8("Grüße 你好"));
}

void TstOperateIni::pathKeys_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < 12; ++i)
        QTest::newRow(kPathKeys[i].key) << i;
}

void TstOperateIni::pathKeys()
{
    QFETCH(int, index);
    const PathKey &k = kPathKeys[index];
    OpConfPath writer;
    QCOMPARE((writer.*k.get)(), QString());
    QVERIFY((writer.*k.set)("C:/Program Files/x.exe"));
    QCOMPARE(systemIni().value(k.key).toString(), QString("C:/Program Files/x.exe"));
    QCOMPARE(systemIni().allKeys(), QStringList{k.key});
    OpConfPath reader;
    QCOMPARE((reader.*k.get)(), QString("C:/Program Files/x.exe"));
}

void TstOperateIni::pathDefaults()
{
    OpConfPath paths;
    QVERIFY(paths.SetMidWebUrl("http://x"));
    QVERIFY(paths.SetDefault());
    QSettings ini = systemIni();
    QCOMPARE(ini.allKeys().size(), 12);
    for (const PathKey &k : kPathKeys) {
        QVERIFY2(ini.contains(k.key), k.key);
        QCOMPARE(ini.value(k.key).toString(), QString());
    }
}

void TstOperateIni::tokenSeenThroughTheFile()
{
    OperateToken a;
    QCOMPARE(a.GetToken(), QString());
    QVERIFY(a.SetToken("abc.def"));
    QVERIFY(a.SetEmail("me@example.com"));
    QVERIFY(a.SetNickName("me"));
    OperateToken b;
    QCOMPARE(b.GetToken(), QString("abc.def"));
    QCOMPARE(b.GetEmail(), QString("me@example.com"));
    QCOMPARE(b.GetNickName(), QString("me"));
    QSettings ini = systemIni();
    QCOMPARE(ini.value("INFO/token").toString(), QString("abc.def"));
    QCOMPARE(ini.value("INFO/email").toString(), QString("me@example.com"));
    QCOMPARE(ini.value("INFO/nickName").toString(), QString("me"));
}

void TstOperateIni::failedWriteKeepsTheFile_data()
{
    QTest::addColumn<bool>("advanced"); // HighestFunction::store, else OperateIni::setValue
    QTest::addColumn<bool>("fullDisk"); // else a folder stands where the file belongs
    QTest::newRow("setting past a full disk") << false << true;
    QTest::newRow("advanced function past a full disk") << true << true;
    QTest::newRow("setting, folder in the way") << false << false;
}

void TstOperateIni::failedWriteKeepsTheFile()
{
    QFETCH(bool, advanced);
    QFETCH(bool, fullDisk);
    const QString path = advanced ? StoragePaths::highestFunctionIniFile() : StoragePaths::systemIniFile();
    const QString relative = path.mid(m_home->path().size());
    const QByteArray before = "[LeftKey]\nstate=1\nfunction=2\npath=/opt/a/b/c/d/e/f\n\n[PATH]\nmid_web_url=https://example.org/\n";
    if (fullDisk)
        QVERIFY(m_home->write(relative, before));
    else
        QVERIFY(QDir().mkpath(path));
    AtomicFile::FailureLog log;
    {
        FileSizeLimit full(fullDisk ? before.size() + 8 : RLIM_INFINITY);
        const QString longText(200, 'x');
        OperateIni ini(path);
        QVERIFY(advanced ? !HighestFunction::store(5, 1, 3, longText)
                         : !ini.setValue("PATH/mid_file_path", longText));
    }
    QVERIFY(!log.isEmpty());
    QCOMPARE(log.failures().last().path, path);
    QCOMPARE(m_home->read(relative), fullDisk ? before : QByteArray());
    if (fullDisk) // and it still reads as it did
        QCOMPARE(OperateIni(path).value("LeftKey/path"), QString("/opt/a/b/c/d/e/f"));
}

QTEST_GUILESS_MAIN(TstOperateIni)
#include "tst_operateini.moc"
