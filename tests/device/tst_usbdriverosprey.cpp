#include "support/logcapture.h"
#include "support/busrig.h"
#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "device/osprey/usbdriver_osprey.h"
#include "sim/virtualhidbus.h"

#include <QtTest>
#include <cstring>

namespace {
using Channel = USBDriver_Osprey::Channel;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

HidDeviceInfo collection(USHORT page, USHORT usage, int featureLength, BYTE reportId,
                         USHORT pid = 0x4122)
{
    HidDeviceInfo i;
    i.vendorId = 0xF00D;
    i.productId = pid;
    i.releaseNumber = 0x0213;
    i.productString = QStringLiteral("Osprey");
    i.usagePage = page;
    i.usage = usage;
    i.featureReportLength = featureLength;
    i.featureReportId = reportId;
    return i;
}

HidDeviceInfo commandChannel(USHORT pid = 0x4122) { return collection(0xFF00, 1, 6, 5, pid); }
HidDeviceInfo dataChannel(USHORT pid = 0x4122) { return collection(0xFF00, 2, 1032, 6, pid); }
HidDeviceInfo mouse()
{
    HidDeviceInfo i = collection(0x0001, 2, 0, 0);
    i.inputReportLength = 8;
    return i;
}
} // namespace

class OspreyFixture : public BusRig
{
public:
    explicit OspreyFixture(const QList<HidDeviceInfo> &interfaces)
        : device(std::make_shared<ScriptableHidDevice>(interfaces))
    {
        bus.plug(device);
        driver.SetVidPid(0x4122, 0xF00D);
    }
    std::shared_ptr<ScriptableHidDevice> device;
    USBDriver_Osprey driver;
};

class TstUsbDriverOsprey : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void open_data();
    void open();
    void channelsOnTwoDevicesOfTheSameIds();
    void setFeature_data();
    void setFeature();
    void getFeature_data();
    void getFeature();
    void pausedWrappers();
    void outputAndInputReports();
    void inputReadTimesOutOnTheVirtualClock();
    void vanishedDeviceFails();
    void closeHandles();
};

void TstUsbDriverOsprey::open_data()
{
    QTest::addColumn<QList<HidDeviceInfo>>("interfaces");
    QTest::addColumn<int>("openFails");  // interface index whose open fails, -1 none
    QTest::addColumn<int>("probeFails"); // interface index whose probe fails, -1 none
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("log");

    QTest::newRow("command channel first")
        << QList<HidDeviceInfo>{mouse(), commandChannel(), dataChannel()} << -1 << -1 << 1 << "";
    QTest::newRow("data channel first")
        << QList<HidDeviceInfo>{dataChannel(), mouse(), commandChannel()} << -1 << -1 << 1 << "";
    QTest::newRow("only the command channel")
        << QList<HidDeviceInfo>{mouse(), commandChannel()} << -1 << -1 << 0 << "";
    QTest::newRow("only the data channel") << QList<HidDeviceInfo>{dataChannel()} << -1 << -1
                                           << 0 << "";
    QTest::newRow("data channel cannot be opened")
        << QList<HidDeviceInfo>{commandChannel(), dataChannel()} << 1 << -1 << 0 << "";
    QTest::newRow("command channel cannot be probed")
        << QList<HidDeviceInfo>{commandChannel(), dataChannel()} << -1 << 0 << 0
        << "USBDriver_Osprey FindHIDDevice INVALID_HANDLE_VALUE";
    QTest::newRow("other product id")
        << QList<HidDeviceInfo>{commandChannel(0x4123), dataChannel(0x4123)} << -1 << -1 << 0
        << "Attributes: f00d 4123 f00d 4122";
    QTest::newRow("no feature report")
        << QList<HidDeviceInfo>{collection(0xFF00, 1, 0, 0), dataChannel()} << -1 << -1 << 0
        << "NumberFeatureValueCaps == 0";
    QTest::newRow("usage 2 outside page FF00")
        << QList<HidDeviceInfo>{collection(0xFF01, 2, 6, 5), dataChannel()} << -1 << -1 << 0
        << "Usage  UsagePage  error";
    QTest::newRow("usage 1 in another page is accepted")
        << QList<HidDeviceInfo>{collection(0x000C, 1, 6, 5), dataChannel()} << -1 << -1 << 1
        << "";
    QTest::newRow("feature length 7 belongs to no channel")
        << QList<HidDeviceInfo>{collection(0xFF00, 1, 7, 5), dataChannel()} << -1 << -1 << 0
        << "";
}

void TstUsbDriverOsprey::open()
{
    QFETCH(QList<HidDeviceInfo>, interfaces);
    QFETCH(int, openFails);
    QFETCH(int, probeFails);
    QFETCH(int, result);
    QFETCH(QString, log);
    LogCapture logs;
    OspreyFixture f(interfaces);
    if (openFails >= 0)
        f.device->setOpenFails(openFails, true);
    if (probeFails >= 0)
        f.device->setProbeFails(probeFails, true);
    QCOMPARE(f.driver.FindHIDDevice(), result);
    QCOMPARE(f.driver.isOpen(), result == 1);
    if (!log.isEmpty())
        QVERIFY2(logs.contains(log), qPrintable(logs.lines().join('\n')));
    if (result) {
        QCOMPARE(f.driver.GetDeviceVersion(), 0x0213);
        QCOMPARE(int(f.driver.channel(Channel::Command).reportLength), 6);
        QCOMPARE(int(f.driver.channel(Channel::Command).reportId), 5);
        QCOMPARE(int(f.driver.channel(Channel::Data).reportLength), 1032);
        QCOMPARE(int(f.driver.channel(Channel::Data).reportId), 6);
        QCOMPARE(f.driver.channel(Channel::Data).productString, QStringLiteral("Osprey"));
    } else {
        // Nothing half-open is kept.
        QVERIFY(!f.driver.channel(Channel::Command).readHandle);
        QVERIFY(!f.driver.channel(Channel::Data).readHandle);
        QCOMPARE(f.driver.GetDeviceVersion(), 0);
    }
}

void TstUsbDriverOsprey::channelsOnTwoDevicesOfTheSameIds()
{
    // The first complete pair wins; the walk stops there.
    OspreyFixture f({commandChannel(), dataChannel()});
    auto second = std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{commandChannel(), dataChannel()});
    f.bus.plug(second);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    QVERIFY(f.driver.channel(Channel::Data).readHandle->path().startsWith(QLatin1String("sim:1.")));
}

void TstUsbDriverOsprey::setFeature_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("report");
    QTest::newRow("command frame, zero-padded") << 0 << hex("83 00") << 1
                                                << hex("05 83 00 00 00 00");
    QTest::newRow("five bytes fill the command report") << 0 << hex("01 02 03 04 05") << 1
                                                        << hex("05 01 02 03 04 05");
    QTest::newRow("six bytes do not fit") << 0 << hex("01 02 03 04 05 06") << 0 << QByteArray();
    QTest::newRow("no data") << 0 << QByteArray() << 1 << hex("05 00 00 00 00 00");
    QTest::newRow("data frame is 1032 bytes")
        << 1 << hex("05 80") << 1 << hex("06 05 80").append(QByteArray(1029, '\0'));
    QTest::newRow("1031 data bytes fit") << 1 << QByteArray(1031, char(0x33)) << 1
                                         << hex("06").append(QByteArray(1031, char(0x33)));
    QTest::newRow("1032 data bytes do not") << 1 << QByteArray(1032, char(0x33)) << 0
                                            << QByteArray();
}

void TstUsbDriverOsprey::setFeature()
{
    QFETCH(int, channel);
    QFETCH(QByteArray, data);
    QFETCH(int, result);
    QFETCH(QByteArray, report);
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    const Channel ch = channel ? Channel::Data : Channel::Command;
    QCOMPARE(f.driver.SetFeatureReport(ch, reinterpret_cast<const BYTE *>(data.constData()),
                                       data.size()),
             result);
    QCOMPARE(f.device->sentReports(channel),
             result ? QList<QByteArray>{report} : QList<QByteArray>{});
    QVERIFY(f.device->sentReports(1 - channel).isEmpty());
    if (result)
        QCOMPARE(f.device->sent().value(0).kind, VirtualHidDevice::Transfer::SetFeature);
    QCOMPARE(f.pacing.clock().sleptMs(), 0);
}

void TstUsbDriverOsprey::getFeature_data()
{
    QTest::addColumn<QByteArray>("reply"); // null: transfer fails
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("out");
    const QByteArray full = hex("06 85 80 01 02 03 04 05").append(QByteArray(1024, char(0x44)));
    QTest::newRow("first 8 bytes, report id included") << full << 8 << 1
                                                       << hex("06 85 80 01 02 03 04 05");
    QTest::newRow("whole report") << full << 1032 << 1 << full;
    QTest::newRow("more than the report") << full << 1033 << 0 << QByteArray();
    QTest::newRow("short reply") << hex("06 85 80 01") << 4 << 0 << QByteArray();
    QTest::newRow("other report id") << QByteArray(full).replace(0, 1, "\x07") << 8 << 0
                                     << QByteArray();
    QTest::newRow("transfer fails") << QByteArray() << 8 << 0 << QByteArray();
}

void TstUsbDriverOsprey::getFeature()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, n);
    QFETCH(int, result);
    QFETCH(QByteArray, out);
    LogCapture logs;
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->queueFeatureReport(1, reply);
    QByteArray buffer(1040, char(0x5A));
    QCOMPARE(f.driver.GetFeatureReport(Channel::Data, reinterpret_cast<BYTE *>(buffer.data()), n),
             result);
    if (result) {
        QCOMPARE(buffer.left(n), out);
        QCOMPARE(buffer.mid(n), QByteArray(1040 - n, char(0x5A)));
    } else {
        QCOMPARE(buffer, QByteArray(1040, char(0x5A)));
        QCOMPARE(logs.countStartingWith(QStringLiteral("HidD_GetFeature Failed, Error Code ")), 1);
    }
}

void TstUsbDriverOsprey::pausedWrappers()
{
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->setStandingFeatureReport(0, hex("05 01 00 00 00 00"));
    const BYTE frame[2] = {0x83, 0x00};
    BYTE out[6] = {};
    QCOMPARE(f.driver.SendFeatureReport(Channel::Command, frame, 2), 1);
    QCOMPARE(f.pacing.clock().sleptMs(), 100);
    QCOMPARE(f.driver.FetchFeatureReport(Channel::Command, out, 6), 1);
    QCOMPARE(f.pacing.clock().sleptMs(), 200);
    QCOMPARE(f.pacing.clock().sleepCalls(), 2);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(out), 6), hex("05 01 00 00 00 00"));
}

void TstUsbDriverOsprey::outputAndInputReports()
{
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    const BYTE frame[3] = {0x84, 0x8C, 0x00};
    QCOMPARE(f.driver.WriteOutputReport(Channel::Command, frame, 3), 1);
    QCOMPARE(f.device->sent().value(0).kind, VirtualHidDevice::Transfer::OutputReport);
    QCOMPARE(f.device->sent().value(0).report, hex("05 84 8C 00 00 00"));
    f.device->queueInputReport(0, hex("05 01 02"));
    BYTE in[6];
    std::memset(in, 0xEE, sizeof in);
    QCOMPARE(f.driver.ReadInputReport(Channel::Command, in, 6), 1);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(in), 6), hex("05 01 02 00 00 00"));
}

void TstUsbDriverOsprey::inputReadTimesOutOnTheVirtualClock()
{
    LogCapture logs;
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    BYTE in[6] = {};
    const qint64 before = f.pacing.clock().nowMs();
    QCOMPARE(f.driver.ReadInputReport(Channel::Command, in, 6), 0);
    QCOMPARE(f.pacing.clock().nowMs() - before, qint64(USBDriver_Osprey::kInputReadTimeoutMs));
    QCOMPARE(f.pacing.clock().sleptMs(), 0); // waited on the wire, not a protocol pause
    QVERIFY(logs.contains(QStringLiteral("HidD_GetInputReport Failed, Error Code 0\n")));
}

void TstUsbDriverOsprey::vanishedDeviceFails()
{
    LogCapture logs;
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->setStandingFeatureReport(1, hex("06").append(QByteArray(1031, '\0')));
    f.device->vanish();
    const BYTE frame[2] = {0x83, 0x00};
    BYTE out[8] = {};
    QCOMPARE(f.driver.SetFeatureReport(Channel::Command, frame, 2), 0);
    QCOMPARE(f.driver.GetFeatureReport(Channel::Data, out, 8), 0);
    QVERIFY(logs.contains(QStringLiteral("HidD_SetFeature fail: -1")));
    QCOMPARE(f.driver.FindHIDDevice(), 0);
}

void TstUsbDriverOsprey::closeHandles()
{
    OspreyFixture f({commandChannel(), dataChannel()});
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    QCOMPARE(f.driver.UnInitDevice(), 1);
    QVERIFY(!f.driver.isOpen());
    const BYTE frame[1] = {0x83};
    QCOMPARE(f.driver.SetFeatureReport(Channel::Command, frame, 1), 0);
    QVERIFY(f.device->sent().isEmpty());
    // Opening again works after a close.
    QCOMPARE(f.driver.FindHIDDevice(), 1);
}

QTEST_GUILESS_MAIN(TstUsbDriverOsprey)
#include "tst_usbdriverosprey.moc"
