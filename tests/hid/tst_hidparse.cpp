#include "hid/hidparse.h"
#include "sim/scriptablehiddevice.h"
#include "sim/virtualhidbus.h"

#include <QtTest>

namespace {
HidDeviceInfo iface(USHORT vid, USHORT pid, USHORT page, int inLen = 32)
{
    HidDeviceInfo i;
    i.vendorId = vid;
    i.productId = pid;
    i.usagePage = page;
    i.usage = 1;
    i.inputReportLength = inLen;
    i.outputReportLength = 32;
    i.inputReportId = 0xBA;
    i.outputReportId = 0xBA;
    return i;
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}
} // namespace

class TstHidParse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selector_data();
    void selector();
    void openPicksVendorInterface();
    void openAnyUsagePage();
    void openSkipsInterfaceThatCannotBeOpened();
    void openNothingMatching();
    void findHidDevice();
    void inputReport_data();
    void inputReport();
    void inputReportWithoutHandle();
};

void TstHidParse::selector_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("pid");
    QTest::newRow("upper") << "VID_F00D&PID_4130" << true << 0xF00D << 0x4130;
    QTest::newRow("lower-case pid letters") << "VID_F00D&PID_180a" << true << 0xF00D << 0x180A;
    QTest::newRow("all lower case") << "vid_f00d&pid_413b" << true << 0xF00D << 0x413B;
    QTest::newRow("inside a Windows path")
        << "\\\\?\\hid#vid_0603&pid_1022&col01#7&1b" << true << 0x0603 << 0x1022;
    QTest::newRow("three digits") << "VID_F00&PID_4130" << false << 0 << 0;
    QTest::newRow("not hex") << "VID_G00D&PID_4130" << false << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0;
}

void TstHidParse::selector()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, vid);
    QFETCH(int, pid);
    const auto s = parseHidSelector(text);
    QCOMPARE(s.has_value(), valid);
    if (s) {
        QCOMPARE(int(s->vendorId), vid);
        QCOMPARE(int(s->productId), pid);
    }
}

void TstHidParse::openPicksVendorInterface()
{
    VirtualHidBus bus;
    ScopedHidBackend scoped(&bus);
    HidDeviceInfo mouse = iface(0xF00D, 0x4130, 0x0001);
    bus.plug(std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{mouse, iface(0xF00D, 0x4130, 0xFF00)}));
    const auto h = OpenHidDevice(0xFF00, QStringLiteral("VID_F00D&PID_4130"));
    QVERIFY(h);
    QCOMPARE(int(h->info.usagePage), 0xFF00);
    QVERIFY(h->info.path.endsWith(QLatin1String("/1")));
}

void TstHidParse::openAnyUsagePage()
{
    VirtualHidBus bus;
    ScopedHidBackend scoped(&bus);
    bus.plug(std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(0xF00D, 0x3000, 0x0001)}));
    QVERIFY(!OpenHidDevice(0xFF00, QStringLiteral("VID_F00D&PID_3000")));
    const auto h = OpenHidDevice(0, QStringLiteral("vid_f00d&pid_3000"));
    QVERIFY(h);
    QCOMPARE(int(h->info.productId), 0x3000);
}

void TstHidParse::openSkipsInterfaceThatCannotBeOpened()
{
    VirtualHidBus bus;
    ScopedHidBackend scoped(&bus);
    auto first = std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(0xF00D, 0x4130, 0xFF00)});
    first->setOpenFails(0, true);
    auto second = std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(0xF00D, 0x4130, 0xFF00)});
    bus.plug(first);
    QVERIFY(!OpenHidDevice(0xFF00, QStringLiteral("VID_F00D&PID_4130")));
    bus.plug(second);
    const auto h = OpenHidDevice(0xFF00, QStringLiteral("VID_F00D&PID_4130"));
    QVERIFY(h);
    QVERIFY(h->info.path.startsWith(QLatin1String("sim:2.")));
}

void TstHidParse::openNothingMatching()
{
    VirtualHidBus bus;
    ScopedHidBackend scoped(&bus);
    bus.plug(std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(0xF00D, 0x4130, 0xFF00)}));
    QVERIFY(!OpenHidDevice(0xFF00, QStringLiteral("VID_F00D&PID_1804")));
    QVERIFY(!OpenHidDevice(0xFF00, QStringLiteral("VID_F00E&PID_4130")));
    QVERIFY(!OpenHidDevice(0xFF00, QStringLiteral("garbage")));
}

void TstHidParse::findHidDevice()
{
    VirtualHidBus bus;
    ScopedHidBackend scoped(&bus);
    QVERIFY(!FindHidDevice(QStringLiteral("VID_F00D&PID_3000")));
    const int id = bus.plug(std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(0xF00D, 0x3000, 0x0001)}));
    QVERIFY(FindHidDevice(QStringLiteral("VID_F00D&PID_3000")));
    QVERIFY(!FindHidDevice(QStringLiteral("VID_F00D&PID_4130")));
    bus.unplug(id);
    QVERIFY(!FindHidDevice(QStringLiteral("VID_F00D&PID_3000")));
}

void TstHidParse::inputReport_data()
{
    QTest::addColumn<QByteArray>("reply"); // null: the transfer fails
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("buffer");

    const QByteArray full = hex("BA 01 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF"
                                " 10 20 30 40 50 60 70 80 90 A0 B0 C0 D0 E0 F1");
    QTest::newRow("status lands in byte 0, 32-byte buffer")
        << full << 32 << true
        << hex("01 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF"
               " 10 20 30 40 50 60 70 80 90 A0 B0 C0 D0 E0 F1 00");
    QTest::newRow("short buffer takes the first bytes") << full << 4 << true << hex("01 11 22 33");
    QTest::newRow("another report id") << QByteArray(hex("BB 01")).append(30, '\0') << 32
                                       << false << QByteArray();
    QTest::newRow("short reply") << hex("BA 01 00 00") << 32 << false << QByteArray();
    QTest::newRow("transfer fails") << QByteArray() << 32 << false << QByteArray();
}

void TstHidParse::inputReport()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, length);
    QFETCH(bool, ok);
    QFETCH(QByteArray, buffer);

    VirtualHidBus bus;
    ScopedHidBackend scoped(&bus);
    auto dev = std::make_shared<ScriptableHidDevice>(
        QList<HidDeviceInfo>{iface(0xF00D, 0x4130, 0xFF00)});
    dev->queueInputReport(0, reply);
    bus.plug(dev);
    const auto h = OpenHidDevice(0xFF00, QStringLiteral("VID_F00D&PID_4130"));
    QVERIFY(h);

    QByteArray buf(32, char(0x5A)); // what a failed read must leave untouched
    buf[0] = char(0xBA);
    const QByteArray before = buf;
    QCOMPARE(GetInputReport(h.get(), reinterpret_cast<BYTE *>(buf.data()), length), ok);
    if (ok) {
        QCOMPARE(buf.left(length), buffer);
        QCOMPARE(buf.mid(length), before.mid(length)); // nothing written past length
    } else {
        QCOMPARE(buf, before);
    }
}

void TstHidParse::inputReportWithoutHandle()
{
    BYTE buf[32] = {0xBA};
    QVERIFY(!GetInputReport(nullptr, buf, 32));
    HidHandle empty;
    QVERIFY(!GetInputReport(&empty, buf, 32));
}

QTEST_GUILESS_MAIN(TstHidParse)
#include "tst_hidparse.moc"
