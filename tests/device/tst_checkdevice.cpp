#include "device/watcher/checkdevice.h"
#include "support/logcapture.h"
#include "sim/scriptablehiddevice.h"
#include "sim/stubhiddevice.h"
#include "sim/virtualhidbus.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {
constexpr uint V = 0xF00D;

// Recorded signal, "found 4130", "lost 1804" or "boot 14".
QStringList events(const QSignalSpy &found)
{
    QStringList out;
    for (const QList<QVariant> &args : found) {
        out << QStringLiteral("%1 %2 %3")
                   .arg(args.at(0).toBool() ? QStringLiteral("found") : QStringLiteral("lost"))
                   .arg(args.at(1).toUInt(), 4, 16, QLatin1Char('0'))
                   .arg(args.at(2).toUInt(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

QList<int> bootTypes(const QSignalSpy &spy)
{
    QList<int> out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toInt();
    return out;
}

std::shared_ptr<ScriptableHidDevice> foreign(USHORT vid, USHORT pid, const QString &name)
{
    HidDeviceInfo i;
    i.vendorId = vid;
    i.productId = pid;
    i.productString = name;
    return std::make_shared<ScriptableHidDevice>(QList<HidDeviceInfo>{i});
}
} // namespace

// Receives the watcher's signals in the test's thread through queued connections.
class Recorder : public QObject
{
    Q_OBJECT
public:
    QStringList seen;
    bool allInMainThread = true;
public Q_SLOTS:
    void onFound(bool found, uint pid, uint vid)
    {
        allInMainThread = allInMainThread && QThread::currentThread() == thread();
        seen << QStringLiteral("%1 %2 %3")
                    .arg(found ? QStringLiteral("found") : QStringLiteral("lost"))
                    .arg(pid, 4, 16, QLatin1Char('0'))
                    .arg(vid, 4, 16, QLatin1Char('0'));
    }
};

class TstCheckDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("QKDRIVER_VENDOR_ID"); }
    void constructionStartsTheTimer();
    void nothingPluggedNeverSignals();
    void receiverThenCable();
    void unplugReportsOneLoss();
    void switchToAnotherMouse();
    void replacementGoneBeforeItIsReported();
    void bootLoaderWins_data();
    void bootLoaderWins();
    void osprerLoaderByReleaseNumber();
    void foreignDevicesIgnored();
    void idsOutsideTheOriginalOrder_data();
    void idsOutsideTheOriginalOrder();
    void failedEnumerationDoesNothing();
    void unprobeableInterfaceSkipped();
    void reordering_data();
    void reordering();
    void receiverFoundAgainKeepsCableFirst();
    void signalsCrossThreadsInOrder();
};

void TstCheckDevice::constructionStartsTheTimer()
{
    LogCapture logs;
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    QVERIFY(w.isTimerRunning());
    QCOMPARE(w.tickInterval(), 1000);
    QCOMPARE(logs.count(QStringLiteral("startTheTimer")), 1);
    w.stopTheTimer();
    QVERIFY(!w.isTimerRunning());
    QCOMPARE(logs.count(QStringLiteral("stopTheTimer")), 1);
    w.startTheTimer();
    w.startTheTimer(); // twice: still one timer that one stop ends
    w.stopTheTimer();
    QVERIFY(!w.isTimerRunning());
    QCOMPARE(w.vendorId(), int(V));
    QCOMPARE(w.candidateOrder().size(), 23);
}

void TstCheckDevice::nothingPluggedNeverSignals()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    for (int i = 0; i < 3; ++i)
        QVERIFY(w.tick());
    QCOMPARE(found.count(), 0);
    QCOMPARE(w.currentProductId(), 0);
    QCOMPARE(bus.enumerations(), 3);
}

void TstCheckDevice::receiverThenCable()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    bus.plug(StubHidDevice::forProductId(0x1804));
    w.tick();
    QCOMPARE(events(found), QStringList{"found 1804 f00d"});
    w.tick();
    QCOMPARE(found.count(), 1); // no change, no signal
    bus.plug(StubHidDevice::forProductId(0x4130));
    w.tick();
    QCOMPARE(events(found), (QStringList{"found 1804 f00d", "lost 1804 f00d"}));
    w.tick();
    QCOMPARE(events(found), (QStringList{"found 1804 f00d", "lost 1804 f00d", "found 4130 f00d"}));
    w.tick();
    QCOMPARE(found.count(), 3);
}

void TstCheckDevice::unplugReportsOneLoss()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    const int id = bus.plug(StubHidDevice::forProductId(0x4122));
    w.tick();
    bus.unplug(id);
    for (int i = 0; i < 3; ++i)
        w.tick();
    QCOMPARE(events(found), (QStringList{"found 4122 f00d", "lost 4122 f00d"}));
    QCOMPARE(w.currentProductId(), 0x4122); // kept, as the last reported id
}

void TstCheckDevice::switchToAnotherMouse()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    const int osprey = bus.plug(StubHidDevice::forProductId(0x4122));
    w.tick();
    bus.unplug(osprey);
    bus.plug(StubHidDevice::forProductId(0x4132));
    w.tick();
    w.tick();
    QCOMPARE(events(found),
             (QStringList{"found 4122 f00d", "lost 4122 f00d", "found 4132 f00d"}));
}

void TstCheckDevice::replacementGoneBeforeItIsReported()
{
    // A second device shows up (the first is reported lost) and both are gone by the next
    // tick: one loss in all, not one per tick.
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    bus.plug(StubHidDevice::forProductId(0x1804));
    w.tick();
    bus.plug(StubHidDevice::forProductId(0x4130));
    w.tick();
    bus.unplugAll();
    for (int i = 0; i < 4; ++i)
        w.tick();
    QCOMPARE(events(found), (QStringList{"found 1804 f00d", "lost 1804 f00d"}));
    // Plugged again, it is found again.
    bus.plug(StubHidDevice::forProductId(0x4130));
    w.tick();
    QCOMPARE(events(found).value(2), QStringLiteral("found 4130 f00d"));
    QCOMPARE(found.count(), 3);
}

void TstCheckDevice::bootLoaderWins_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("type");
    QTest::newRow("FalconEU") << "FalconEU Boot" << 14;
    QTest::newRow("Kite") << "Kite Boot" << 12;
    QTest::newRow("neither") << "Boot" << 0;
}

void TstCheckDevice::bootLoaderWins()
{
    QFETCH(QString, product);
    QFETCH(int, type);
    LogCapture logs;
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    QSignalSpy boot(&w, &CheckDevice::sigBlootDescriptor);
    bus.plug(StubHidDevice::forProductId(0x4130));
    bus.plug(StubHidDevice::falconBootLoader(product));
    bus.plug(StubHidDevice::loader(0x4122)); // the Falcon loader still comes first
    for (int i = 0; i < 3; ++i)
        w.tick();
    QCOMPARE(events(found), QStringList{"found 3000 f00d"});
    // Every tick reports the boot loader's model (and the other loader's).
    QCOMPARE(bootTypes(boot), (QList<int>{type, 3, type, 3, type, 3}));
    QCOMPARE(logs.countStartingWith(QStringLiteral("turnDescriptorToMouseType")), 3);
}

void TstCheckDevice::osprerLoaderByReleaseNumber()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    QSignalSpy boot(&w, &CheckDevice::sigBlootDescriptor);
    bus.plug(StubHidDevice::forProductId(0x4122));
    bus.plug(StubHidDevice::loader(0x4161));
    w.tick();
    w.tick();
    QCOMPARE(events(found), QStringList{"found 1022 f00d"});
    QCOMPARE(bootTypes(boot), (QList<int>{13, 13}));
}

void TstCheckDevice::foreignDevicesIgnored()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    QSignalSpy boot(&w, &CheckDevice::sigBlootDescriptor);
    bus.plug(foreign(0x046D, 0x4130, QStringLiteral("Other mouse")));
    bus.plug(foreign(0x046D, 0x3000, QStringLiteral("Kite lookalike")));
    bus.plug(foreign(0x0603, 0x1023, QStringLiteral("loader vendor, other product")));
    w.tick();
    QCOMPARE(found.count(), 0);
    QCOMPARE(boot.count(), 0);
    QVERIFY(w.presentIds().isEmpty());
}

void TstCheckDevice::idsOutsideTheOriginalOrder_data()
{
    QTest::addColumn<int>("pid");
    QTest::newRow("FalconEU cable") << 0x413B;
    QTest::newRow("FalconEU receiver") << 0x180F;
    QTest::newRow("Heron") << 0x4161;
}

void TstCheckDevice::idsOutsideTheOriginalOrder()
{
    QFETCH(int, pid);
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    bus.plug(StubHidDevice::forProductId(pid));
    w.tick();
    QCOMPARE(found.count(), 1);
    QCOMPARE(found.at(0).at(1).toUInt(), uint(pid));
}

void TstCheckDevice::failedEnumerationDoesNothing()
{
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    const int id = bus.plug(StubHidDevice::forProductId(0x4130));
    w.tick();
    bus.unplug(id);
    bus.failNextEnumerations(2);
    QVERIFY(!w.tick());
    QVERIFY(!w.tick());
    QCOMPARE(found.count(), 1); // the loss is not reported from a failed pass
    QVERIFY(w.tick());
    QCOMPARE(events(found), (QStringList{"found 4130 f00d", "lost 4130 f00d"}));
}

void TstCheckDevice::unprobeableInterfaceSkipped()
{
    LogCapture logs;
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    QSignalSpy found(&w, &CheckDevice::sigFound);
    auto dev = foreign(0xF00D, 0x4130, QStringLiteral("Falcon"));
    dev->setProbeFails(0, true);
    bus.plug(dev);
    w.tick();
    QCOMPARE(found.count(), 0);
    QVERIFY(logs.contains(QStringLiteral("CheckDevice FindHIDDevice INVALID_HANDLE_VALUE")));
}

void TstCheckDevice::reordering_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QList<int>>("head"); // first 8 entries afterwards
    QTest::newRow("receiver 1804: cable to 1, receiver to 2")
        << 0x1804 << QList<int>{0x3000, 0x4130, 0x1804, 0x4123, 0x1022, 0x4122, 0x4133, 0x4132};
    QTest::newRow("cable 4132 to 1")
        << 0x4132 << QList<int>{0x3000, 0x4132, 0x4122, 0x4123, 0x4130, 0x1804, 0x4133, 0x1022};
    QTest::newRow("receiver 180d")
        << 0x180D << QList<int>{0x3000, 0x413A, 0x180D, 0x4123, 0x4130, 0x1804, 0x4133, 0x4132};
    QTest::newRow("receiver 180f from the appended ids")
        << 0x180F << QList<int>{0x3000, 0x413B, 0x180F, 0x4123, 0x4130, 0x1804, 0x4133, 0x4132};
    QTest::newRow("Osprey 4162")
        << 0x4162 << QList<int>{0x3000, 0x4162, 0x4122, 0x4123, 0x4130, 0x1804, 0x4133, 0x4132};
}

void TstCheckDevice::reordering()
{
    QFETCH(int, pid);
    QFETCH(QList<int>, head);
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    bus.plug(StubHidDevice::forProductId(pid));
    w.tick();
    QCOMPARE(w.candidateOrder().mid(0, 8), head);
    QList<int> sorted = w.candidateOrder();
    QList<int> initial = CheckDevice::initialCandidateOrder();
    std::sort(sorted.begin(), sorted.end());
    std::sort(initial.begin(), initial.end());
    QCOMPARE(sorted, initial); // a permutation: nothing lost, nothing doubled
}

void TstCheckDevice::receiverFoundAgainKeepsCableFirst()
{
    // Found, lost and found again: the second reordering leaves the pair where the first
    // put it, cable id first.
    VirtualHidBus bus;
    CheckDevice w(nullptr, &bus);
    w.stopTheTimer();
    const int rx = bus.plug(StubHidDevice::forProductId(0x4133));
    w.tick();
    bus.unplug(rx);
    w.tick();
    bus.plug(StubHidDevice::forProductId(0x4133));
    w.tick();
    QCOMPARE(w.candidateOrder().mid(0, 3), (QList<int>{0x3000, 0x4132, 0x4133}));
}

void TstCheckDevice::signalsCrossThreadsInOrder()
{
    VirtualHidBus bus;
    QThread thread;
    auto *watcher = new CheckDevice(nullptr, &bus);
    watcher->setTickInterval(5);
    watcher->moveToThread(&thread);
    connect(&thread, &QThread::finished, watcher, &QObject::deleteLater);
    Recorder recorder;
    connect(watcher, &CheckDevice::sigFound, &recorder, &Recorder::onFound);
    thread.start(QThread::InheritPriority);

    bus.plug(StubHidDevice::forProductId(0x1804));
    QTRY_COMPARE_WITH_TIMEOUT(recorder.seen.size(), 1, 10000);
    const int cable = bus.plug(StubHidDevice::forProductId(0x4130));
    QTRY_COMPARE_WITH_TIMEOUT(recorder.seen.size(), 3, 10000);
    bus.unplugAll();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.seen.size(), 4, 10000);
    Q_UNUSED(cable)

    // Stopped from this thread through a queued call, as the coordinator does.
    QMetaObject::invokeMethod(watcher, &CheckDevice::stopTheTimer, Qt::BlockingQueuedConnection);
    bool running = true;
    QMetaObject::invokeMethod(
        watcher, [&] { running = watcher->isTimerRunning(); }, Qt::BlockingQueuedConnection);
    QVERIFY(!running);

    thread.quit();
    QVERIFY(thread.wait(10000));
    QCOMPARE(recorder.seen, (QStringList{"found 1804 f00d", "lost 1804 f00d", "found 4130 f00d",
                                         "lost 4130 f00d"}));
    QVERIFY(recorder.allInMainThread);
}

QTEST_GUILESS_MAIN(TstCheckDevice)
#include "tst_checkdevice.moc"
