#include "sim/ospreymousefirmware.h"

#include <QtTest>

namespace {
using Fw = OspreyMouseFirmware;

QByteArray command(const char *hex)
{
    QByteArray r = QByteArray::fromHex(hex);
    r.prepend(char(Fw::kCommandReportId));
    return r.leftJustified(Fw::kCommandReportLength, '\0');
}

QByteArray dataFrame(const char *headerHex, const QByteArray &payload)
{
    QByteArray r = QByteArray::fromHex(headerHex);
    r.prepend(char(Fw::kDataReportId));
    r.append(payload);
    return r.leftJustified(Fw::kDataReportLength, '\0');
}

// The host-side check, written out here from the protocol description.
QPair<int, int> checksumOf(const QByteArray &p, int model)
{
    qint32 odd = 0, even = 0;
    for (int i = 1; i <= 241; ++i)
        (i % 2 ? odd : even) += quint8(p.at(i));
    qint32 e = odd + 3 * even;
    const int r0 = quint8(p.at(476)), r1 = quint8(p.at(477));
    e += r0 == 0 ? r1 : -r1;
    int low = e & 0xFF;
    if (model == 3)
        low = (low - quint8(p.at(19))) & 0xFF;
    low = (low - quint8(p.at(13))) & 0xFF;
    return {low, (e >> 8) & 0xFF};
}

QByteArray statusReply(Fw &fw)
{
    fw.setFeature(Fw::CommandChannel, command("82"));
    return fw.getFeature(Fw::DataChannel, 8);
}
} // namespace

class TstOspreyFirmware : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void profileReadPassesChecksum_data();
    void profileReadPassesChecksum();
    void rememberedBytesKeepChecksum_data();
    void rememberedBytesKeepChecksum();
    void profileWriteChecksTrailer_data();
    void profileWriteChecksTrailer();
    void statusPollBehaviour();
    void macroSlotsRoundTrip();
    void dataBlockRoundTrip();
    void malformedReportsRefused();
    void corruptedChecksum();
    void vanishes();
};

void TstOspreyFirmware::profileReadPassesChecksum_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<QByteArray>("settingsHead"); // settings bytes 0..15
    QTest::newRow("osprey") << 0x4122 << 3 << 0x02 << 0x7C << QByteArray::fromHex("038080000003070300040001 5A028309");
    QTest::newRow("swift") << 0x4123 << 2 << 0xE7 << 0x7A << QByteArray::fromHex("038080000003050200040001 5A028309");
    QTest::newRow("wren") << 0x4126 << 4 << 0xD6 << 0x79 << QByteArray::fromHex("038080000003070200040001 5A028505");
    QTest::newRow("swifts") << 0x4124 << 5 << 0xB7 << 0x77 << QByteArray::fromHex("038080000003050200040001 5A028309");
    QTest::newRow("wrens") << 0x4118 << 6 << 0x4A << 0x79 << QByteArray::fromHex("038080000003070200040001 5A028505");
    QTest::newRow("heron") << 0x4161 << 13 << 0x4A << 0x79 << QByteArray::fromHex("038080000003050200040001 5A028309");
    QTest::newRow("lark") << 0x4162 << 18 << 0xD6 << 0x79 << QByteArray::fromHex("038080000003070200040001 5A028505");
}

void TstOspreyFirmware::profileReadPassesChecksum()
{
    QFETCH(int, pid);
    QFETCH(int, model);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(QByteArray, settingsHead);
    Fw fw{quint16(pid)};
    QCOMPARE(fw.modelCode(), model);
    QVERIFY(fw.setFeature(Fw::CommandChannel, command("8300")));
    const QByteArray reply = fw.getFeature(Fw::DataChannel, Fw::kDataReportLength);
    QCOMPARE(reply.size(), 1032);
    QCOMPARE(reply.left(3), QByteArray::fromHex("068300"));
    const QByteArray p = reply.mid(8);
    QCOMPARE(p.mid(242, 16).toHex(), settingsHead.toHex());
    QCOMPARE(checksumOf(p, model), qMakePair(low, high));
    // Trailer over the settings: odd offsets once, even offsets three times.
    qint32 t = 0;
    for (int i = 242; i <= 475; ++i)
        t += quint8(p.at(i)) * (i % 2 ? 1 : 3);
    QCOMPARE(quint8(p.at(479)), quint8(t & 0xFF));
    QCOMPARE(quint8(p.at(480)), quint8(t >> 8));
    QCOMPARE(p.at(478), char(0));
}

void TstOspreyFirmware::rememberedBytesKeepChecksum_data()
{
    QTest::addColumn<int>("r0");
    QTest::addColumn<int>("r1");
    QTest::newRow("R0 = 0 adds R1") << 0 << 200;
    QTest::newRow("R0 = 5 subtracts R1") << 5 << 200;
    QTest::newRow("both zero") << 0 << 0;
    QTest::newRow("both max") << 255 << 255;
}

void TstOspreyFirmware::rememberedBytesKeepChecksum()
{
    QFETCH(int, r0);
    QFETCH(int, r1);
    for (quint16 pid : {0x4122, 0x4123, 0x4126, 0x4124, 0x4118, 0x4161, 0x4162}) {
        Fw fw(pid);
        fw.setRememberedBytes(quint8(r0), quint8(r1));
        const QByteArray p = fw.profile();
        QCOMPARE(quint8(p.at(476)), quint8(r0));
        QCOMPARE(quint8(p.at(477)), quint8(r1));
        const auto pair = Fw::checksumPair(fw.modelCode());
        QCOMPARE(checksumOf(p, fw.modelCode()), qMakePair(int(pair.first), int(pair.second)));
    }
}

void TstOspreyFirmware::profileWriteChecksTrailer_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<bool>("fixTrailer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("osprey, trailer right") << 0x4122 << true << true;
    QTest::newRow("osprey, trailer stale") << 0x4122 << false << false;
    QTest::newRow("lark, trailer stale") << 0x4162 << false << false;
    QTest::newRow("heron does not check") << 0x4161 << false << true;
}

void TstOspreyFirmware::profileWriteChecksTrailer()
{
    QFETCH(int, pid);
    QFETCH(bool, fixTrailer);
    QFETCH(bool, accepted);
    Fw fw{quint16(pid)};
    QByteArray p = fw.profile().left(504);
    p[242] = char(1); // report-rate index 1
    if (fixTrailer) {
        qint32 t = 0;
        for (int i = 242; i <= 475; ++i)
            t += quint8(p.at(i)) * (i % 2 ? 1 : 3);
        p[479] = char(t & 0xFF);
        p[480] = char(t >> 8);
    }
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("03000002000000", p)));
    const QByteArray status = statusReply(fw);
    QCOMPARE(status.left(2), QByteArray::fromHex("0682"));
    QCOMPARE(status.at(2) == 0, accepted);
    QCOMPARE(fw.settings().at(0) == 1, accepted);
}

void TstOspreyFirmware::statusPollBehaviour()
{
    Fw fw(0x4122);
    QCOMPARE(statusReply(fw).toHex(), QByteArray("0682000000000000"));
    fw.setBusyStatusPolls(2);
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("05800004000000", QByteArray(1024, 'x'))));
    QCOMPARE(statusReply(fw).toHex(), QByteArray("0682000001000000"));
    QCOMPARE(statusReply(fw).toHex(), QByteArray("0682000001000000"));
    QCOMPARE(statusReply(fw).toHex(), QByteArray("0682000000000000"));
    fw.failNextStatusPass();
    QCOMPARE(statusReply(fw).toHex(), QByteArray("0682000000000001"));
    QCOMPARE(statusReply(fw).toHex(), QByteArray("0682000000000000"));
}

void TstOspreyFirmware::macroSlotsRoundTrip()
{
    Fw fw(0x4126);
    QByteArray block = QByteArray::fromHex("0301" "0504" "8504" "0000");
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("04900004000000", block)));
    QCOMPARE(statusReply(fw).at(3), char(0));
    QCOMPARE(fw.macroSlot(1).left(8), block);
    QVERIFY(fw.setFeature(Fw::CommandChannel, command("849000")));
    const QByteArray reply = fw.getFeature(Fw::DataChannel, 1032);
    QCOMPARE(reply.left(4), QByteArray::fromHex("06849000"));
    QCOMPARE(reply.mid(8, 8), block);
    // The last slot id is 0xE8; 0xEC and ids off the 4-step grid are refused.
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("04E80004000000", block)));
    QCOMPARE(statusReply(fw).at(3), char(0));
    QCOMPARE(fw.macroSlot(23).left(2), QByteArray::fromHex("0301"));
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("04EC0004000000", block)));
    QCOMPARE(statusReply(fw).at(3), char(2));
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("048E0004000000", block)));
    QCOMPARE(statusReply(fw).at(3), char(2));
}

void TstOspreyFirmware::dataBlockRoundTrip()
{
    Fw fw(0x4122);
    QByteArray data(1024, '\0');
    for (int i = 0; i < 1024; ++i)
        data[i] = char(i * 7);
    QVERIFY(fw.setFeature(Fw::DataChannel, dataFrame("05800004000000", data)));
    QCOMPARE(statusReply(fw).at(4), char(0));
    QVERIFY(fw.setFeature(Fw::CommandChannel, command("8580")));
    const QByteArray reply = fw.getFeature(Fw::DataChannel, 1032);
    QCOMPARE(reply.left(3), QByteArray::fromHex("068580"));
    QCOMPARE(reply.mid(8), data);
}

void TstOspreyFirmware::malformedReportsRefused()
{
    Fw fw(0x4122);
    QVERIFY(!fw.setFeature(Fw::CommandChannel, QByteArray::fromHex("0582")));           // short
    QVERIFY(!fw.setFeature(Fw::CommandChannel, QByteArray::fromHex("068200000000")));   // wrong id
    QVERIFY(!fw.setFeature(Fw::DataChannel, command("8300")));                          // wrong channel
    QVERIFY(fw.setFeature(Fw::CommandChannel, command("99")));                          // unknown code
    QCOMPARE(statusReply(fw).at(7), char(1));
}

void TstOspreyFirmware::corruptedChecksum()
{
    Fw fw(0x4126);
    fw.corruptChecksum();
    const auto pair = Fw::checksumPair(4);
    QVERIFY(checksumOf(fw.profile(), 4) != qMakePair(int(pair.first), int(pair.second)));
}

void TstOspreyFirmware::vanishes()
{
    Fw fw(0x4122);
    fw.vanishAfter(1);
    QVERIFY(fw.setFeature(Fw::CommandChannel, command("8300")));
    QVERIFY(fw.getFeature(Fw::DataChannel, 1032).isEmpty());
    QVERIFY(fw.vanished());
    QCOMPARE(fw.counters().setReports, 1);
}

QTEST_GUILESS_MAIN(TstOspreyFirmware)
#include "tst_ospreyfirmware.moc"
