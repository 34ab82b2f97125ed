#include "support/logcapture.h"
#include "support/busrig.h"
#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "device/falcon/usbdriverfalcon.h"
#include "sim/stubhiddevice.h"
#include "sim/virtualhidbus.h"

#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A 32-byte input report 0xBA: id, then the given data bytes, zero-padded.
QByteArray reply(const QByteArray &data)
{
    QByteArray r(1, char(0xBA));
    r.append(data);
    r.append(QByteArray(32 - r.size(), '\0'));
    return r;
}

} // namespace

// One fresh bus, device and driver per test.
class FalconFixture : public BusRig
{
public:
    explicit FalconFixture(int linkMode = 0, USHORT pid = 0x4130)
        : device(std::make_shared<ScriptableHidDevice>(
              StubHidDevice::productInterfaces(pid)))
    {
        bus.plug(device);
        driver.setLinkMode(linkMode);
        driver.SetWiredWirelessString(QStringLiteral("VID_F00D&PID_4130"),
                                      QStringLiteral("VID_F00D&PID_1804"));
    }
    ~FalconFixture() { Pacer::setPollPacing(PollPacing::Adaptive); }
    int writes() const { return device->sentReports(1).size(); }
    void setPacing(bool described)
    {
        Pacer::setPollPacing(described ? PollPacing::Described : PollPacing::Adaptive);
    }

    std::shared_ptr<ScriptableHidDevice> device;
    USBDriverFalcon driver;
};

class TstUsbDriverFalcon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openByLinkMode_data();
    void openByLinkMode();
    void openWithoutDevice();
    void reopenClosesFirst();
    void commandReport_data();
    void commandReport();
    void commandReportRefused_data();
    void commandReportRefused();
    void receiverReport_data();
    void receiverReport();
    void exchange_data();
    void exchange();
    void exchangeCopiesReply();
    void busyOnEveryPollNeverResends();
    void deviceVanishesMidCommand();
    void closedDriverFailsQuickly();
    void dongleCommand_data();
    void dongleCommand();
    void destructorCloses();
};

void TstUsbDriverFalcon::openByLinkMode_data()
{
    QTest::addColumn<int>("linkMode");
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("log");
    QTest::newRow("cable, wired selector") << 0 << 0x4130 << 1 << "DeviceWiredDefault";
    QTest::newRow("receiver, wireless selector") << 1 << 0x1804 << 1 << "DeviceWireless24G";
    QTest::newRow("cable mode does not open the receiver") << 0 << 0x1804 << 0
                                                           << "DeviceWiredDefault";
    QTest::newRow("receiver mode does not open the cable") << 1 << 0x4130 << 0
                                                           << "DeviceWireless24G";
    QTest::newRow("link mode 2") << 2 << 0x4130 << 0 << "DeviceWireless error";
    QTest::newRow("link mode -1") << -1 << 0x4130 << 0 << "DeviceWireless error";
}

void TstUsbDriverFalcon::openByLinkMode()
{
    QFETCH(int, linkMode);
    QFETCH(int, pid);
    QFETCH(int, result);
    QFETCH(QString, log);
    LogCapture logs;
    FalconFixture f(linkMode, USHORT(pid));
    QCOMPARE(f.driver.FindHIDDevice(), result);
    QCOMPARE(f.driver.isOpen(), result == 1);
    QVERIFY(logs.contains(QStringLiteral("FindHIDDevice")));
    QVERIFY(logs.contains(log));
    if (result)
        QCOMPARE(int(f.driver.openInterface().usagePage), 0xFF00);
}

void TstUsbDriverFalcon::openWithoutDevice()
{
    FalconFixture f(0);
    f.bus.unplugAll();
    QCOMPARE(f.driver.FindHIDDevice(), 0);
    QVERIFY(!f.driver.isOpen());
}

void TstUsbDriverFalcon::reopenClosesFirst()
{
    LogCapture logs;
    FalconFixture f(0);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.driver.setLinkMode(5);
    logs.clear();
    // The failed second open closed the first handle before it gave up.
    QCOMPARE(f.driver.FindHIDDevice(), 0);
    QVERIFY(!f.driver.isOpen());
    QVERIFY(logs.contains(QStringLiteral("UnInitDevice CloseHandle")));
}

void TstUsbDriverFalcon::commandReport_data()
{
    QTest::addColumn<int>("linkMode");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("cable link byte FF") << 0 << hex("A2 00")
        << hex("BA FF A2 00 00 00 00 00 00 00 00 00 00 00 00 00"
               " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    QTest::newRow("receiver link byte A5") << 1 << hex("A4 04 04 00 00 00")
        << hex("BA A5 A4 04 04 00 00 00 00 00 00 00 00 00 00 00"
               " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    QTest::newRow("empty command") << 0 << QByteArray()
        << hex("BA FF 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
               " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    QTest::newRow("30 bytes fill the report")
        << 0 << hex("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10"
                    " 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E")
        << hex("BA FF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E"
               " 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E");
    QTest::newRow("31 bytes: the last one is not sent")
        << 0 << hex("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10"
                    " 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F")
        << hex("BA FF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E"
               " 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E");
}

void TstUsbDriverFalcon::commandReport()
{
    QFETCH(int, linkMode);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, report);
    FalconFixture f(linkMode, linkMode == 1 ? 0x1804 : 0x4130);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    QCOMPARE(f.driver.WriteCommandReport(reinterpret_cast<const BYTE *>(command.constData()),
                                         command.size()),
             1);
    QCOMPARE(f.device->sentReports(1), QList<QByteArray>{report});
    QVERIFY(f.device->sentReports(0).isEmpty());
}

void TstUsbDriverFalcon::commandReportRefused_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("nullBuffer");
    QTest::addColumn<bool>("refuseOnDevice");
    QTest::newRow("32 bytes") << 32 << false << false;
    QTest::newRow("negative length") << -1 << false << false;
    QTest::newRow("no buffer") << 2 << true << false;
    QTest::newRow("device refuses the write") << 2 << false << true;
}

void TstUsbDriverFalcon::commandReportRefused()
{
    QFETCH(int, length);
    QFETCH(bool, nullBuffer);
    QFETCH(bool, refuseOnDevice);
    LogCapture logs;
    FalconFixture f(0);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->setRefuseWrites(1, refuseOnDevice);
    const QByteArray command(32, char(0x11));
    QCOMPARE(f.driver.WriteCommandReport(
                 nullBuffer ? nullptr : reinterpret_cast<const BYTE *>(command.constData()),
                 length),
             0);
    // Refused before the wire unless the device itself refused.
    QCOMPARE(f.device->sentReports(1).size(), refuseOnDevice ? 1 : 0);
    QCOMPARE(logs.countStartingWith(QStringLiteral("WriteFile Failed, Error Code ")),
             refuseOnDevice ? 1 : 0);
}

void TstUsbDriverFalcon::receiverReport_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("report");
    QTest::newRow("pairing command at byte 1") << hex("A0 81") << 1
        << hex("BA A0 81 00 00 00 00 00 00 00 00 00 00 00 00 00"
               " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    QTest::newRow("31 bytes fit") << QByteArray(31, char(0x7E)) << 1
                                  << QByteArray(1, char(0xBA)).append(QByteArray(31, char(0x7E)));
    QTest::newRow("32 bytes refused") << QByteArray(32, char(0x7E)) << 0 << QByteArray();
}

void TstUsbDriverFalcon::receiverReport()
{
    QFETCH(QByteArray, command);
    QFETCH(int, result);
    QFETCH(QByteArray, report);
    FalconFixture f(1, 0x1804);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    QCOMPARE(f.driver.WriteReceiverReport(reinterpret_cast<const BYTE *>(command.constData()),
                                          command.size()),
             result);
    QCOMPARE(f.device->sentReports(1),
             result ? QList<QByteArray>{report} : QList<QByteArray>{});
}

void TstUsbDriverFalcon::exchange_data()
{
    // Each reply is one poll's answer: "sNN" status NN, "x" a failed read, "short" a reply of
    // the wrong length. After the list the device keeps answering with the last entry.
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<int>("readLength");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("described");
    QTest::addColumn<int>("slept");

    QTest::newRow("done at once") << QStringList{"s01"} << 1 << 1 << 1 << 1 << true << 10;
    QTest::newRow("done at once, adaptive: no wait") << QStringList{"s01"} << 1 << 1 << 1 << 1 << false << 0;
    QTest::newRow("busy three times, then done")
        << QStringList{"s02", "s02", "s02", "s01"} << 1 << 1 << 1 << 4 << true << 40;
    QTest::newRow("busy three times, adaptive: 0 + 1 + 1 + 2 ms")
        << QStringList{"s02", "s02", "s02", "s01"} << 1 << 1 << 1 << 4 << false << 4;
    QTest::newRow("status 0 resends on the next attempt")
        << QStringList{"s00", "s01"} << 1 << 1 << 2 << 2 << true << 20;
    QTest::newRow("status 0 on every poll: 4 sends, 0")
        << QStringList{"s00"} << 1 << 0 << 4 << 4 << true << 40;
    QTest::newRow("unknown status ends after one attempt of 25 polls")
        << QStringList{"s03"} << 1 << 0 << 1 << 25 << true << 250;
    QTest::newRow("unknown status, adaptive: one attempt of 31 polls in 250 ms")
        << QStringList{"s03"} << 1 << 0 << 1 << 31 << false << 250;
    QTest::newRow("failed reads: resend every attempt")
        << QStringList{"x"} << 1 << 0 << 4 << 100 << true << 1000;
    QTest::newRow("failed reads, adaptive") << QStringList{"x"} << 1 << 0 << 4 << 124 << false << 1000;
    QTest::newRow("wrong-length reply is a failed poll")
        << QStringList{"short", "s01"} << 1 << 1 << 1 << 2 << true << 20;
    QTest::newRow("busy after 25 polls then done on the next attempt")
        << (QStringList() << QVector<QString>(25, "s02").toList() << "s01") << 1 << 1 << 1 << 26 << true << 260;
    QTest::newRow("busy 30 polls, adaptive: done at the last poll of the first attempt")
        << (QStringList() << QVector<QString>(30, "s02").toList() << "s01") << 1 << 1 << 1 << 31 << false << 250;
    QTest::newRow("read length 33: never polled, resent")
        << QStringList{"s01"} << 33 << 0 << 4 << 0 << true << 1000;
    QTest::newRow("read length 0: never polled") << QStringList{"s01"} << 0 << 0 << 4 << 0 << true << 1000;
}

void TstUsbDriverFalcon::exchange()
{
    QFETCH(QStringList, replies);
    QFETCH(int, readLength);
    QFETCH(int, result);
    QFETCH(int, writes);
    QFETCH(int, polls);
    QFETCH(bool, described);
    QFETCH(int, slept);

    FalconFixture f(0);
    f.setPacing(described);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    for (int i = 0; i < replies.size(); ++i) {
        const QString r = replies.at(i);
        const QByteArray bytes = r == QLatin1String("x")       ? QByteArray()
                                 : r == QLatin1String("short") ? hex("BA 01")
                                                               : reply(hex(qPrintable(r.mid(1))));
        if (i + 1 < replies.size())
            f.device->queueInputReport(1, bytes);
        else
            f.device->setStandingInputReport(1, bytes);
    }
    QByteArray buffer = hex("A7 00 00 00");
    QCOMPARE(f.driver.ExchangeCommand(reinterpret_cast<BYTE *>(buffer.data()), 1, readLength),
             result);
    QCOMPARE(f.writes(), writes);
    QCOMPARE(f.device->inputRequests(), polls);
    // Every attempt that polls sleeps before each of its polls: skipped polls sleep as well.
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(slept));
    for (const QByteArray &w : f.device->sentReports(1))
        QCOMPARE(w.left(3), hex("BA FF A7"));
}

void TstUsbDriverFalcon::exchangeCopiesReply()
{
    FalconFixture f(0);
    f.setPacing(true);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->queueInputReport(1, reply(hex("02")));
    f.device->queueInputReport(1, reply(hex("01 00 00 00 11 22 33 44 55")));
    QByteArray buffer = hex("A4 04 04 00 00 00 EE EE EE EE");
    QCOMPARE(f.driver.ExchangeCommand(reinterpret_cast<BYTE *>(buffer.data()), 6, 8), 1);
    // Status, three unused bytes, four data bytes; bytes past readLength untouched.
    QCOMPARE(buffer, hex("01 00 00 00 11 22 33 44 EE EE"));
    QCOMPARE(f.device->sentReports(1).value(0).left(8), hex("BA FF A4 04 04 00 00 00"));
    QCOMPARE(f.pacing.clock().sleptMs(), 20);
}

void TstUsbDriverFalcon::busyOnEveryPollNeverResends()
{
    LogCapture logs;
    FalconFixture f(0);
    f.setPacing(true);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->setStandingInputReport(1, reply(hex("02")));
    QByteArray buffer = hex("A2 00");
    QCOMPARE(f.driver.ExchangeCommand(reinterpret_cast<BYTE *>(buffer.data()), 2, 2), 0);
    QCOMPARE(f.writes(), 1);                     // sent once, never again
    QCOMPARE(f.device->inputRequests(), 100);    // 25 polls in each of 4 attempts
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(4 * 25 * 10));
    QCOMPARE(f.pacing.clock().sleepCalls(), 100);
    QCOMPARE(logs.countStartingWith(QStringLiteral("ReapeatCount:")), 4);
    QCOMPARE(logs.count(QStringLiteral("write func: 162")), 1);
}

void TstUsbDriverFalcon::deviceVanishesMidCommand()
{
    LogCapture logs;
    FalconFixture f(0);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    f.device->setStandingInputReport(1, reply(hex("02")));
    f.device->vanishAfterTransfers(3); // the write and two busy polls, then gone
    QByteArray buffer = hex("A2 00");
    QCOMPARE(f.driver.ExchangeCommand(reinterpret_cast<BYTE *>(buffer.data()), 2, 2), 0);
    QCOMPARE(f.writes(), 1);
    QCOMPARE(f.device->inputRequests(), 2);
    QVERIFY(f.pacing.clock().sleptMs() <= 4 * 25 * 10);
    QVERIFY(logs.countStartingWith(QStringLiteral("GetInputReport Failed, Error Code ")) > 0);
}

void TstUsbDriverFalcon::closedDriverFailsQuickly()
{
    LogCapture logs;
    FalconFixture f(0);
    BYTE buffer[4] = {0xA7, 0, 0, 0};
    QCOMPARE(f.driver.ExchangeCommand(buffer, 1, 1), 0);
    QCOMPARE(logs.count(QStringLiteral("wFunc error")), 4);
    QCOMPARE(f.pacing.clock().sleptMs(), 0); // a failed write starts the next attempt at once
    QCOMPARE(f.driver.ReadReplyReport(buffer, 1), 0);
    QCOMPARE(f.driver.SendCommandDONGLE(buffer, 1), 0);
    QVERIFY(logs.contains(QStringLiteral("SendCommandDONGLE write Failed")));
}

void TstUsbDriverFalcon::dongleCommand_data()
{
    QTest::addColumn<int>("nacks");    // replies with byte 0 != 1 before the acknowledgement
    QTest::addColumn<bool>("acked");   // whether an acknowledgement follows at all
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("slept");
    QTest::newRow("first read acknowledges") << 0 << true << 1 << 1 << 50;
    QTest::newRow("fifth read acknowledges") << 4 << true << 1 << 5 << 250;
    QTest::newRow("never acknowledged") << 5 << false << 0 << 5 << 250;
}

void TstUsbDriverFalcon::dongleCommand()
{
    QFETCH(int, nacks);
    QFETCH(bool, acked);
    QFETCH(int, result);
    QFETCH(int, reads);
    QFETCH(int, slept);
    LogCapture logs;
    FalconFixture f(1, 0x1804);
    QCOMPARE(f.driver.FindHIDDevice(), 1);
    for (int i = 0; i < nacks; ++i)
        f.device->queueInputReport(1, reply(hex("00 07")));
    if (acked)
        f.device->queueInputReport(1, reply(hex("01 05")));
    const BYTE command[2] = {0xA0, 0x81};
    BYTE answer[2] = {0xEE, 0xEE};
    QCOMPARE(f.driver.SendCommandDONGLE(command, 2, answer), result);
    QCOMPARE(f.device->sentReports(1).value(0).left(4), hex("BA A0 81 00"));
    QCOMPARE(f.device->inputRequests(), reads);
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(slept));
    if (result) {
        QCOMPARE(int(answer[0]), 1);
        QCOMPARE(int(answer[1]), 5);
        QVERIFY(logs.contains(QStringLiteral("GetCommand ACK == 1 OK")));
    } else {
        QCOMPARE(int(answer[0]), 0xEE);
        QVERIFY(logs.contains(QStringLiteral("GetCommand ACK != 1 Failed")));
    }
}

void TstUsbDriverFalcon::destructorCloses()
{
    LogCapture logs;
    FalconFixture f(0);
    {
        USBDriverFalcon other;
        other.setLinkMode(0);
        other.SetWiredWirelessString(QStringLiteral("VID_F00D&PID_4130"), QString());
        QCOMPARE(other.FindHIDDevice(), 1);
        logs.clear();
    }
    QVERIFY(logs.contains(QStringLiteral("USBDriverFalcon::UnInitDevice()")));
    QVERIFY(logs.contains(QStringLiteral("UnInitDevice CloseHandle")));
}

QTEST_GUILESS_MAIN(TstUsbDriverFalcon)
#include "tst_usbdriverfalcon.moc"
