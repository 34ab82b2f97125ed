#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "sim/ospreymousedevice.h"
#include "common/pacer.h"
#include "device/watcher/producttable.h"
#include "sim/simulation.h"
#include "support/temphome.h"
#include "sim/virtualhidbus.h"

#include <QtTest>

namespace {
// The path of interface `index` of the first device whose product id is pid.
QString pathOf(VirtualHidBus &bus, USHORT pid, int index)
{
    QList<HidDeviceInfo> all;
    bus.enumerate(&all);
    int seen = 0;
    for (const HidDeviceInfo &i : all)
        if (i.productId == pid && seen++ == index)
            return i.path;
    return QString();
}

QByteArray report32(const char *hex)
{
    return QByteArray::fromHex(hex).leftJustified(32, '\0');
}

QByteArray ispPacket(quint32 command, quint32 number, const QByteArray &data)
{
    QByteArray r(65, '\0');
    for (int k = 0; k < 4; ++k) {
        r[1 + k] = char((command >> (8 * k)) & 0xFF);
        r[5 + k] = char((number >> (8 * k)) & 0xFF);
    }
    r.replace(9, data.size(), data);
    return r;
}
} // namespace

class TstSimDevices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void falconCommandOverTheBus();
    void restartUpdateAndComeBack();
    void receiverReachesMouseOverTheAir();
    void ospreyChannels();
    void simulateNamesBuildEmulators_data();
    void simulateNamesBuildEmulators();
    void stateOutlivesTheProcess();
    void foreignStateRefused();
};

void TstSimDevices::falconCommandOverTheBus()
{
    VirtualHidBus bus;
    auto mouse = std::make_shared<FalconMouseDevice>(0x4130);
    bus.plug(mouse);
    auto c = bus.open(pathOf(bus, 0x4130, 1));
    QVERIFY(c);
    QCOMPARE(c->writeOutputReport(report32("BAFFA40404000000")), 32);
    QByteArray in;
    QCOMPARE(c->getInputReport(0xBA, 32, &in), 32);
    QCOMPARE(in.left(8), QByteArray::fromHex("BA01040400304100"));
    // The mouse interface (0) takes no vendor reports.
    auto m = bus.open(pathOf(bus, 0x4130, 0));
    QVERIFY(m);
    QCOMPARE(m->writeOutputReport(report32("BAFFA200")), -1);
}

void TstSimDevices::restartUpdateAndComeBack()
{
    ScopedVirtualPacing pacing;
    VirtualHidBus bus;
    auto mouse = std::make_shared<FalconMouseDevice>(0x4132);
    bus.plug(mouse);
    auto c = bus.open(pathOf(bus, 0x4132, 1));
    QCOMPARE(c->writeOutputReport(report32("BAA8")), 32);
    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::BootLoader);
    // The old connection is gone; the boot loader enumerates with its product string.
    QCOMPARE(c->writeOutputReport(report32("BAFFA200")), -1);
    QList<HidDeviceInfo> all;
    bus.enumerate(&all);
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().productId, ProductTable::kFalconBootProductId);
    QCOMPARE(ProductTable::bootTypeFromProductString(all.first().productString), 12);

    auto boot = bus.open(all.first().path);
    QByteArray image(60, '\x11');
    image.replace(56, 4, QByteArray::fromHex("07000100"));
    const QByteArray first = QByteArray::fromHex("00000000" "3C000000") + image.left(48);
    QCOMPARE(boot->writeOutputReport(ispPacket(0xA0, 3, first)), 65);
    QByteArray reply;
    QCOMPARE(boot->readInputReport(&reply, 65, 100), 65);
    QCOMPARE(boot->writeOutputReport(ispPacket(0x00, 5, image.mid(48))), 65);
    QCOMPARE(boot->readInputReport(&reply, 65, 100), 65);
    // Nothing more to read: the read times out on the virtual clock.
    const qint64 before = Pacer::nowMs();
    QCOMPARE(boot->readInputReport(&reply, 65, 100), 0);
    QCOMPARE(Pacer::nowMs() - before, qint64(100));
    QCOMPARE(boot->writeOutputReport(ispPacket(0xAB, 7, {})), 65);

    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
    QCOMPARE(mouse->runs(), 1);
    auto again = bus.open(pathOf(bus, 0x4132, 1));
    QVERIFY(again);
    QCOMPARE(again->writeOutputReport(report32("BAFFA300")), 32);
    QByteArray in;
    QCOMPARE(again->getInputReport(0xBA, 32, &in), 32);
    QCOMPARE(in.left(6), QByteArray::fromHex("BA0107000100"));
}

void TstSimDevices::receiverReachesMouseOverTheAir()
{
    VirtualHidBus bus;
    auto receiver = FalconReceiverDevice::withPartnerMouse(0x180B);
    QVERIFY(receiver->pairedMouse());
    QCOMPARE(receiver->pairedMouse()->firmware().productId(), USHORT(0x4138));
    bus.plug(receiver);
    auto c = bus.open(pathOf(bus, 0x180B, 1));
    QCOMPARE(c->writeOutputReport(report32("BAA5A40404000000")), 32);
    QByteArray in;
    QCOMPARE(c->getInputReport(0xBA, 32, &in), 32);
    QCOMPARE(in.mid(5, 2), QByteArray::fromHex("3841"));

    // Pairing a different mouse: enter pairing, set an address, switch it on.
    auto other = std::make_shared<FalconMouseDevice>(0x4130);
    QCOMPARE(c->writeOutputReport(report32("BAA081")), 32);
    QCOMPARE(c->writeOutputReport(report32("BAA18F01020304")), 32);
    QVERIFY(receiver->switchMouseOn(other));
    QCOMPARE(c->writeOutputReport(report32("BAA5A40404000000")), 32);
    QCOMPARE(c->getInputReport(0xBA, 32, &in), 32);
    QCOMPARE(in.mid(5, 2), QByteArray::fromHex("3041"));
}

void TstSimDevices::ospreyChannels()
{
    VirtualHidBus bus;
    auto mouse = std::make_shared<OspreyMouseDevice>(0x4126);
    bus.plug(mouse);
    auto command = bus.open(pathOf(bus, 0x4126, 1));
    auto data = bus.open(pathOf(bus, 0x4126, 2));
    QCOMPARE(command->setFeatureReport(QByteArray::fromHex("058300000000")), 6);
    QByteArray reply;
    QCOMPARE(data->getFeatureReport(6, 1032, &reply), 1032);
    QCOMPARE(reply.left(3), QByteArray::fromHex("068300"));
    QCOMPARE(reply.mid(8 + 242, 4), QByteArray::fromHex("03808000"));
    QCOMPARE(data->getFeatureReport(5, 1032, &reply), -1); // wrong report id on the data channel
}

void TstSimDevices::simulateNamesBuildEmulators_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::newRow("falcon") << "falcon" << "falcon";
    QTest::newRow("kite boot") << "kite-boot" << "falcon-boot";
    QTest::newRow("falconq receiver") << "falconq-receiver" << "receiver";
    QTest::newRow("osprey") << "osprey" << "osprey";
    QTest::newRow("heron") << "heron" << "osprey";
    QTest::newRow("lark") << "lark" << "osprey";
}

void TstSimDevices::simulateNamesBuildEmulators()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    auto device = Simulation::createDevice(name);
    QVERIFY(device);
    if (kind == "falcon" || kind == "falcon-boot") {
        auto falcon = std::dynamic_pointer_cast<FalconMouseDevice>(device);
        QVERIFY(falcon);
        QCOMPARE(falcon->mode() == FalconMouseDevice::Mode::BootLoader, kind == "falcon-boot");
    } else if (kind == "receiver") {
        QVERIFY(std::dynamic_pointer_cast<FalconReceiverDevice>(device));
    } else {
        QVERIFY(std::dynamic_pointer_cast<OspreyMouseDevice>(device));
    }
}

void TstSimDevices::stateOutlivesTheProcess()
{
    TempHome home;
    Simulation::setStateFolder(home.file("/Simulator"));
    QVERIFY(Simulation::install({"falcon", "osprey"}));
    auto falcon = std::dynamic_pointer_cast<FalconMouseDevice>(Simulation::bus()->devices().at(0));
    auto osprey = std::dynamic_pointer_cast<OspreyMouseDevice>(Simulation::bus()->devices().at(1));
    falcon->firmware().setMemory(0x888, QByteArray::fromHex("20034006"));
    osprey->firmware().setMacroSlot(2, QByteArray::fromHex("0301AABB"));
    Simulation::uninstall();
    QVERIFY(QFile::exists(home.file("/Simulator/falcon.state")));

    QVERIFY(Simulation::install({"falcon", "osprey"}));
    falcon = std::dynamic_pointer_cast<FalconMouseDevice>(Simulation::bus()->devices().at(0));
    osprey = std::dynamic_pointer_cast<OspreyMouseDevice>(Simulation::bus()->devices().at(1));
    QCOMPARE(falcon->firmware().memory(0x888, 4), QByteArray::fromHex("20034006"));
    QCOMPARE(osprey->firmware().macroSlot(2).left(4), QByteArray::fromHex("0301AABB"));
    Simulation::uninstall();

    // A damaged state file gives a factory-fresh mouse, not a crash.
    QVERIFY(home.write("/Simulator/falcon.state", "garbage"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("state ignored"));
    QVERIFY(Simulation::install({"falcon"}));
    falcon = std::dynamic_pointer_cast<FalconMouseDevice>(Simulation::bus()->devices().at(0));
    QCOMPARE(falcon->firmware().memory(0x888, 4), FalconMouseFirmware(0x4130).memory(0x888, 4));
    Simulation::uninstall();
    Simulation::setStateFolder(QString());
}

void TstSimDevices::foreignStateRefused()
{
    FalconMouseFirmware falcon(0x4130), kite(0x4132);
    OspreyMouseFirmware osprey(0x4122);
    falcon.setMemory(0x100, "x");
    QVERIFY(!falcon.restoreState(osprey.saveState()));
    QVERIFY(!falcon.restoreState(kite.saveState())); // another model's memory
    QVERIFY(!osprey.restoreState(falcon.saveState()));
    QCOMPARE(falcon.memory(0x100, 1), QByteArray("x"));
    FalconMouseFirmware copy(0x4130);
    QVERIFY(copy.restoreState(falcon.saveState()));
    QCOMPARE(copy.memory(0x100, 1), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TstSimDevices)
#include "tst_simdevices.moc"
