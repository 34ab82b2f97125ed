#include "sim/ispbootloaderfirmware.h"

#include <QtTest>

namespace {
using Isp = IspBootLoaderFirmware;

QByteArray packet(quint32 command, quint32 number, const QByteArray &data)
{
    QByteArray r(65, '\0');
    for (int k = 0; k < 4; ++k) {
        r[1 + k] = char((command >> (8 * k)) & 0xFF);
        r[5 + k] = char((number >> (8 * k)) & 0xFF);
    }
    r.replace(9, qMin(56, data.size()), data.left(56));
    return r;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int k = 0; k < 4; ++k)
        b[k] = char((v >> (8 * k)) & 0xFF);
    return b;
}

QByteArray image(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 13 + 5) & 0xFF);
    return b;
}

quint32 replyNumber(const QByteArray &r) { return quint8(r.at(5)) | (quint8(r.at(6)) << 8); }
quint16 replySum(const QByteArray &r) { return quint16(quint8(r.at(1)) | (quint8(r.at(2)) << 8)); }
quint16 sumOf(const QByteArray &report)
{
    quint16 s = 0;
    for (int i = 1; i < 65; ++i)
        s = quint16(s + quint8(report.at(i)));
    return s;
}

// Sends A0 with the first 48 bytes and the rest as continuations, numbering 3, 5, 7, …
// (1 is the sync packet). Returns the next packet number.
quint32 sendImage(Isp &isp, const QByteArray &img, quint32 number = 3)
{
    QByteArray first = le32(0) + le32(quint32(img.size())) + img.left(48);
    isp.writeOutputReport(packet(0xA0, number, first));
    isp.readInputReport();
    number += 2;
    for (int pos = 48; pos < img.size(); pos += 56) {
        isp.writeOutputReport(packet(0x00, number, img.mid(pos, 56)));
        isp.readInputReport();
        number += 2;
    }
    return number;
}
} // namespace

class TstIspBootLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replyLayout();
    void imageLandsInFlash_data();
    void imageLandsInFlash();
    void resendStepsBack();
    void faults_data();
    void faults();
    void runHandsOverImage();
    void malformedReports();
};

void TstIspBootLoader::replyLayout()
{
    Isp isp(0x4130, "Kite boot");
    const QByteArray sync = packet(0xA4, 1, le32(1));
    QVERIFY(isp.writeOutputReport(sync));
    // Packet bytes: A4 00 00 00 01 00 00 00 01 00 … → sum 0xA6; reply number 2.
    QCOMPARE(isp.readInputReport().left(9).toHex(), QByteArray("00a6000000" "02000000"));
    QVERIFY(isp.readInputReport().isEmpty());
}

void TstIspBootLoader::imageLandsInFlash_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("smaller than the first packet") << 20;
    QTest::newRow("exactly 48") << 48;
    QTest::newRow("one continuation") << 49;
    QTest::newRow("partial last chunk") << 48 + 56 * 3 + 7;
    QTest::newRow("128 KiB") << 0x20000;
}

void TstIspBootLoader::imageLandsInFlash()
{
    QFETCH(int, size);
    Isp isp(0x4130, "Kite boot");
    const QByteArray img = image(size);
    sendImage(isp, img);
    QCOMPARE(isp.declaredLength(), quint32(size));
    QCOMPARE(isp.flash().left(size), img);
    QVERIFY(isp.flash().mid(size).count(char(0xFF)) == 0x20000 - size);
    QCOMPARE(isp.counters().continuations, size <= 48 ? 0 : (size - 48 + 55) / 56);
}

void TstIspBootLoader::resendStepsBack()
{
    Isp isp(0x4130, "Kite boot");
    const QByteArray img = image(48 + 56 * 2);
    isp.writeOutputReport(packet(0xA0, 3, le32(0) + le32(quint32(img.size())) + img.left(48)));
    isp.readInputReport();
    // The first continuation arrives corrupted …
    isp.injectFault(Isp::WrongChecksum, 5);
    isp.writeOutputReport(packet(0x00, 5, img.mid(48, 56)));
    const QByteArray bad = isp.readInputReport();
    QVERIFY(replySum(bad) != sumOf(packet(0x00, 5, img.mid(48, 56))));
    QVERIFY(isp.flash().mid(48, 56) != img.mid(48, 56));
    // … the host asks for a resend and sends the chunk again.
    isp.writeOutputReport(packet(0xFF, 7, img.mid(48, 56)));
    QCOMPARE(replyNumber(isp.readInputReport()), quint32(8));
    isp.writeOutputReport(packet(0x00, 9, img.mid(48, 56)));
    isp.readInputReport();
    isp.writeOutputReport(packet(0x00, 11, img.mid(104, 56)));
    isp.readInputReport();
    QCOMPARE(isp.flash().left(img.size()), img);
    QCOMPARE(isp.counters().resends, 1);
}

void TstIspBootLoader::faults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QList<int>>("replySizes");   // sizes of the replies pending after packet 5
    QTest::addColumn<QList<int>>("replyNumbers");
    QTest::newRow("short reply") << int(Isp::ShortReply) << QList<int>{33} << QList<int>{6};
    QTest::newRow("stale reply first") << int(Isp::StaleReply) << QList<int>{65, 65} << QList<int>{4, 6};
    QTest::newRow("no reply") << int(Isp::NoReply) << QList<int>{} << QList<int>{};
}

void TstIspBootLoader::faults()
{
    QFETCH(int, fault);
    QFETCH(QList<int>, replySizes);
    QFETCH(QList<int>, replyNumbers);
    Isp isp(0x4130, "Kite boot");
    isp.injectFault(Isp::Fault(fault), 5);
    isp.writeOutputReport(packet(0xA0, 3, le32(0) + le32(200) + image(48)));
    QCOMPARE(isp.readInputReport().size(), 65); // packet 3 is not affected
    QVERIFY(isp.writeOutputReport(packet(0x00, 5, image(56))));
    QList<int> sizes, numbers;
    for (QByteArray r = isp.readInputReport(); !r.isEmpty(); r = isp.readInputReport()) {
        sizes << r.size();
        numbers << int(replyNumber(r));
    }
    QCOMPARE(sizes, replySizes);
    QCOMPARE(numbers, replyNumbers);
}

void TstIspBootLoader::runHandsOverImage()
{
    Isp isp(0x4130, "Kite boot");
    QByteArray img = image(100);
    img.replace(96, 4, le32(0x01020304));
    QByteArray received;
    isp.setRunHandler([&](const QByteArray &i) { received = i; });
    const quint32 next = sendImage(isp, img);
    QVERIFY(!isp.ran());
    QVERIFY(isp.writeOutputReport(packet(0xAB, next, {})));
    QVERIFY(isp.ran());
    QCOMPARE(received, img);
    QCOMPARE(isp.imageVersion(), quint32(0x01020304));
    QVERIFY(isp.readInputReport().isEmpty()); // run is not answered
}

void TstIspBootLoader::malformedReports()
{
    Isp isp(0x4130, "Kite boot");
    QVERIFY(!isp.writeOutputReport(QByteArray(64, '\0')));            // no report id
    QByteArray wrongId = packet(0xA4, 1, le32(1));
    wrongId[0] = char(0xBA);
    QVERIFY(!isp.writeOutputReport(wrongId));
    isp.injectFault(Isp::Vanish, 1);
    QVERIFY(!isp.writeOutputReport(packet(0xA4, 1, le32(1))));
    QVERIFY(isp.vanished());
    QVERIFY(!isp.writeOutputReport(packet(0xA4, 3, le32(1))));
}

QTEST_GUILESS_MAIN(TstIspBootLoader)
#include "tst_ispbootloader.moc"
