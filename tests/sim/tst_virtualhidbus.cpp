#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "sim/virtualhidbus.h"

#include <QThread>
#include <QtTest>
#include <atomic>

namespace {
using T = VirtualHidDevice::Transfer;

HidDeviceInfo iface(USHORT pid, USHORT page)
{
    HidDeviceInfo i;
    i.vendorId = 0xF00D;
    i.productId = pid;
    i.usagePage = page;
    i.inputReportLength = 32;
    return i;
}

std::shared_ptr<ScriptableHidDevice> device(USHORT pid = 0x4130)
{
    return std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(pid, 0x0001), iface(pid, 0xFF00)});
}

QStringList paths(VirtualHidBus &bus)
{
    QList<HidDeviceInfo> list;
    bus.enumerate(&list);
    QStringList out;
    for (const HidDeviceInfo &i : list)
        out << i.path;
    return out;
}
} // namespace

class TstVirtualHidBus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enumeratesPluggedDevices();
    void plugRefusesNullAndDoubles();
    void unplugBreaksOpenConnections();
    void vanishAndAppear();
    void vanishAfterTransfers();
    void reenumerationChangesPaths();
    void probeAndOpenFaults();
    void badPaths_data();
    void badPaths();
    void scriptedReplies();
    void countersAndCost();
    void fullSpeedCost_data();
    void fullSpeedCost();
    void readTimeoutAdvancesVirtualClock();
    void replyLongerThanAskedIsCut();
    void plugAndUnplugFromManyThreads();
};

void TstVirtualHidBus::enumeratesPluggedDevices()
{
    VirtualHidBus bus;
    QCOMPARE(paths(bus), QStringList());
    QCOMPARE(bus.plug(device()), 1);
    QCOMPARE(bus.plug(device(0x1804)), 2);
    QCOMPARE(paths(bus), (QStringList{"sim:1.2/0", "sim:1.2/1", "sim:2.2/0", "sim:2.2/1"}));
    QList<HidDeviceInfo> list;
    QVERIFY(bus.enumerate(&list));
    QCOMPARE(int(list.at(3).productId), 0x1804);
    QCOMPARE(int(list.at(3).usagePage), 0xFF00);
    QCOMPARE(bus.deviceCount(), 2);
}

void TstVirtualHidBus::plugRefusesNullAndDoubles()
{
    VirtualHidBus bus;
    VirtualHidBus other;
    auto d = device();
    QCOMPARE(bus.plug(nullptr), 0);
    QCOMPARE(bus.plug(d), 1);
    QCOMPARE(bus.plug(d), 0);
    QCOMPARE(other.plug(d), 0);
    QVERIFY(bus.unplug(d.get()));
    QVERIFY(!bus.unplug(d.get()));
    QVERIFY(!bus.unplug(77));
    QCOMPARE(other.plug(d), 1);
}

void TstVirtualHidBus::unplugBreaksOpenConnections()
{
    VirtualHidBus bus;
    auto d = device();
    const int id = bus.plug(d);
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    QVERIFY(c);
    QCOMPARE(c->writeOutputReport(QByteArray(32, char(0xBA))), 32);
    bus.unplug(id);
    QCOMPARE(c->writeOutputReport(QByteArray(32, char(0xBA))), -1);
    QCOMPARE(c->lastError(), QStringLiteral("device removed"));
    QVERIFY(!bus.open(QStringLiteral("sim:1.2/1")));
    // Plugged again: a new id and generation; the old connection stays dead.
    QCOMPARE(bus.plug(d), 2);
    QCOMPARE(paths(bus), (QStringList{"sim:2.4/0", "sim:2.4/1"}));
    QCOMPARE(c->writeOutputReport(QByteArray(32, char(0xBA))), -1);
    QCOMPARE(d->sentReports(1).size(), 1);
}

void TstVirtualHidBus::vanishAndAppear()
{
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    d->vanish();
    QCOMPARE(paths(bus), QStringList());
    QCOMPARE(c->setFeatureReport(QByteArray(6, '\1')), -1);
    d->appear();
    QCOMPARE(paths(bus), (QStringList{"sim:1.3/0", "sim:1.3/1"}));
    QCOMPARE(c->setFeatureReport(QByteArray(6, '\1')), -1);
    QVERIFY(bus.open(QStringLiteral("sim:1.3/1")));
}

void TstVirtualHidBus::vanishAfterTransfers()
{
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    d->setStandingInputReport(1, QByteArray(32, '\1'));
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    d->vanishAfterTransfers(2);
    QByteArray r;
    QCOMPARE(c->writeOutputReport(QByteArray(32, char(0xBA))), 32);
    QCOMPARE(c->getInputReport(0xBA, 32, &r), 32);
    QCOMPARE(c->getInputReport(0xBA, 32, &r), -1);
    QVERIFY(d->hasVanished());
    QCOMPARE(d->counters().transfers, qint64(2));
}

void TstVirtualHidBus::reenumerationChangesPaths()
{
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    d->switchInterfaces({iface(0x3000, 0xFF00)});
    QList<HidDeviceInfo> list;
    bus.enumerate(&list);
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0).path, QStringLiteral("sim:1.3/0"));
    QCOMPARE(int(list.at(0).productId), 0x3000);
    QCOMPARE(c->writeOutputReport(QByteArray(2, '\0')), -1);
}

void TstVirtualHidBus::probeAndOpenFaults()
{
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    d->setProbeFails(0, true);
    d->setOpenFails(1, true);
    QVERIFY(!bus.probe(QStringLiteral("sim:1.2/0")));
    QVERIFY(bus.open(QStringLiteral("sim:1.2/0")));
    QVERIFY(bus.probe(QStringLiteral("sim:1.2/1")));
    QVERIFY(!bus.open(QStringLiteral("sim:1.2/1")));
    bus.failNextEnumerations(1);
    QList<HidDeviceInfo> list;
    QVERIFY(!bus.enumerate(&list));
    QVERIFY(list.isEmpty());
    QVERIFY(bus.enumerate(&list));
    QCOMPARE(list.size(), 2);
}

void TstVirtualHidBus::badPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << "";
    QTest::newRow("system path") << "/dev/hidraw0";
    QTest::newRow("unknown device") << "sim:9.2/0";
    QTest::newRow("old generation") << "sim:1.1/0";
    QTest::newRow("no such interface") << "sim:1.2/2";
    QTest::newRow("negative interface") << "sim:1.2/-1";
    QTest::newRow("trailing junk") << "sim:1.2/0x";
}

void TstVirtualHidBus::badPaths()
{
    QFETCH(QString, path);
    VirtualHidBus bus;
    bus.plug(device());
    QVERIFY(!bus.probe(path));
    QVERIFY(!bus.open(path));
}

void TstVirtualHidBus::scriptedReplies()
{
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    QByteArray r;
    QCOMPARE(c->getInputReport(0xBA, 32, &r), -1); // nothing programmed
    QCOMPARE(c->readInputReport(&r, 32, 0), 0);
    d->queueInputReport(1, QByteArray("\xBA\x02", 2));
    d->queueInputReport(1, QByteArray());
    d->setStandingInputReport(1, QByteArray("\xBA\x01", 2));
    QCOMPARE(c->getInputReport(0xBA, 32, &r), 2);
    QCOMPARE(r, QByteArray("\xBA\x02", 2));
    QCOMPARE(c->getInputReport(0xBA, 32, &r), -1);
    QCOMPARE(c->readInputReport(&r, 32, 0), 2);
    QCOMPARE(r, QByteArray("\xBA\x01", 2));
    QCOMPARE(d->inputRequests(), 5);
    d->setReaction([](ScriptableHidDevice &self, const ScriptableHidDevice::Sent &s) {
        // Echo the command's second byte back as a feature report.
        self.queueFeatureReport(s.index, QByteArray(1, s.report.at(0)).append(s.report.at(1)));
    });
    QCOMPARE(c->setFeatureReport(QByteArray("\x05\x83", 2)), 2);
    QCOMPARE(c->getFeatureReport(5, 6, &r), 2);
    QCOMPARE(r, QByteArray("\x05\x83", 2));
    d->setRefuseWrites(1, true);
    QCOMPARE(c->writeOutputReport(QByteArray("\xBA", 1)), -1);
    QCOMPARE(c->lastError(), QStringLiteral("refused by device"));
    QCOMPARE(d->sent().size(), 2);
}

void TstVirtualHidBus::countersAndCost()
{
    ScopedVirtualPacing pacing;
    VirtualHidBus bus;
    bus.setCostModel(&VirtualHidBus::fullSpeedCost);
    auto d = device();
    bus.plug(d);
    d->setStandingFeatureReport(1, QByteArray(1032, '\6'));
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    QCOMPARE(c->writeOutputReport(QByteArray(32, char(0xBA))), 32); // 1 ms
    QByteArray r;
    QCOMPARE(c->getFeatureReport(6, 1032, &r), 1032);               // 17 ms
    QCOMPARE(c->setFeatureReport(QByteArray(65, '\5')), 65);        // 2 ms
    QCOMPARE(pacing.clock().nowMs(), qint64(20));
    QCOMPARE(pacing.clock().sleptMs(), qint64(0));
    QCOMPARE(bus.transfers(), qint64(3));
    QCOMPARE(bus.bytesOut(), qint64(97));
    QCOMPARE(bus.bytesIn(), qint64(1032));
    const VirtualHidDevice::Counters k = d->counters();
    QCOMPARE(k.outputReports, 1);
    QCOMPARE(k.featureSets, 1);
    QCOMPARE(k.featureGets, 1);
    QCOMPARE(k.bytesOut, qint64(97));
    QCOMPARE(k.bytesIn, qint64(1032));
    bus.resetCounters();
    d->resetCounters();
    QCOMPARE(bus.transfers(), qint64(0));
    QCOMPARE(d->counters().transfers, qint64(0));
    // A transfer to a removed device costs nothing and is not counted.
    d->vanish();
    QCOMPARE(c->writeOutputReport(QByteArray(32, char(0xBA))), -1);
    QCOMPARE(pacing.clock().nowMs(), qint64(20));
    QCOMPARE(bus.transfers(), qint64(0));
}

void TstVirtualHidBus::fullSpeedCost_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("ms");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("64") << 64 << 1;
    QTest::newRow("65") << 65 << 2;
    QTest::newRow("128") << 128 << 2;
    QTest::newRow("1032") << 1032 << 17;
}

void TstVirtualHidBus::fullSpeedCost()
{
    QFETCH(int, bytes);
    QFETCH(int, ms);
    QCOMPARE(VirtualHidBus::fullSpeedCost(T::SetFeature, bytes), ms);
}

void TstVirtualHidBus::readTimeoutAdvancesVirtualClock()
{
    ScopedVirtualPacing pacing;
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    QByteArray r("stale");
    QCOMPARE(c->readInputReport(&r, 32, 250), 0);
    QVERIFY(r.isEmpty());
    QCOMPARE(pacing.clock().nowMs(), qint64(250));
    QCOMPARE(pacing.clock().sleptMs(), qint64(0));
    QCOMPARE(bus.transfers(), qint64(0));
    d->queueInputReport(1, QByteArray("\xBA\x01", 2));
    QCOMPARE(c->readInputReport(&r, 32, 250), 2);
    QCOMPARE(pacing.clock().nowMs(), qint64(250)); // delivered at once, no cost model
}

void TstVirtualHidBus::replyLongerThanAskedIsCut()
{
    VirtualHidBus bus;
    auto d = device();
    bus.plug(d);
    d->queueFeatureReport(1, QByteArray(40, '\6'));
    auto c = bus.open(QStringLiteral("sim:1.2/1"));
    QByteArray r;
    QCOMPARE(c->getFeatureReport(6, 6, &r), 6);
    QCOMPARE(r, QByteArray(6, '\6'));
}

void TstVirtualHidBus::plugAndUnplugFromManyThreads()
{
    VirtualHidBus bus;
    std::atomic<bool> stop{false};
    std::atomic<int> badEntries{0};
    QScopedPointer<QThread> reader(QThread::create([&] {
        while (!stop.load()) {
            QList<HidDeviceInfo> list;
            bus.enumerate(&list);
            for (const HidDeviceInfo &i : list) {
                if (!i.path.startsWith(QLatin1String("sim:")) || i.productId == 0)
                    ++badEntries;
                if (auto c = bus.open(i.path))
                    c->writeOutputReport(QByteArray(2, '\1')); // may fail if just unplugged
            }
        }
    }));
    reader->start();
    QList<QThread *> writers;
    for (int t = 0; t < 3; ++t) {
        writers << QThread::create([&bus, t] {
            for (int i = 0; i < 200; ++i) {
                const int id = bus.plug(device(USHORT(0x4130 + t)));
                if (i % 3 != 0)
                    bus.unplug(id);
            }
        });
        writers.last()->start();
    }
    for (QThread *w : writers) {
        QVERIFY(w->wait(30000));
        delete w;
    }
    stop = true;
    QVERIFY(reader->wait(30000));
    QCOMPARE(badEntries.load(), 0);
    QCOMPARE(bus.deviceCount(), 3 * 67);
}

QTEST_GUILESS_MAIN(TstVirtualHidBus)
#include "tst_virtualhidbus.moc"
