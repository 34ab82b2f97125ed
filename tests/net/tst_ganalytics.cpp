// The usage-report client against a real qkdriver-server's collect endpoint; ages run on the
// virtual clock, the posts are real loopback HTTP.
#include "common/pacer.h"
#include "net/analytics/analyticssettings.h"
#include "net/analytics/ganalytics.h"
#include "support/serverrig.h"
#include "support/temphome.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QUrlQuery>
#include <QUuid>
#include <QtTest>

namespace {
struct Rig
{
    Rig() { QVERIFY2(server.isRunning(), qPrintable(server.error())); }
    QUrl collect() const { return QUrl(server.baseUrl() + QStringLiteral("/collect")); }
    // The hits the server stored, as queries (the reception time taken off).
    QList<QUrlQuery> hits() const
    {
        QFile f(server.dataDir() + QStringLiteral("/collect/hits.log"));
        QList<QUrlQuery> out;
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &line : f.readAll().split('\n'))
                if (!line.isEmpty())
                    out << QUrlQuery(QString::fromLatin1(line.mid(line.indexOf(' ') + 1)));
        return out;
    }
    // One tick of the send timer, waiting for the post it starts to end.
    static void tick(GAnalytics &a)
    {
        QSignalSpy done(&a, &GAnalytics::isSendingChanged);
        a.postMessage();
        if (a.isSending())
            QVERIFY(done.wait(10000));
        QCoreApplication::processEvents(); // the queued "next message"
    }

    TempHome home;
    ScopedVirtualPacing pacing;
    ServerRig server;
};
} // namespace

class TstGAnalytics : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eventItems_data();
    void eventItems();
    void hitsOlderThanTenMinutesAreDropped_data();
    void hitsOlderThanTenMinutesAreDropped();
    void refusedHitIsKeptUndeliveredIsDropped();
    void identifiersSurviveARestart();
    void nothingQueuedWhenOff_data();
    void nothingQueuedWhenOff();
    void theProgramReportsItsStart();
};

void TstGAnalytics::eventItems_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("el");
    QTest::addColumn<QString>("ev");
    QTest::newRow("neither") << QString() << QVariant() << "-" << "-";
    QTest::newRow("label") << "Button 4" << QVariant() << "Button 4" << "-";
    QTest::newRow("value") << QString() << QVariant(7) << "-" << "7";
    QTest::newRow("both") << "x" << QVariant(0) << "x" << "0";
}

void TstGAnalytics::eventItems()
{
    QFETCH(QString, label);
    QFETCH(QVariant, value);
    QFETCH(QString, el);
    QFETCH(QString, ev);
    Rig rig;
    GAnalytics a(QStringLiteral("QK-TEST"), rig.collect());
    a.sendEvent(QStringLiteral("Mouse"), QStringLiteral("Profile 2"), label, value);
    rig.tick(a);
    const QList<QUrlQuery> hits = rig.hits();
    QCOMPARE(hits.size(), 1);
    const QUrlQuery &hit = hits.first();
    auto item = [&hit](const char *key) {
        return hit.hasQueryItem(key) ? hit.queryItemValue(key, QUrl::FullyDecoded) : QStringLiteral("-");
    };
    QCOMPARE(item("t"), QStringLiteral("event"));
    QCOMPARE(item("tid"), QStringLiteral("QK-TEST"));
    QCOMPARE(item("ec"), QStringLiteral("Mouse"));
    QCOMPARE(item("ea"), QStringLiteral("Profile 2"));
    QCOMPARE(item("el"), el);
    QCOMPARE(item("ev"), ev);
    QCOMPARE(item("qt"), QStringLiteral("0"));
    QCOMPARE(a.queuedHits(), 0);
}

void TstGAnalytics::hitsOlderThanTenMinutesAreDropped_data()
{
    QTest::addColumn<qint64>("age");
    QTest::addColumn<int>("sent");
    QTest::newRow("ten minutes") << qint64(600000) << 1;
    QTest::newRow("a millisecond more") << qint64(600001) << 0;
}

void TstGAnalytics::hitsOlderThanTenMinutesAreDropped()
{
    QFETCH(qint64, age);
    QFETCH(int, sent);
    Rig rig;
    GAnalytics a(QStringLiteral("QK-TEST"), rig.collect());
    a.sendPageView(QStringLiteral("Lighting"));
    rig.pacing.clock().advanceMs(age);
    rig.tick(a);
    QCOMPARE(a.queuedHits(), 0);
    QCOMPARE(rig.hits().size(), sent);
    if (sent)
        QCOMPARE(rig.hits().first().queryItemValue("qt"), QString::number(age));
}

void TstGAnalytics::refusedHitIsKeptUndeliveredIsDropped()
{
    Rig rig;
    GAnalytics a(QStringLiteral("QK-TEST"), rig.collect());
    // The server cannot store hits (a file where its folder belongs): it answers 500.
    QFile blocker(rig.server.dataDir() + "/collect");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    a.sendEvent(QStringLiteral("Mouse"), QStringLiteral("Reset"));
    rig.tick(a);
    QCOMPARE(a.queuedHits(), 1);
    QVERIFY(QFile::remove(rig.server.dataDir() + "/collect"));
    rig.tick(a); // a later tick delivers it
    QCOMPARE(a.queuedHits(), 0);
    QCOMPARE(rig.hits().size(), 1);

    a.sendEvent(QStringLiteral("Mouse"), QStringLiteral("Reset"));
    QVERIFY(rig.server.stop()); // nobody listens any more
    rig.tick(a);
    QCOMPARE(a.queuedHits(), 0);
    QCOMPARE(rig.hits().size(), 1);
}

void TstGAnalytics::identifiersSurviveARestart()
{
    Rig rig;
    QString cid, uid;
    for (int start = 0; start < 2; ++start) {
        GAnalytics a(QStringLiteral("QK-TEST"), rig.collect());
        if (start == 0) {
            cid = a.clientID();
            uid = a.userID();
        }
        a.sendEvent(QStringLiteral("Normal"), QStringLiteral("Start"));
        rig.tick(a);
    }
    QVERIFY(QUuid::fromString(cid).isNull() == false);
    QVERIFY(cid != uid);
    const QList<QUrlQuery> hits = rig.hits();
    QCOMPARE(hits.size(), 2);
    for (const QUrlQuery &hit : hits) {
        QCOMPARE(hit.queryItemValue("cid", QUrl::FullyDecoded), cid);
        QCOMPARE(hit.queryItemValue("uid", QUrl::FullyDecoded), uid);
    }
    QSettings ids(GAnalytics::identifiersFile(), QSettings::IniFormat);
    QCOMPARE(ids.value("GAnalytics-cid").toString(), cid);
}

void TstGAnalytics::nothingQueuedWhenOff_data()
{
    QTest::addColumn<QString>("fileEndpoint");
    QTest::addColumn<int>("enabled");
    QTest::addColumn<QString>("envUrl");
    QTest::addColumn<QString>("envOff");
    QTest::addColumn<bool>("active");
    QTest::newRow("as shipped: no address") << "" << 1 << "" << "" << false;
    QTest::newRow("address in the file") << "http://h/collect" << 1 << "" << "" << true;
    QTest::newRow("address from the environment") << "" << 1 << "http://h/collect" << "" << true;
    QTest::newRow("turned off on the support page") << "http://h/collect" << 0 << "" << "" << false;
    QTest::newRow("turned off by the environment") << "" << 1 << "http://h/collect" << "1" << false;
}

void TstGAnalytics::nothingQueuedWhenOff()
{
    QFETCH(QString, fileEndpoint);
    QFETCH(int, enabled);
    QFETCH(QString, envUrl);
    QFETCH(QString, envOff);
    QFETCH(bool, active);
    TempHome home;
    {
        QSettings file(AnalyticsSettings::filePath(), QSettings::IniFormat);
        file.setValue("Endpoint", fileEndpoint);
    }
    QVERIFY(AnalyticsSettings::setEnabled(enabled != 0));
    qputenv("QKDRIVER_ANALYTICS_URL", envUrl.toUtf8());
    qputenv("QKDRIVER_NO_ANALYTICS", envOff.toUtf8());
    const AnalyticsSettings s = AnalyticsSettings::load();
    qunsetenv("QKDRIVER_ANALYTICS_URL");
    qunsetenv("QKDRIVER_NO_ANALYTICS");
    QCOMPARE(s.active(), active);
    // Without an address the client queues nothing and makes no identifiers.
    GAnalytics off(QStringLiteral("QK-TEST"), QUrl());
    off.sendEvent(QStringLiteral("Mouse"), QStringLiteral("Reset"));
    off.startSession();
    QCOMPARE(off.queuedHits(), 0);
    QVERIFY(!QFile::exists(GAnalytics::identifiersFile()));
}

void TstGAnalytics::theProgramReportsItsStart()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QKDRIVER_HOME", home.path());
    env.insert("QKDRIVER_ANALYTICS_URL", server.baseUrl() + "/collect");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    program.setProcessEnvironment(env);
    program.start(QKDRIVER_BIN, {"--simulate", "falcon"});
    QVERIFY(program.waitForStarted());
    const QString hits = server.dataDir() + "/collect/hits.log";
    auto started = [&hits] {
        QFile f(hits);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("sc=start");
    };
    QTRY_VERIFY_WITH_TIMEOUT(started(), 30000); // a few 5-second send intervals
    program.kill();
    program.waitForFinished();
}

QTEST_GUILESS_MAIN(TstGAnalytics)
#include "tst_ganalytics.moc"
