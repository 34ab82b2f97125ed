#include "sim/falconmousefirmware.h"
#include "sim/falconreceiverfirmware.h"
#include "common/pacer.h"

#include <QtTest>

namespace {
QByteArray report(const char *hex)
{
    QByteArray r = QByteArray::fromHex(hex);
    r.append(QByteArray(32 - r.size(), '\0'));
    return r;
}
} // namespace

class TstFalconFirmware : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
    void factoryProfileInBothProfiles_data();
    void factoryProfileInBothProfiles();
    void memoryWriteLandsAndReadsBack();
    void busyThenDone();
    void writeBusyForATime_data();
    void writeBusyForATime();
    void refusedAndDropped();
    void vanishAfterExchanges();
    void restartRequest();
    void receiverForwardsToPairedMouse();
    void receiverWithoutMouseAnswersZero();
    void pairingCompletesWhenMouseSwitchedOn();
};

void TstFalconFirmware::commands_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply"); // the leading bytes of input report 0xBA
    QTest::newRow("A2 active profile") << report("BAFFA200") << QByteArray::fromHex("BA0101");
    QTest::newRow("A1 select profile 0") << report("BAFFA100") << QByteArray::fromHex("BA01");
    QTest::newRow("A1 profile 2 refused") << report("BAFFA102") << QByteArray::fromHex("BA00");
    QTest::newRow("A3 version") << report("BAFFA300") << QByteArray::fromHex("BA0101000000");
    QTest::newRow("A9 word of factory image") << report("BAFFA9") << QByteArray::fromHex("BA01D007");
    QTest::newRow("AA power word") << report("BAFFAA") << QByteArray::fromHex("BA01D7020000");
    QTest::newRow("A4 product id at 0x0004")
        << report("BAFFA40404000000") << QByteArray::fromHex("BA010404003041" "0000");
    QTest::newRow("A4 24 bytes of the button table")
        << report("BAFFA41800020000")
        << QByteArray::fromHex("BA011800020300010003000400030002000800050008000603031010030000");
    QTest::newRow("A4 25 bytes refused") << report("BAFFA41900020000") << QByteArray::fromHex("BA00");
    QTest::newRow("A4 0 bytes refused") << report("BAFFA40000020000") << QByteArray::fromHex("BA00");
    QTest::newRow("A4 past the end refused") << report("BAFFA40400200300") << QByteArray::fromHex("BA00");
    QTest::newRow("unknown command") << report("BAFF42") << QByteArray::fromHex("BA00");
    QTest::newRow("receiver link byte on the cable") << report("BAA5A200") << QByteArray::fromHex("BA00");
}

void TstFalconFirmware::commands()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    FalconMouseFirmware mouse(0x4130);
    QVERIFY(mouse.writeOutputReport(request));
    const QByteArray in = mouse.readInputReport();
    QCOMPARE(in.size(), 32);
    QCOMPARE(in.left(reply.size()).toHex(), reply.toHex());
}

void TstFalconFirmware::factoryProfileInBothProfiles_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QByteArray>("buttons");  // first 8 bytes of the button table
    QTest::addColumn<QByteArray>("settings"); // first 12 bytes of the settings block
    QTest::newRow("falcon") << 0x4130 << QByteArray::fromHex("0300010003000400")
                            << QByteArray::fromHex("010000FFFFFFFFFF10001400");
    QTest::newRow("falconeu") << 0x413B << QByteArray::fromHex("0300010003000400")
                              << QByteArray::fromHex("010000FFFFFFFFFF10001400");
    QTest::newRow("kite") << 0x4132 << QByteArray::fromHex("0300100008000600")
                          << QByteArray::fromHex("01000000FFFFFFFF08000D00");
    QTest::newRow("kitec") << 0x4139 << QByteArray::fromHex("0300100008000600")
                           << QByteArray::fromHex("01000000FFFFFFFF08000D00");
}

void TstFalconFirmware::factoryProfileInBothProfiles()
{
    QFETCH(int, pid);
    QFETCH(QByteArray, buttons);
    QFETCH(QByteArray, settings);
    FalconMouseFirmware mouse{quint16(pid)};
    for (quint32 base : {0x000u, 0x400u}) {
        QCOMPARE(mouse.memory(base + 0x200, 8).toHex(), buttons.toHex());
        QCOMPARE(mouse.memory(base + 0x480, 12).toHex(), settings.toHex());
    }
    const char pidLe[2] = {char(pid & 0xFF), char(pid >> 8)};
    QCOMPARE(mouse.memory(0x0004, 2), QByteArray(pidLe, 2));
}

void TstFalconFirmware::memoryWriteLandsAndReadsBack()
{
    FalconMouseFirmware mouse(0x4130);
    // A5, n = 4, address 0x8B8, data 11 22 33 44
    QVERIFY(mouse.writeOutputReport(report("BAFFA504B808000011223344")));
    QCOMPARE(mouse.readInputReport().left(2), QByteArray::fromHex("BA01"));
    QCOMPARE(mouse.memory(0x8B8, 4), QByteArray::fromHex("11223344"));
    // A full 24-byte write: the report holds A5 18, four address bytes and 24 data bytes.
    QByteArray full = QByteArray::fromHex("BAFFA518" "00100000");
    for (int i = 0; i < 24; ++i)
        full.append(char(0xC0 + i));
    QCOMPARE(full.size(), 32);
    QVERIFY(mouse.writeOutputReport(full));
    QCOMPARE(mouse.readInputReport().at(1), char(1));
    QCOMPARE(mouse.memory(0x1000, 24), full.mid(8));
    QCOMPARE(mouse.counters().memoryWrites, 2);
    // Writing past the end is refused and changes nothing.
    QVERIFY(mouse.writeOutputReport(report("BAFFA508FCFF0300AABBCCDDEEFF0011")));
    QCOMPARE(mouse.readInputReport().at(1), char(0));
    QCOMPARE(mouse.memory(0x31FFC, 4), QByteArray(4, '\0'));
}

void TstFalconFirmware::busyThenDone()
{
    FalconMouseFirmware mouse(0x4130);
    mouse.setBusyPolls(3);
    QVERIFY(mouse.writeOutputReport(report("BAFFA200")));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(mouse.readInputReport().at(1), char(2));
    QCOMPARE(mouse.readInputReport().left(3), QByteArray::fromHex("BA0101"));
    // The knob applies to one command only.
    QVERIFY(mouse.writeOutputReport(report("BAFFA200")));
    QCOMPARE(mouse.readInputReport().at(1), char(1));
    // Memory writes can be made slow.
    mouse.setWriteBusyPolls(2);
    QVERIFY(mouse.writeOutputReport(report("BAFFA5040010000001020304")));
    QCOMPARE(mouse.readInputReport().at(1), char(2));
    QCOMPARE(mouse.readInputReport().at(1), char(2));
    QCOMPARE(mouse.readInputReport().at(1), char(1));
}

void TstFalconFirmware::writeBusyForATime_data()
{
    QTest::addColumn<int>("busyMs");
    QTest::addColumn<QList<int>>("pollAtMs"); // virtual time after the write of each poll
    QTest::addColumn<QByteArray>("statuses");  // status byte of each poll

    QTest::newRow("off") << 0 << QList<int>{0} << QByteArray::fromHex("01");
    QTest::newRow("first poll after the time") << 5 << QList<int>{10} << QByteArray::fromHex("01");
    QTest::newRow("exactly at the end") << 10 << QList<int>{10} << QByteArray::fromHex("01");
    QTest::newRow("one ms short") << 10 << QList<int>{9, 10} << QByteArray::fromHex("0201");
    QTest::newRow("two busy polls") << 25 << QList<int>{10, 20, 30} << QByteArray::fromHex("020201");
}

void TstFalconFirmware::writeBusyForATime()
{
    QFETCH(int, busyMs);
    QFETCH(QList<int>, pollAtMs);
    QFETCH(QByteArray, statuses);
    ScopedVirtualPacing pacing;
    pacing.clock().advanceMs(1000); // the time is measured from the write, not from zero
    FalconMouseFirmware mouse(0x4130);
    mouse.setWriteBusyMs(busyMs);
    QCOMPARE(mouse.writeBusyMs(), busyMs);
    QVERIFY(mouse.writeOutputReport(report("BAFFA5040010000001020304")));
    const qint64 written = pacing.clock().nowMs();
    for (int i = 0; i < pollAtMs.size(); ++i) {
        pacing.clock().advanceMs(written + pollAtMs.at(i) - pacing.clock().nowMs());
        QCOMPARE(mouse.readInputReport().at(1), statuses.at(i));
    }
    // Reads do not keep the mouse busy, and a later read command is not delayed.
    QVERIFY(mouse.writeOutputReport(report("BAFFA200")));
    QCOMPARE(mouse.readInputReport().left(3), QByteArray::fromHex("BA0101"));
}

void TstFalconFirmware::refusedAndDropped()
{
    FalconMouseFirmware mouse(0x4130);
    mouse.refuseCommands(1);
    QVERIFY(mouse.writeOutputReport(report("BAFFA5040010000001020304")));
    QCOMPARE(mouse.readInputReport().at(1), char(0));
    QCOMPARE(mouse.memory(0x1000, 4), QByteArray(4, '\0'));
    mouse.dropReplies(2);
    QVERIFY(mouse.writeOutputReport(report("BAFFA200")));
    QVERIFY(mouse.readInputReport().isEmpty());
    QVERIFY(mouse.readInputReport().isEmpty());
    QCOMPARE(mouse.readInputReport().at(1), char(1));
    QCOMPARE(mouse.counters().inputReports, 4);
}

void TstFalconFirmware::vanishAfterExchanges()
{
    FalconMouseFirmware mouse(0x4130);
    mouse.vanishAfter(2);
    QVERIFY(mouse.writeOutputReport(report("BAFFA200")));
    QVERIFY(!mouse.readInputReport().isEmpty());
    QVERIFY(!mouse.writeOutputReport(report("BAFFA200")));
    QVERIFY(mouse.readInputReport().isEmpty());
    QVERIFY(mouse.vanished());
}

void TstFalconFirmware::restartRequest()
{
    FalconMouseFirmware mouse(0x4130);
    int restarts = 0;
    mouse.setRestartHandler([&] { ++restarts; });
    QVERIFY(mouse.writeOutputReport(report("BAFFA8"))); // A8 as a command: no restart
    QCOMPARE(restarts, 0);
    QVERIFY(mouse.writeOutputReport(report("BAA8")));    // A8 right after the report id
    QCOMPARE(restarts, 1);
}

void TstFalconFirmware::receiverForwardsToPairedMouse()
{
    FalconMouseFirmware mouse(0x4130);
    FalconReceiverFirmware receiver(0x1804);
    receiver.pairWith(&mouse);
    QVERIFY(receiver.writeOutputReport(report("BAA5A40404000000")));
    QCOMPARE(receiver.readInputReport().left(8), QByteArray::fromHex("BA01040400" "3041" "00"));
    QCOMPARE(receiver.counters().forwarded, 1);
    QCOMPARE(mouse.counters().commands, 1);
    // Forwarded writes land in the mouse.
    QVERIFY(receiver.writeOutputReport(report("BAA5A5029808000007FF")));
    QCOMPARE(receiver.readInputReport().at(1), char(1));
    QCOMPARE(mouse.memory(0x898, 2), QByteArray::fromHex("07FF"));
    // The mouse goes out of reach: the receiver still answers, with status 0.
    mouse.setVanished(true);
    QVERIFY(receiver.writeOutputReport(report("BAA5A200")));
    QCOMPARE(receiver.readInputReport().left(2), QByteArray::fromHex("BA00"));
}

void TstFalconFirmware::receiverWithoutMouseAnswersZero()
{
    FalconReceiverFirmware receiver(0x1804);
    QVERIFY(receiver.writeOutputReport(report("BAA5A200")));
    QCOMPARE(receiver.readInputReport().left(2), QByteArray::fromHex("BA00"));
}

void TstFalconFirmware::pairingCompletesWhenMouseSwitchedOn()
{
    FalconMouseFirmware oldMouse(0x4137), newMouse(0x4130);
    FalconReceiverFirmware receiver(0x1804);
    receiver.pairWith(&oldMouse);
    // Switching a mouse on outside pairing mode changes nothing.
    QVERIFY(!receiver.switchMouseOn(&newMouse));
    QVERIFY(receiver.writeOutputReport(report("BAA7")));
    QCOMPARE(receiver.readInputReport().left(3), QByteArray::fromHex("BA0100"));

    QVERIFY(receiver.writeOutputReport(report("BAA081")));
    QCOMPARE(receiver.readInputReport().left(3), QByteArray::fromHex("BA0100"));
    QVERIFY(receiver.writeOutputReport(report("BAA7")));
    QCOMPARE(receiver.readInputReport().left(3), QByteArray::fromHex("BA0101"));
    // No address yet: the mouse cannot pair.
    QVERIFY(!receiver.switchMouseOn(&newMouse));
    QVERIFY(receiver.writeOutputReport(report("BAA18F34120000")));
    QCOMPARE(receiver.readInputReport().left(3), QByteArray::fromHex("BA0100"));
    QCOMPARE(receiver.radioAddress(), quint32(0x1234));
    QVERIFY(receiver.switchMouseOn(&newMouse));
    QVERIFY(receiver.writeOutputReport(report("BAA7")));
    QCOMPARE(receiver.readInputReport().left(3), QByteArray::fromHex("BA0100"));
    QCOMPARE(receiver.pairedMouse(), &newMouse);
}

QTEST_GUILESS_MAIN(TstFalconFirmware)
#include "tst_falconfirmware.moc"
