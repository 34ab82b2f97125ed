// The Osprey family's command set against the firmware model on the virtual bus, and against
// scripted replies where a reply has to be wrong on purpose.
#include "support/busrig.h"
#include "support/logcapture.h"
#include "common/mousetype.h"
#include "sim/ospreymousedevice.h"
#include "common/pacer.h"
#include "device/watcher/producttable.h"
#include "sim/scriptablehiddevice.h"
#include "sim/stubhiddevice.h"
#include "device/osprey/usbdriver_heron.h"
#include "device/osprey/usbdriver_osprey.h"
#include "sim/virtualhidbus.h"

#include <QtTest>
#include <memory>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

constexpr int kCommandIf = 1;
constexpr int kDataIf = 2;

// A 481-byte profile whose weighted sum over 1..241 is `sum` (never touching 13 or 19): even
// offsets carry the bulk (three times each), odd ones the rest.
QByteArray profileWithSum(int sum)
{
    QByteArray p(481, '\0');
    for (int i = 2; i <= 240 && sum >= 3; i += 2) {
        const int v = qMin(sum / 3, 255);
        p[i] = char(v);
        sum -= 3 * v;
    }
    for (int i = 1; i <= 241 && sum > 0; i += 2) {
        if (i == 13 || i == 19)
            continue;
        const int v = qMin(sum, 255);
        p[i] = char(v);
        sum -= v;
    }
    return p;
}

BYTE *bytes(QByteArray &a) { return reinterpret_cast<BYTE *>(a.data()); }
} // namespace

// The firmware model of one mouse on a bus, with a driver of the right class.
class EmulatorFixture : public BusRig
{
public:
    explicit EmulatorFixture(USHORT pid, bool heron = false)
        : device(std::make_shared<OspreyMouseDevice>(pid))
    {
        bus.plug(device);
        if (heron)
            driver = std::make_unique<USBDriver_Heron>();
        else
            driver = std::make_unique<USBDriver_Osprey>();
        driver->SetVidPid(pid, ProductTable::vendorId());
        driver->setModelCode(OspreyMouseFirmware::modelCodeOf(pid));
    }
    OspreyMouseFirmware &fw() { return device->firmware(); }
    bool open() { return driver->FindHIDDevice() == 1; }
    qint64 slept() { return pacing.clock().sleptMs(); }

    std::shared_ptr<OspreyMouseDevice> device;
    std::unique_ptr<USBDriver_Osprey> driver;
};

// Scripted replies on the data channel of an Osprey's interfaces.
class ScriptFixture : public BusRig
{
public:
    ScriptFixture()
        : device(std::make_shared<ScriptableHidDevice>(StubHidDevice::productInterfaces(0x4122)))
    {
        bus.plug(device);
        driver.SetVidPid(0x4122, ProductTable::vendorId());
        driver.setModelCode(MouseType::Osprey);
    }
    static QByteArray reply(const char *head)
    {
        QByteArray r(1032, '\0');
        const QByteArray h = hex(head);
        r.replace(0, h.size(), h);
        return r;
    }
    std::shared_ptr<ScriptableHidDevice> device;
    USBDriver_Osprey driver;
};

class TstUsbDriverOspreyCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The cases below pin the described pacing, except adaptiveStatusPasses.
    void initTestCase() { Pacer::setPollPacing(PollPacing::Described); }
    void cleanupTestCase() { Pacer::setPollPacing(PollPacing::Adaptive); }
    void adaptiveStatusPasses_data();
    void adaptiveStatusPasses();
    void checksumPairPerModel_data();
    void checksumPairPerModel();
    void checksumTrailer();
    void ospreySubtractsByte19_data();
    void ospreySubtractsByte19();
    void rememberedBytesCorrectTheSum_data();
    void rememberedBytesCorrectTheSum();
    void readProfileFromEveryModel_data();
    void readProfileFromEveryModel();
    void corruptChecksumFailsTheReadExceptOnTheLark_data();
    void corruptChecksumFailsTheReadExceptOnTheLark();
    void writeProfileLandsInTheMouse();
    void writeProfileFrameLayout();
    void heronWriteKeepsTheCachedTrailer();
    void replyHeaderMustEchoTheRequest_data();
    void replyHeaderMustEchoTheRequest();
    void statusByte7OnlyFailsTheFirstPass_data();
    void statusByte7OnlyFailsTheFirstPass();
    void busyProfileStatusPollsFourTimes();
    void macroReadsSkipOrFailOnEmptySlots();
    void macroListReadTakesAboutEightSeconds();
    void emptyMacroListWritesNothing();
    void macroListWritesOneBlockPerMacro();
    void macroListRefusesMalformedEntries_data();
    void macroListRefusesMalformedEntries();
    void setMacroStructItemLimit_data();
    void setMacroStructItemLimit();
    void dataBlockRoundTrip();
    void vanishedMouseFailsEveryCommand();
};

void TstUsbDriverOspreyCommands::checksumPairPerModel_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("2 swift") << 2 << 0xE7 << 0x7A;
    QTest::newRow("3 osprey") << 3 << 0x02 << 0x7C;
    QTest::newRow("4 wren") << 4 << 0xD6 << 0x79;
    QTest::newRow("5 swifts") << 5 << 0xB7 << 0x77;
    QTest::newRow("6 wrens") << 6 << 0x4A << 0x79;
    QTest::newRow("13 heron code") << 13 << 0x4A << 0x79;
    QTest::newRow("15 spare") << 15 << 0x26 << 0x79;
    QTest::newRow("16 spare") << 16 << 0xAB << 0x77;
    QTest::newRow("18 lark") << 18 << 0xD6 << 0x79;
    QTest::newRow("0 other") << 0 << 0x4A << 0x79;
}

void TstUsbDriverOspreyCommands::checksumPairPerModel()
{
    QFETCH(int, model);
    QFETCH(int, low);
    QFETCH(int, high);
    USBDriver_Osprey driver;
    driver.setModelCode(model);
    // R0 = R1 = 0 before any read, p[13] = p[19] = 0: the sum is the pair itself.
    QByteArray p = profileWithSum(high * 256 + low);
    QVERIFY(driver.ProfileChecksum(bytes(p)));
    QCOMPARE(p.mid(476, 5), hex("0000000000")); // R0, R1, 0 and an all-zero settings trailer

    for (int delta : {1, -1, 256}) {
        QByteArray q = profileWithSum(high * 256 + low + delta);
        q[476] = char(0x11);
        q[479] = char(0x22);
        QVERIFY2(!driver.ProfileChecksum(bytes(q)), qPrintable(QString::number(delta)));
        QCOMPARE(q.mid(476, 5), hex("1100002200")); // untouched on a mismatch
    }
}

void TstUsbDriverOspreyCommands::checksumTrailer()
{
    USBDriver_Osprey driver;
    driver.setModelCode(MouseType::Wren);
    QByteArray p = profileWithSum(0x79D6);
    for (int i = 242; i <= 475; ++i)
        p[i] = char(0xFF);
    p[478] = char(0x55);
    QVERIFY(driver.ProfileChecksum(bytes(p)));
    // 117 odd and 117 even offsets of 0xFF: 255 * 117 * 4 = 0x1D22C.
    QCOMPARE(p.mid(476, 5), hex("0000002CD2"));

    QByteArray q = profileWithSum(0x79D6);
    q[242] = 1; // even: counts three times
    q[243] = 2; // odd: once
    QVERIFY(driver.ProfileChecksum(bytes(q)));
    QCOMPARE(q.mid(479, 2), hex("0500"));
}

void TstUsbDriverOspreyCommands::ospreySubtractsByte19_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QString>("log");
    QTest::newRow("wren") << 4 << true << "crcNumber VALUE 0 d6 79";
    QTest::newRow("osprey") << 3 << false << "crcNumber VALUE 0 c6 79";
    QTest::newRow("lark") << 18 << true << "crcNumber VALUE 0 d6 79";
}

void TstUsbDriverOspreyCommands::ospreySubtractsByte19()
{
    QFETCH(int, model);
    QFETCH(bool, passes);
    QFETCH(QString, log);
    USBDriver_Osprey driver;
    driver.setModelCode(model);
    // The Wren's pair with p[19] = 0x10 inside the sum.
    QByteArray p = profileWithSum(0x79D6 - 0x10);
    p[19] = char(0x10);
    LogCapture logs;
    QCOMPARE(driver.ProfileChecksum(bytes(p)), passes);
    QVERIFY2(logs.contains(log), qPrintable(logs.lines().join('\n')));

    // p[13] is subtracted on every model.
    QByteArray q = profileWithSum(0x79D6 - 0x20);
    q[13] = char(0x20);
    logs.clear();
    driver.ProfileChecksum(bytes(q));
    QVERIFY2(logs.countStartingWith("crcNumber VALUE 20 ") == 1, qPrintable(logs.lines().join('\n')));
}

void TstUsbDriverOspreyCommands::rememberedBytesCorrectTheSum_data()
{
    QTest::addColumn<int>("r0");
    QTest::addColumn<int>("r1");
    QTest::addColumn<int>("passingSum"); // weighted sum of p[1..241] that gives the Wren's pair
    QTest::newRow("R0 = 0 adds R1") << 0 << 7 << 0x79D6 - 7;
    QTest::newRow("R0 = 5 subtracts R1") << 5 << 7 << 0x79D6 + 7;
    QTest::newRow("R0 = 1, R1 = 0") << 1 << 0 << 0x79D6;
}

void TstUsbDriverOspreyCommands::rememberedBytesCorrectTheSum()
{
    QFETCH(int, r0);
    QFETCH(int, r1);
    QFETCH(int, passingSum);
    EmulatorFixture f(0x4126);
    f.fw().setRememberedBytes(BYTE(r0), BYTE(r1));
    QVERIFY(f.open());
    QByteArray profile(476, '\0');
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), 1);
    QCOMPARE(int(f.driver->rememberedR0()), r0);
    QCOMPARE(int(f.driver->rememberedR1()), r1);

    QByteArray p = profileWithSum(passingSum);
    QVERIFY(f.driver->ProfileChecksum(bytes(p)));
    QCOMPARE(int(BYTE(p.at(476))), r0);
    QCOMPARE(int(BYTE(p.at(477))), r1);
    QByteArray wrongWay = profileWithSum(r1 ? 0x79D6 + (passingSum < 0x79D6 ? 7 : -7) : 0x79D7);
    QVERIFY(!f.driver->ProfileChecksum(bytes(wrongWay)));
}

void TstUsbDriverOspreyCommands::readProfileFromEveryModel_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QByteArray>("settingsHead"); // first settings bytes (profile 242..)
    QTest::newRow("wrens") << 0x4118 << hex("0380800000030702000400015A028505");
    QTest::newRow("osprey") << 0x4122 << hex("0380800000030703000400015A028309");
    QTest::newRow("swift") << 0x4123 << hex("0380800000030502000400015A028309");
    QTest::newRow("swifts") << 0x4124 << hex("0380800000030502000400015A028309");
    QTest::newRow("wren") << 0x4126 << hex("0380800000030702000400015A028505");
    QTest::newRow("heron") << 0x4161 << hex("0380800000030502000400015A028309");
    QTest::newRow("lark") << 0x4162 << hex("0380800000030702000400015A028505");
}

void TstUsbDriverOspreyCommands::readProfileFromEveryModel()
{
    QFETCH(int, pid);
    QFETCH(QByteArray, settingsHead);
    EmulatorFixture f(USHORT(pid), pid == 0x4161);
    QVERIFY(f.open());
    QByteArray profile(476, '\0');
    LogCapture logs;
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), 1);
    QCOMPARE(profile.mid(242, settingsHead.size()), settingsHead);
    QCOMPARE(profile, f.fw().profile().left(476));
    QCOMPARE(f.driver->profileCache(), f.fw().profile());
    // The unit's bytes after the trailer stay in the cache.
    QCOMPARE(f.driver->profileCache().mid(481, 4), hex("31323334"));
    QCOMPARE(int(f.driver->rememberedR1()), 7);
    QVERIFY(logs.contains("SetProfileData+++++"));
    // 50 ms before the request, 100 ms before send and fetch.
    QCOMPARE(f.slept(), qint64(250));
}

void TstUsbDriverOspreyCommands::corruptChecksumFailsTheReadExceptOnTheLark_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("result");
    QTest::newRow("osprey") << 0x4122 << 0;
    QTest::newRow("wren") << 0x4126 << 0;
    QTest::newRow("swift") << 0x4123 << 0;
    QTest::newRow("lark") << 0x4162 << 1;
    QTest::newRow("heron") << 0x4161 << 1; // the Heron does not check
}

void TstUsbDriverOspreyCommands::corruptChecksumFailsTheReadExceptOnTheLark()
{
    QFETCH(int, pid);
    QFETCH(int, result);
    EmulatorFixture f(USHORT(pid), pid == 0x4161);
    f.fw().setRememberedBytes(3, 9);
    f.fw().corruptChecksum();
    QVERIFY(f.open());
    QByteArray profile(476, char(0xEE));
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), result);
    // The reply was accepted: R0 and R1 are remembered even when the check fails.
    QCOMPARE(int(f.driver->rememberedR0()), 3);
    QCOMPARE(int(f.driver->rememberedR1()), 9);
}

void TstUsbDriverOspreyCommands::writeProfileLandsInTheMouse()
{
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    QByteArray profile(476, '\0');
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), 1);
    f.pacing.clock().reset();
    QByteArray same = f.fw().profile().left(476);
    same[242] = char(0x01);      // report rate
    same[242 + 58] = char(0x20); // a DPI code
    QCOMPARE(f.driver->SetProfileData(reinterpret_cast<const BYTE *>(same.constData())), 1);
    QCOMPARE(f.fw().counters().profileWrites, 1);
    QCOMPARE(f.fw().profile().mid(242, 4), hex("01808000"));
    QCOMPARE(f.fw().profile().at(242 + 58), char(0x20));
    // R0, R1 and the unit's bytes 481.. go back as read.
    QCOMPARE(f.fw().profile().mid(476, 3), hex("000700"));
    QCOMPARE(f.fw().profile().mid(481, 4), hex("31323334"));
    // Send, 100 ms, one status pass of send and fetch.
    QCOMPARE(f.slept(), qint64(400));
}

void TstUsbDriverOspreyCommands::writeProfileFrameLayout()
{
    ScriptFixture f;
    QVERIFY(f.driver.FindHIDDevice());
    f.device->setStandingFeatureReport(kDataIf, ScriptFixture::reply("0682000000000000"));
    QByteArray profile = profileWithSum(0x7C02);
    profile.resize(476);
    profile[242] = char(0xAB);
    profile[475] = char(0x01);
    QCOMPARE(f.driver.SetProfileData(reinterpret_cast<const BYTE *>(profile.constData())), 1);
    const QList<QByteArray> sent = f.device->sentReports(kDataIf);
    QCOMPARE(sent.size(), 1);
    const QByteArray frame = sent.first();
    QCOMPARE(frame.size(), 1032);
    QCOMPARE(frame.left(8), hex("0603000002000000"));
    QCOMPARE(frame.mid(8, 3), profile.left(3));
    QCOMPARE(frame.at(8 + 242), char(0xAB));
    // R0, R1, 0, trailer 0xAB * 3 + 1 = 0x0202.
    QCOMPARE(frame.mid(8 + 476, 5), hex("0000000202"));
    QCOMPARE(frame.mid(8 + 481, 23), QByteArray(23, '\0'));
    QCOMPARE(frame.mid(8 + 504), QByteArray(1032 - 512, '\0'));
    QCOMPARE(f.device->sentReports(kCommandIf), QList<QByteArray>{hex("058200000000")});

    // A profile that fails the check is not sent at all.
    f.device->clearLog();
    profile[1] = char(quint8(profile.at(1)) + 1);
    QCOMPARE(f.driver.SetProfileData(reinterpret_cast<const BYTE *>(profile.constData())), 0);
    QVERIFY(f.device->sent().isEmpty());
}

void TstUsbDriverOspreyCommands::heronWriteKeepsTheCachedTrailer()
{
    EmulatorFixture f(0x4161, true);
    QVERIFY(f.open());
    QByteArray profile(476, '\0');
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), 1);
    const QByteArray cachedTail = f.driver->profileCache().mid(476, 5);
    QCOMPARE(cachedTail.left(3), hex("000700"));
    // Settings byte 14 (an even profile offset) from 0x83 to 0x85: a recomputed trailer would
    // grow by 6.
    QCOMPARE(profile.at(242 + 14), char(0x83));
    profile[242 + 14] = char(0x85);
    profile[100] = char(quint8(profile.at(100)) + 1); // the Heron does not check the identity
    QCOMPARE(f.driver->SetProfileData(reinterpret_cast<const BYTE *>(profile.constData())), 1);
    QCOMPARE(f.fw().profile().at(242 + 14), char(0x85));
    QCOMPARE(f.fw().profile().mid(476, 5), cachedTail);
    QCOMPARE(f.driver->profileCache().mid(476, 5), cachedTail);
}

void TstUsbDriverOspreyCommands::replyHeaderMustEchoTheRequest_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("result");
    QTest::newRow("profile ok") << "profile" << hex("06830000") << 1;
    QTest::newRow("profile wrong id") << "profile" << hex("05830000") << 0;
    QTest::newRow("profile wrong code") << "profile" << hex("06840000") << 0;
    QTest::newRow("profile wrong echo") << "profile" << hex("06830100") << 0;
    QTest::newRow("macro ok") << "macro" << hex("06849000") << 1;
    QTest::newRow("macro other slot") << "macro" << hex("06848C00") << 0;
    QTest::newRow("macro second echo") << "macro" << hex("06849001") << 0;
    QTest::newRow("data ok") << "data" << hex("06858000") << 1;
    QTest::newRow("data wrong argument") << "data" << hex("06858100") << 0;
}

void TstUsbDriverOspreyCommands::replyHeaderMustEchoTheRequest()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, reply);
    QFETCH(int, result);
    ScriptFixture f;
    f.driver.setModelCode(MouseType::Lark); // the profile check does not decide here
    QVERIFY(f.driver.FindHIDDevice());
    QByteArray r(1032, '\0');
    r.replace(0, reply.size(), reply);
    r[8] = char(0x01); // a non-empty macro: 01 02, item 0x0403
    r[9] = char(0x02);
    r[10] = char(0x03);
    r[11] = char(0x04);
    f.device->queueFeatureReport(kDataIf, r);
    f.device->setStandingFeatureReport(kDataIf, ScriptFixture::reply("0682000000000000"));
    QByteArray out(1024, char(0xEE));
    if (operation == "profile") {
        QCOMPARE(f.driver.GetProfileData(bytes(out)), result);
        QCOMPARE(out.at(0), result ? char(0x01) : char(0xEE));
        QCOMPARE(f.device->sentReports(kCommandIf).first(), hex("058300000000"));
    } else if (operation == "macro") {
        QByteArray macro;
        QCOMPARE(f.driver.ReadMacro(0x90, macro), result);
        QCOMPARE(macro, result ? hex("01020304") : QByteArray());
        QCOMPARE(f.device->sentReports(kCommandIf).first(), hex("058490000000"));
    } else {
        QCOMPARE(f.driver.ReadDataBlock(bytes(out)), result);
        QCOMPARE(out.at(0), result ? char(0x01) : char(0xEE));
        QCOMPARE(f.device->sentReports(kCommandIf).first(), hex("058580000000"));
    }
}

void TstUsbDriverOspreyCommands::statusByte7OnlyFailsTheFirstPass_data()
{
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("passes");
    const QByteArray doneFlag = hex("0682000000000001");
    const QByteArray busy = hex("0682010101000000");
    const QByteArray busyFlag = hex("0682010101000001");
    const QByteArray done = hex("0682000000000000");
    QTest::newRow("done at once") << QList<QByteArray>{done} << 1 << 1 << 1;
    QTest::newRow("byte 7 on pass 1 fails at once") << QList<QByteArray>{doneFlag} << 1 << 0 << 1;
    QTest::newRow("byte 7 on pass 2 with status 0 succeeds")
        << QList<QByteArray>{busy, doneFlag} << 1 << 1 << 2;
    QTest::newRow("byte 7 on pass 2 with status 1 goes on")
        << QList<QByteArray>{busy, busyFlag, done} << 1 << 1 << 3;
    QTest::newRow("busy four passes fails")
        << QList<QByteArray>{busy, busy, busy, busy, done} << 2 << 0 << 4;
    QTest::newRow("index 2 reads byte 3")
        << QList<QByteArray>{hex("0682010001000000")} << 2 << 1 << 1;
    QTest::newRow("index 3 reads byte 4")
        << QList<QByteArray>{hex("0682010100000000")} << 3 << 1 << 1;
    QTest::newRow("not a status reply") << QList<QByteArray>{hex("0683000000000000")} << 1 << 0 << 1;
    QTest::newRow("index 0 refused") << QList<QByteArray>{done} << 0 << 0 << 0;
}

void TstUsbDriverOspreyCommands::statusByte7OnlyFailsTheFirstPass()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(int, index);
    QFETCH(int, result);
    QFETCH(int, passes);
    ScriptFixture f;
    QVERIFY(f.driver.FindHIDDevice());
    for (const QByteArray &r : replies)
        f.device->queueFeatureReport(kDataIf, r + QByteArray(1032 - r.size(), '\0'));
    LogCapture logs;
    BYTE status = 0xEE;
    QCOMPARE(f.driver.GetStatus(status, index), result);
    QCOMPARE(f.device->sentReports(kCommandIf).size(), passes);
    for (const QByteArray &s : f.device->sentReports(kCommandIf))
        QCOMPARE(s, hex("058200000000"));
    QCOMPARE(logs.count("GetStatus"), 1);
    // 200 ms per pass and 100 ms between passes that go on.
    if (result)
        QCOMPARE(f.pacing.clock().sleptMs(), qint64(passes * 200 + (passes - 1) * 100));
    if (result)
        QCOMPARE(int(status), 0);
}

void TstUsbDriverOspreyCommands::adaptiveStatusPasses_data()
{
    // A profile write to a mouse whose profile status stays nonzero for `busy` status passes.
    // Described: 100 ms, the write, 100 ms, passes of 200 ms 100 ms apart (at most four).
    // Adaptive: no wait before the first pass, then 25, 50, 100 ... ms until the waits reach
    // 400 ms (seven passes); 50 ms after a failure.
    QTest::addColumn<bool>("described");
    QTest::addColumn<int>("busy");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("passes");
    QTest::addColumn<int>("slept");
    QTest::newRow("done, described") << true << 0 << 1 << 1 << 400;
    QTest::newRow("done, adaptive") << false << 0 << 1 << 1 << 300;
    QTest::newRow("busy once, described") << true << 1 << 1 << 2 << 700;
    QTest::newRow("busy once, adaptive") << false << 1 << 1 << 2 << 525;
    QTest::newRow("busy four passes, described: fails") << true << 4 << 0 << 4 << 1450;
    QTest::newRow("busy four passes, adaptive: the fifth") << false << 4 << 1 << 5 << 1375;
    QTest::newRow("busy seven passes, adaptive: fails") << false << 7 << 0 << 7 << 1950;
}

void TstUsbDriverOspreyCommands::adaptiveStatusPasses()
{
    QFETCH(bool, described);
    QFETCH(int, busy);
    QFETCH(int, result);
    QFETCH(int, passes);
    QFETCH(int, slept);
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    QByteArray profile(476, '\0');
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), 1);
    Pacer::setPollPacing(described ? PollPacing::Described : PollPacing::Adaptive);
    f.fw().setBusyStatusPolls(busy);
    f.fw().resetCounters();
    f.pacing.clock().reset();
    const int written = f.driver->SetProfileData(reinterpret_cast<const BYTE *>(profile.constData()));
    Pacer::setPollPacing(PollPacing::Described);
    QCOMPARE(written, result);
    QCOMPARE(f.fw().counters().profileWrites, 1);
    QCOMPARE(f.fw().counters().statusRequests, passes);
    QCOMPARE(f.slept(), qint64(slept));
}

void TstUsbDriverOspreyCommands::busyProfileStatusPollsFourTimes()
{
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    QByteArray profile(476, '\0');
    QCOMPARE(f.driver->GetProfileData(bytes(profile)), 1);
    f.fw().setBusyStatusPolls(3);
    f.fw().resetCounters();
    QCOMPARE(f.driver->SetProfileData(reinterpret_cast<const BYTE *>(profile.constData())), 1);
    QCOMPARE(f.fw().counters().statusRequests, 4);
    f.fw().setBusyStatusPolls(4);
    f.fw().resetCounters();
    f.pacing.clock().reset();
    QCOMPARE(f.driver->SetProfileData(reinterpret_cast<const BYTE *>(profile.constData())), 0);
    QCOMPARE(f.fw().counters().statusRequests, 4);
    // send 100 + 100 + four passes of 200 with 100 between each + 100 after the last + 50.
    QCOMPARE(f.slept(), qint64(100 + 100 + 4 * 200 + 4 * 100 + 50));
}

void TstUsbDriverOspreyCommands::macroReadsSkipOrFailOnEmptySlots()
{
    EmulatorFixture f(0x4126);
    f.fw().setMacroSlot(0, hex("0001 0504 8504 0000 9999"));
    f.fw().setMacroSlot(2, hex("FFFF 0A04"));
    f.fw().setMacroSlot(16, hex("0003 0102"));
    f.fw().setMacroSlot(17, hex("0004 0102")); // beyond the 17 slots read by the list
    QVERIFY(f.open());
    QList<QByteArray> macros;
    QCOMPARE(f.driver->ReadMacroList(macros), 1);
    QCOMPARE(macros, (QList<QByteArray>{hex("000105048504"), hex("FFFF0A04"), hex("00030102")}));

    QByteArray one = hex("AA");
    QCOMPARE(f.driver->ReadMacro(0x90, one), 0); // slot 1 is 00 00
    QCOMPARE(one, hex("AA"));
    QCOMPARE(f.driver->ReadMacro(0x8C, one), 1);
    QCOMPARE(one, hex("000105048504"));
    QCOMPARE(f.driver->ReadMacro(0xD0, one), 1);
    QCOMPARE(one, hex("00040102"));
    // A slot id the mouse does not have: the reply is refused (echo) or the status flags it.
    QCOMPARE(f.driver->ReadMacro(0x8D, one), 0);
}

void TstUsbDriverOspreyCommands::macroListReadTakesAboutEightSeconds()
{
    EmulatorFixture f(0x4123);
    QVERIFY(f.open());
    QList<QByteArray> macros;
    QCOMPARE(f.driver->ReadMacroList(macros), 1);
    QVERIFY(macros.isEmpty());
    QCOMPARE(f.slept(), qint64(17 * 450));
    QCOMPARE(f.fw().counters().statusRequests, 17);
}

void TstUsbDriverOspreyCommands::emptyMacroListWritesNothing()
{
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    f.fw().resetCounters();
    QCOMPARE(f.driver->WriteMacroList({}), 1);
    QCOMPARE(f.fw().counters().setReports, 0);
    QCOMPARE(f.fw().counters().getReports, 0);
    QCOMPARE(f.slept(), qint64(0));
}

void TstUsbDriverOspreyCommands::macroListWritesOneBlockPerMacro()
{
    EmulatorFixture f(0x4122);
    f.fw().setMacroSlot(1, QByteArray(1024, char(0x77)));
    QVERIFY(f.open());
    QCOMPARE(f.driver->WriteMacroList({hex("0001 0A04 8A04"), hex("FFFE 0116 8116")}), 1);
    QCOMPARE(f.fw().macroSlot(0), hex("00010A048A04") + QByteArray(1018, '\0'));
    QCOMPARE(f.fw().macroSlot(1), hex("FFFE01168116") + QByteArray(1018, '\0'));
    QCOMPARE(f.fw().macroSlot(2), QByteArray(1024, '\0'));
    QCOMPARE(f.fw().counters().macroWrites, 2);
    // per block: send 100, 50, one status pass 200.
    QCOMPARE(f.slept(), qint64(2 * 350));
}

void TstUsbDriverOspreyCommands::macroListRefusesMalformedEntries_data()
{
    QTest::addColumn<QList<QByteArray>>("macros");
    QTest::newRow("odd length") << QList<QByteArray>{hex("000104"), hex("0001")};
    QTest::newRow("one byte") << QList<QByteArray>{hex("00")};
    QTest::newRow("more than a block") << QList<QByteArray>{QByteArray(1026, '\1')};
    QTest::newRow("25 macros") << QList<QByteArray>(QVector<QByteArray>(25, hex("0001")).toList());
}

void TstUsbDriverOspreyCommands::macroListRefusesMalformedEntries()
{
    QFETCH(QList<QByteArray>, macros);
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    f.fw().resetCounters();
    QCOMPARE(f.driver->WriteMacroList(macros), 0);
    QCOMPARE(f.fw().counters().setReports, 0);
}

void TstUsbDriverOspreyCommands::setMacroStructItemLimit_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("result");
    QTest::newRow("1 item") << 1 << 1;
    QTest::newRow("511 items") << 511 << 1;
    QTest::newRow("512 items") << 512 << 0;
    QTest::newRow("2000 items") << 2000 << 0;
}

void TstUsbDriverOspreyCommands::setMacroStructItemLimit()
{
    QFETCH(int, items);
    QFETCH(int, result);
    EmulatorFixture f(0x4126);
    QVERIFY(f.open());
    f.fw().resetCounters();
    QByteArray macro = hex("0002");
    for (int i = 0; i < items; ++i)
        macro += hex("0504");
    LogCapture logs;
    QCOMPARE(f.driver->SetMacroStruct(macro, 0x94), result);
    if (result) {
        const int head = 2 + 2 * qMin(items, 2);
        QCOMPARE(f.fw().macroSlot(2).left(head), hex("000205040504").left(head));
        QCOMPARE(f.fw().macroSlot(2).mid(2 + 2 * items), QByteArray(1022 - 2 * items, '\0'));
        QCOMPARE(logs.count("item: 5 4"), items);
        QCOMPARE(f.slept(), qint64(100 + 100 + 200));
    } else {
        QCOMPARE(f.fw().counters().setReports, 0);
        QCOMPARE(f.fw().macroSlot(2), QByteArray(1024, '\0'));
    }
}

void TstUsbDriverOspreyCommands::dataBlockRoundTrip()
{
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    QByteArray block(1024, '\0');
    block.replace(0, 4, hex("DEADBEEF"));
    block[1023] = char(0x5A);
    QCOMPARE(f.driver->WriteDataBlock(reinterpret_cast<const BYTE *>(block.constData())), 1);
    QCOMPARE(f.fw().dataBlock().left(4), hex("DEADBEEF"));
    QCOMPARE(f.fw().dataBlock().at(1023), char(0x5A));
    QCOMPARE(f.slept(), qint64(400));
    f.fw().setDataBlock(hex("0102030405"));
    QByteArray out(1024, char(0xEE));
    QCOMPARE(f.driver->ReadDataBlock(bytes(out)), 1);
    QCOMPARE(out, hex("0102030405") + QByteArray(1019, '\0'));
}

void TstUsbDriverOspreyCommands::vanishedMouseFailsEveryCommand()
{
    EmulatorFixture f(0x4122);
    QVERIFY(f.open());
    f.fw().setVanished(true);
    QByteArray out(1024, '\0');
    QCOMPARE(f.driver->GetProfileData(bytes(out)), 0);
    QCOMPARE(f.driver->SetProfileData(bytes(out)), 0);
    QCOMPARE(f.driver->ReadDataBlock(bytes(out)), 0);
    QCOMPARE(f.driver->WriteDataBlock(bytes(out)), 0);
    QByteArray macro;
    QCOMPARE(f.driver->ReadMacro(0x8C, macro), 0);
    QCOMPARE(f.driver->SetMacroStruct(hex("00010504"), 0x8C), 0);
    BYTE status = 0;
    QCOMPARE(f.driver->GetStatus(status, 1), 0);
}

QTEST_GUILESS_MAIN(TstUsbDriverOspreyCommands)
#include "tst_usbdriver_osprey_commands.moc"
