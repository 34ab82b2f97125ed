// qkdriverctl update check [--download] with a simulated falcon against a real account server:
// what is reported, what reaches the update folder and what never does.

#include "support/ctlrun.h"
#include "support/serverrig.h"
#include "support/temphome.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QStringList kFalcon{"--simulate", "falcon", "--json"};
const QString kImage = QStringLiteral("/Update/Clouds/falcon/Nuc123.bin");
const QString kDate = QStringLiteral("/Update/Clouds/falcon/versiondate.txt");
const QByteArray kOldImage(200, 'o');

int mouseFirmware(const TempHome &home)
{
    const CtlRun info = runCtl(home, QString(), kFalcon + QStringList{"info"});
    return QJsonDocument::fromJson(info.out.toUtf8()).object().value("device").toObject().value("firmwareVersion").toInt(-1);
}

} // namespace

class TestCtlUpdate : public QObject
{
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void serviceDown();
    void withoutAMouse();
};

void TestCtlUpdate::check_data()
{
    QTest::addColumn<int>("firmwareDelta"); // the published version minus the mouse's
    QTest::addColumn<int>("releaseBytes");  // 0: no firmware published
    QTest::addColumn<bool>("removeFile");   // the release's file is gone from the server: a 404
    QTest::addColumn<bool>("download");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("stored");

    QTest::newRow("nothing published") << 0 << 0 << false << true << 0 << false << false;
    QTest::newRow("same version: nothing fetched") << 0 << 4096 << false << true << 0 << false << false;
    QTest::newRow("newer, check only") << 1 << 4096 << false << false << 0 << true << false;
    QTest::newRow("newer, stored") << 1 << 4096 << false << true << 0 << true << true;
    QTest::newRow("older is another version too") << -1 << 4096 << false << true << 0 << true << true;
    QTest::newRow("100 bytes stored") << 1 << 100 << false << true << 0 << true << true;
    QTest::newRow("99 bytes refused") << 1 << 99 << false << true << 1 << true << false;
    QTest::newRow("128 KiB stored") << 1 << 0x20000 << false << true << 0 << true << true;
    QTest::newRow("128 KiB + 1 refused") << 1 << 0x20001 << false << true << 1 << true << false;
    QTest::newRow("404 refused") << 1 << 4096 << true << true << 1 << true << false;
}

void TestCtlUpdate::check()
{
    QFETCH(int, firmwareDelta);
    QFETCH(int, releaseBytes);
    QFETCH(bool, removeFile);
    QFETCH(bool, download);
    QFETCH(int, exitCode);
    QFETCH(bool, offered);
    QFETCH(bool, stored);

    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const int mine = mouseFirmware(home);
    QVERIFY(mine > 0);
    const QByteArray release(releaseBytes, 'r');
    QVERIFY(home.write("/release.bin", releaseBytes ? release : QByteArray("p")));
    if (releaseBytes)
        QVERIFY(server.publish("firmware", "falcon", QString::number(mine + firmwareDelta), "2026-12-01",
                               home.file("/release.bin")));
    QVERIFY(server.publish("software", "qk", "99.0", "2026-11-30", home.file("/release.bin")));
    if (removeFile)
        for (const QString &name : QDir(server.dataDir() + "/files").entryList(QDir::Files))
            QVERIFY(QFile::remove(server.dataDir() + "/files/" + name));
    QVERIFY(home.write(kImage, kOldImage));

    const CtlRun r = runCtl(home, server.baseUrl(),
                            kFalcon + QStringList{"update", "check"} + (download ? QStringList{"--download"} : QStringList()));
    QVERIFY2(r.code == exitCode, qPrintable(r.out + r.err));
    const QJsonObject result = QJsonDocument::fromJson(r.out.toUtf8()).object();
    const QJsonObject firmware = result.value("firmware").toObject();
    QCOMPARE(firmware.value("installed").toInt(), mine);
    QCOMPARE(firmware.value("offered").toBool(), offered);
    QCOMPARE(firmware.contains("newest"), releaseBytes > 0);
    // The program's check asks for "qk-software", whatever happened to the firmware.
    QCOMPARE(result.value("program").toObject().value("newest").toString(), QString("99.0"));
    QCOMPARE(result.value("program").toObject().value("offered").toBool(), true);

    QCOMPARE(firmware.contains("stored"), stored);
    QCOMPARE(home.read(kImage), stored ? release : kOldImage);
    QCOMPARE(home.read(kDate), stored ? QByteArray("2026-12-01") : QByteArray());
}

void TestCtlUpdate::serviceDown()
{
    TempHome home;
    QVERIFY(home.write(kImage, kOldImage));
    const CtlRun r = runCtl(home, "http://127.0.0.1:9", kFalcon + QStringList{"update", "check", "--download"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("firmware check") && r.err.contains("program check"), qPrintable(r.err));
    QCOMPARE(home.read(kImage), kOldImage);
    // A usage error needs no mouse and no service.
    QCOMPARE(runCtl(home, "http://127.0.0.1:9", {"update", "check", "--force"}).code, 2);
}

void TestCtlUpdate::withoutAMouse()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QVERIFY(home.write("/release.bin", QByteArray(4096, 'r')));
    QVERIFY(server.publish("software", "qk", "99.0", "2026-11-30", home.file("/release.bin")));
    // No simulated device and, on a test machine, no real one: the program is still checked.
    const CtlRun r = runCtl(home, server.baseUrl(), {"--simulate", "", "--json", "update", "check", "--download"});
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    const QJsonObject result = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QVERIFY(result.value("firmware").toObject().value("installed").isNull());
    QCOMPARE(result.value("firmware").toObject().value("offered").toBool(), false);
    QCOMPARE(result.value("program").toObject().value("newest").toString(), QString("99.0"));
    QVERIFY(!QFileInfo::exists(home.file("/Update")));
}

QTEST_GUILESS_MAIN(TestCtlUpdate)
#include "tst_ctlupdate.moc"
