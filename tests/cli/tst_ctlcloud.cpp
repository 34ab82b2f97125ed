// qkdriverctl cloud upload / download with a simulated falcon against a real account server.

#include "support/ctlrun.h"
#include "support/filetree.h"
#include "support/serverrig.h"
#include "support/temphome.h"

#include <QTest>

class TestCtlCloud : public QObject
{
    Q_OBJECT
private slots:
    void uploadThenDownload();
};

void TestCtlCloud::uploadThenDownload()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QString url = server.baseUrl();
    QCOMPARE(runCtl(home, url, {"account", "register", "Ann", "ann@example.com"}, "secret1\nsecret1\n").code, 0);
    QCOMPARE(runCtl(home, url, {"account", "login", "ann@example.com"}, "secret1\n").code, 0);
    const QStringList sim{"--simulate", "falcon"};

    // Nothing stored yet: the download fails and changes nothing.
    QVERIFY(home.write("/ConfigFiles/MacroFiles/PlayerCustom/Fire.json", "{\"Name\":\"Fire\"}"));
    CtlRun r = runCtl(home, url, sim + QStringList{"cloud", "download"});
    QCOMPARE(r.code, 1);
    QCOMPARE(home.read("/ConfigFiles/MacroFiles/PlayerCustom/Fire.json"), QByteArray("{\"Name\":\"Fire\"}"));

    QVERIFY(home.write("/ConfigFiles/MouseFile/falcon/AFile/note.txt", "mine"));
    r = runCtl(home, url, sim + QStringList{"cloud", "upload"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const auto local = readTree(home.file("/ConfigFiles/MouseFile/falcon/AFile"));
    const auto macros = readTree(home.file("/ConfigFiles/MacroFiles"));
    QVERIFY(local.contains("note.txt"));

    QVERIFY(home.write("/ConfigFiles/MacroFiles/PlayerCustom/Fire.json", "changed"));
    QVERIFY(home.write("/ConfigFiles/MouseFile/falcon/AFile/note.txt", "changed"));
    r = runCtl(home, url, sim + QStringList{"cloud", "download"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(readTree(home.file("/ConfigFiles/MouseFile/falcon/AFile")), local);
    QCOMPARE(readTree(home.file("/ConfigFiles/MacroFiles")), macros);
    QCOMPARE(runCtl(home, url, sim + QStringList{"cloud", "sideways"}).code, 2);
}

QTEST_GUILESS_MAIN(TestCtlCloud)
#include "tst_ctlcloud.moc"
