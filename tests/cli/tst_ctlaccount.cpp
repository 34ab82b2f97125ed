// qkdriverctl account … against a real account server, passwords on standard input.

#include "support/ctlrun.h"
#include "support/serverrig.h"
#include "support/temphome.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class TestCtlAccount : public QObject
{
    Q_OBJECT
private slots:
    void registerLoginStatusLogout();
    void refusedLocally_data();
    void refusedLocally();
    void serverDown();
};

void TestCtlAccount::registerLoginStatusLogout()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QString url = server.baseUrl();

    CtlRun r = runCtl(home, url, {"account", "status"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith("not logged in"));
    QCOMPARE(runCtl(home, url, {"account", "register", "Ann", "ann@example.com"}, "secret1\nsecret1\n").code, 0);
    r = runCtl(home, url, {"account", "register", "Ann", "ann@example.com"}, "secret1\nsecret1\n");
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("already registered"), qPrintable(r.err));

    r = runCtl(home, url, {"account", "login", "ann@example.com"}, "wrong12\n");
    QCOMPARE(r.code, 1);
    r = runCtl(home, url, {"--json", "account", "login", "ann@example.com"}, "secret1\n");
    QCOMPARE(r.code, 0);
    QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8()).object().value("nickname").toString(), QString("Ann"));
    QCOMPARE(QFileInfo(home.file("/system/system.ini")).permissions(),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);

    r = runCtl(home, url, {"account", "status"});
    QCOMPARE(r.out.trimmed(), QString("logged in as Ann (ann@example.com) at %1").arg(url));
    QCOMPARE(runCtl(home, url, {"account", "logout"}).code, 0);
    QVERIFY(runCtl(home, url, {"account", "status"}).out.startsWith("not logged in"));
    QVERIFY(!server.log().contains("secret1"));
}

void TestCtlAccount::refusedLocally_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("login without password") << QStringList{"account", "login", "ann@example.com"} << QByteArray();
    QTest::newRow("password as argument") << QStringList{"account", "login", "ann@example.com", "secret1"} << QByteArray("secret1\n");
    QTest::newRow("5 characters") << QStringList{"account", "register", "Ann", "ann@example.com"} << QByteArray("12345\n12345\n");
    QTest::newRow("repetition differs") << QStringList{"account", "register", "Ann", "ann@example.com"} << QByteArray("secret1\nsecret2\n");
    QTest::newRow("nickname of 8") << QStringList{"account", "register", "Annabell", "ann@example.com"} << QByteArray("secret1\nsecret1\n");
    QTest::newRow("unknown") << QStringList{"account", "delete"} << QByteArray();
}

void TestCtlAccount::refusedLocally()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QCOMPARE(runCtl(home, server.baseUrl(), args, input).code, 2);
    QVERIFY(!server.log().contains("request POST"));
}

void TestCtlAccount::serverDown()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QString url = server.baseUrl();
    server.stop();
    const CtlRun r = runCtl(home, url, {"account", "login", "ann@example.com"}, "secret1\n");
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Network Error, please try again later"), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestCtlAccount)
#include "tst_ctlaccount.moc"
