// The Falcon command set against the firmware emulators on the virtual bus: what lands in the
// mouse's memory, what the traffic counters say, and the receiver path.
#include "support/busrig.h"
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "support/logcapture.h"
#include "common/pacer.h"
#include "device/falcon/usbdriverfalcon.h"
#include "sim/virtualhidbus.h"

#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QString selector(USHORT pid)
{
    return QStringLiteral("VID_F00D&PID_%1").arg(pid, 4, 16, QLatin1Char('0'));
}

// A macro in hardware form with `nodes` nodes: length word, play mode 1, then nodes whose
// bytes follow a simple pattern.
QByteArray macro(int nodes)
{
    const int total = 4 + 3 * nodes;
    QByteArray m(4096, '\0');
    m[0] = char(total & 0xFF);
    m[1] = char(total >> 8);
    m[2] = 1;
    for (int i = 4; i < total; ++i)
        m[i] = char((i * 7) & 0xFF);
    return m;
}
} // namespace

// A cable mouse on the bus with an open driver.
class CableFalcon : public BusRig
{
public:
    explicit CableFalcon(USHORT pid = 0x4130)
        : mouse(std::make_shared<FalconMouseDevice>(pid))
    {
        bus.plug(mouse);
        driver.setLinkMode(0);
        driver.SetWiredWirelessString(selector(pid), QString());
        QVERIFY(driver.FindHIDDevice());
    }
    FalconMouseFirmware &fw() { return mouse->firmware(); }

    std::shared_ptr<FalconMouseDevice> mouse;
    USBDriverFalcon driver;
};

class TstUsbDriverFalconEmulator : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void profileImageRoundTrip();
    void profileImageReadsFactoryProfile();
    void macroRoundTrip_data();
    void macroRoundTrip();
    void pictureRoundTrip();
    void writeBusyPolling_data();
    void writeBusyPolling();
    void patchesTakeWhatWasReadBefore_data();
    void patchesTakeWhatWasReadBefore();
    void unchangedChunksAreNotSent_data();
    void unchangedChunksAreNotSent();
    void writersUseProfileOne_data();
    void writersUseProfileOne();
    void stageBlockKeepsWordC();
    void chunkedWriteStopsWhenTheMouseVanishes();
    void busyAndRefusedCommandsStillSucceed();
    void commandsAndValues();
    void mousePid_data();
    void mousePid();
    void mousePidWithoutPairedMouse();
    void pairedLaterThroughTheReceiver();
};

void TstUsbDriverFalconEmulator::profileImageRoundTrip()
{
    CableFalcon f;
    QByteArray image(128, '\0');
    BYTE *img = reinterpret_cast<BYTE *>(image.data());
    QCOMPARE(f.driver.GetProfileData(img, 128), 1);
    QCOMPARE(int(f.driver.currentProfile()), 1);

    // Change every button entry and settings byte, write, read back.
    QByteArray changed = image;
    for (int i = 16; i < 128; ++i)
        changed[i] = char(0xA0 ^ i);
    QCOMPARE(f.driver.SetProfileData(reinterpret_cast<const BYTE *>(changed.constData()), 128), 1);
    QCOMPARE(f.fw().memory(0x600, 44), changed.mid(16, 44));
    QCOMPARE(f.fw().memory(0x880, 68), changed.mid(60, 68));
    QByteArray back(128, '\0');
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(back.data()), 128), 1);
    QCOMPARE(back.mid(16).toHex(), changed.mid(16).toHex());
    QCOMPARE(back.left(4), hex("01 00 00 00"));
    // 2 + 3 reads of the image and 2 + 3 writes: ten memory commands in all.
    QCOMPARE(f.fw().counters().memoryWrites, 5);
    QCOMPARE(f.fw().counters().memoryReads, 10);
}

void TstUsbDriverFalconEmulator::profileImageReadsFactoryProfile()
{
    CableFalcon f(0x4139); // KiteC
    f.fw().setActiveProfile(0);
    f.fw().setStatusWordA9(0x07D0);
    f.fw().setPowerWord(0x01000280);
    QByteArray image(128, char(0xCD));
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(image.data()), 128), 1);
    QCOMPARE(image.left(16).toHex(' '), hex("00 00 00 00 CD CD CD CD D0 07 CD CD 80 02 00 01").toHex(' '));
    // The KiteC's factory button table and the start of its settings block.
    QCOMPARE(image.mid(16, 12).toHex(' '), hex("03 00 10 00 08 00 06 00 08 00 05 00").toHex(' '));
    QCOMPARE(image.mid(60, 8).toHex(' '), hex("01 00 00 00 FF FF FF FF").toHex(' '));
    QCOMPARE(image.mid(16), f.fw().memory(0x200, 44) + f.fw().memory(0x480, 68));
}

void TstUsbDriverFalconEmulator::macroRoundTrip_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("list");
    QTest::addColumn<int>("nodes");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("writes");
    QTest::newRow("single 0, one node") << 0 << false << 1 << 0x1000u << 1;
    QTest::newRow("single 10, 20 nodes") << 10 << false << 20 << 0xB000u << 3;
    QTest::newRow("list 1, 7 nodes") << 1 << true << 7 << 0x11000u << 2;
    QTest::newRow("single 4, 1363 nodes") << 4 << false << 1363 << 0x5000u << 171;
}

void TstUsbDriverFalconEmulator::macroRoundTrip()
{
    QFETCH(int, index);
    QFETCH(bool, list);
    QFETCH(int, nodes);
    QFETCH(quint32, address);
    QFETCH(int, writes);
    CableFalcon f;
    const QByteArray m = macro(nodes);
    const int total = 4 + 3 * nodes;
    const QByteArray after = f.fw().memory(address + quint32(total), 8);
    QCOMPARE(f.driver.WriteMacro(index, list, reinterpret_cast<const BYTE *>(m.constData()), m.size()), 1);
    QCOMPARE(f.fw().counters().memoryWrites, writes);
    QCOMPARE(f.fw().memory(address, total), m.left(total));
    QCOMPARE(f.fw().memory(address + quint32(total), 8), after); // nothing past the macro
    QByteArray back(total, '\0');
    QCOMPARE(f.driver.ReadEEPROM(address, total, reinterpret_cast<BYTE *>(back.data())), 1);
    QCOMPARE(back, m.left(total));
    // Every write was one report out and, with the mouse answering at once, one poll at once.
    QCOMPARE(f.fw().counters().inputReports, writes + (total + 23) / 24);
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(0));
}

void TstUsbDriverFalconEmulator::writeBusyPolling_data()
{
    // One 4-byte memory write to a mouse busy for busyMs after it; no wire time. Adaptive polls
    // come after 0, 1, 1, 2, 2, 4, 4, 8, then 10 ms.
    QTest::addColumn<bool>("described");
    QTest::addColumn<int>("busyMs");
    QTest::addColumn<int>("polls");
    QTest::addColumn<int>("slept");
    QTest::newRow("ready at once, described") << true << 0 << 1 << 10;
    QTest::newRow("ready at once, adaptive") << false << 0 << 1 << 0;
    QTest::newRow("busy 5 ms, described") << true << 5 << 1 << 10;
    QTest::newRow("busy 5 ms, adaptive") << false << 5 << 5 << 6;
    QTest::newRow("busy 15 ms, described") << true << 15 << 2 << 20;
    QTest::newRow("busy 15 ms, adaptive") << false << 15 << 8 << 22;
    QTest::newRow("busy 240 ms, described") << true << 240 << 24 << 240;
    QTest::newRow("busy 240 ms, adaptive: still the first attempt") << false << 240 << 30 << 242;
}

void TstUsbDriverFalconEmulator::writeBusyPolling()
{
    QFETCH(bool, described);
    QFETCH(int, busyMs);
    QFETCH(int, polls);
    QFETCH(int, slept);
    CableFalcon f;
    Pacer::setPollPacing(described ? PollPacing::Described : PollPacing::Adaptive);
    f.fw().setWriteBusyMs(busyMs);
    const BYTE word[4] = {1, 2, 3, 4};
    const int result = f.driver.WriteEEPROM(0x1000, 4, word);
    Pacer::setPollPacing(PollPacing::Adaptive);
    QCOMPARE(result, 1);
    QCOMPARE(f.fw().counters().outputReports, 1);
    QCOMPARE(f.fw().counters().inputReports, polls);
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(slept));
    QCOMPARE(f.fw().memory(0x1000, 4), hex("01 02 03 04"));
}

void TstUsbDriverFalconEmulator::patchesTakeWhatWasReadBefore_data()
{
    // One byte patched into profile 1 (0x894 byte 2, 0x898 byte 0 or 1): how many memory reads
    // the patch needs after the profile image was read (primed) or not, or after a failed write.
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("primed");
    QTest::addColumn<bool>("failedWrite");
    QTest::addColumn<int>("reads");
    QTest::newRow("word C, image read: no read") << 0x894u << 2 << true << false << 0;
    QTest::newRow("word C, nothing read: read") << 0x894u << 2 << false << false << 1;
    QTest::newRow("word C after a failed write: read") << 0x894u << 2 << true << true << 1;
    QTest::newRow("current stage, image read: no read") << 0x898u << 0 << true << false << 0;
    QTest::newRow("light mode: always read") << 0x898u << 1 << true << false << 1;
}

void TstUsbDriverFalconEmulator::patchesTakeWhatWasReadBefore()
{
    QFETCH(quint32, address);
    QFETCH(int, index);
    QFETCH(bool, primed);
    QFETCH(bool, failedWrite);
    QFETCH(int, reads);
    CableFalcon f;
    BYTE image[128] = {};
    if (primed)
        QCOMPARE(f.driver.GetProfileData(image, 128), 1);
    if (failedWrite) {
        f.fw().refuseCommands(4);
        const BYTE word[4] = {};
        QCOMPARE(f.driver.WriteEEPROM(0x1000, 4, word), 0);
    }
    QByteArray expected = f.fw().memory(address, 4);
    expected[index] = char(0x05);
    f.fw().resetCounters();
    const int result = address == 0x894u ? f.driver.SetSettingsWordCByte2(0x05)
                       : index == 0     ? f.driver.SetDpiLedRateLightIntensityByte0(0x05, 1)
                                        : f.driver.SetDpiLedRateLightIntensityByte1(0x05, 1);
    QCOMPARE(result, 1);
    QCOMPARE(f.fw().counters().memoryReads, reads);
    QCOMPARE(f.fw().counters().memoryWrites, 1);
    QCOMPARE(f.fw().memory(address, 4), expected);
}

void TstUsbDriverFalconEmulator::unchangedChunksAreNotSent_data()
{
    // 60 bytes at 0x2000 (chunks 0..23, 24..47 and 48..59) over a mouse holding `held`.
    QTest::addColumn<int>("heldLength");
    QTest::addColumn<int>("changedAt"); // the one byte where the mouse differs, -1 none
    QTest::addColumn<int>("writes");
    QTest::newRow("nothing known: all three chunks") << 0 << -1 << 3;
    QTest::newRow("all equal: nothing sent") << 60 << -1 << 0;
    QTest::newRow("byte 30 differs: the middle chunk") << 60 << 30 << 1;
    QTest::newRow("byte 59 differs: the short last chunk") << 60 << 59 << 1;
    QTest::newRow("known up to byte 47: the last chunk") << 48 << -1 << 1;
    QTest::newRow("known up to byte 46: the last two") << 47 << -1 << 2;
}

void TstUsbDriverFalconEmulator::unchangedChunksAreNotSent()
{
    QFETCH(int, heldLength);
    QFETCH(int, changedAt);
    QFETCH(int, writes);
    CableFalcon f;
    QByteArray data(60, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(0x40 + i);
    QByteArray onMouse = data;
    if (changedAt >= 0)
        onMouse[changedAt] = char(0xEE);
    f.fw().setMemory(0x2000, onMouse);
    QCOMPARE(f.driver.WriteEEPROM(0x2000, 60, reinterpret_cast<const BYTE *>(data.constData()),
                                  reinterpret_cast<const BYTE *>(onMouse.constData()), heldLength),
             1);
    QCOMPARE(f.fw().counters().memoryWrites, writes);
    QCOMPARE(f.fw().memory(0x2000, 60), data);
}

void TstUsbDriverFalconEmulator::pictureRoundTrip()
{
    CableFalcon f(0x4138);
    QByteArray picture(384, '\0');
    for (int i = 0; i < 384; ++i)
        picture[i] = char(i * 13);
    QCOMPARE(f.driver.WritePicture(3, reinterpret_cast<const BYTE *>(picture.constData())), 1);
    QCOMPARE(f.fw().counters().memoryWrites, 16);
    QCOMPARE(f.fw().memory(0x25000, 384), picture);
    QByteArray back(384, '\0');
    QCOMPARE(f.driver.ReadPicture(3, reinterpret_cast<BYTE *>(back.data())), 1);
    QCOMPARE(f.fw().counters().memoryReads, 16);
    QCOMPARE(back, picture);
}

// Setters that address profile 1's copy whatever profile they are given.
void TstUsbDriverFalconEmulator::writersUseProfileOne_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("LED matrix, profile 0") << "ledMatrix" << 0x8B8u << hex("11 22 33 00 44 55 66 00");
    QTest::newRow("light word, profile 0") << "light" << 0x898u << hex("01 02 03 04");
    QTest::newRow("word E") << "wordE" << 0x8A0u << hex("78 56 34 12");
    QTest::newRow("word C byte 2") << "wordCByte2" << 0x896u << hex("5A");
    QTest::newRow("word D byte 2, profile 0") << "wordDByte2" << 0x89Eu << hex("5B");
    QTest::newRow("word G x/y, profile 0") << "wordGXY" << 0x8ADu << hex("0C 0D");
    QTest::newRow("double word F byte 5, profile 0") << "wordF" << 0x8A9u << hex("5C");
    QTest::newRow("LED colour k = 8") << "ledColor" << 0x8C0u << hex("AA BB CC 00");
}

void TstUsbDriverFalconEmulator::writersUseProfileOne()
{
    QFETCH(QString, op);
    QFETCH(quint32, address);
    QFETCH(QByteArray, bytes);
    CableFalcon f;
    // Tell the two profiles apart.
    f.fw().setMemory(0x400, QByteArray(0x400, char(0x10)));
    f.fw().setMemory(0x800, QByteArray(0x400, char(0x20)));
    const QByteArray profile0 = f.fw().memory(0x400, 0x400);
    int r = -1;
    if (op == "ledMatrix") {
        const DWORD colours[2] = {0x00332211, 0x00665544};
        r = f.driver.SetLedColorMatrixAll(colours, 2, 0);
    } else if (op == "light") r = f.driver.SetDpiLedRateLightIntensity(1, 2, 3, 4, 0);
    else if (op == "wordE") r = f.driver.SetSettingsWordE(0x12345678);
    else if (op == "wordCByte2") r = f.driver.SetSettingsWordCByte2(0x5A);
    else if (op == "wordDByte2") r = f.driver.SetSettingsWordDByte2(0x5B, 0);
    else if (op == "wordGXY") r = f.driver.SetSettingsWordGXY(0x0C, 0x0D, 0);
    else if (op == "wordF") r = f.driver.SetSettingsDoubleWordFByte(5, 0x5C, 0);
    else if (op == "ledColor") r = f.driver.SetLedColor(0x00CCBBAA, 8);
    QCOMPARE(r, 1);
    QCOMPARE(f.fw().memory(address, bytes.size()).toHex(' '), bytes.toHex(' '));
    QCOMPARE(f.fw().memory(0x400, 0x400), profile0); // profile 0 untouched
    // Around the written bytes profile 1 keeps its contents.
    QCOMPARE(int(quint8(f.fw().memory(address - 1, 1).at(0))), 0x20);
    QCOMPARE(int(quint8(f.fw().memory(address + quint32(bytes.size()), 1).at(0))), 0x20);
}

void TstUsbDriverFalconEmulator::stageBlockKeepsWordC()
{
    CableFalcon f;
    f.fw().setMemory(0x894, hex("C0 C1 C2 C3"));
    f.fw().setMemory(0x494, hex("E0 E1 E2 E3"));
    const QByteArray block = hex("02 00 05 00 09 00 0E 00 12 00 1C 00 03 04 FF FF");
    QCOMPARE(f.driver.SetDpiStageBlock(reinterpret_cast<const BYTE *>(block.constData()), 16, 0), 1);
    QCOMPARE(f.fw().memory(0x488, 16).toHex(' '),
             hex("02 00 05 00 09 00 0E 00 12 00 1C 00 03 04 C2 00").toHex(' '));
    QByteArray back(16, '\0');
    QCOMPARE(f.driver.GetDpiStageBlock(reinterpret_cast<BYTE *>(back.data()), 0), 1);
    QCOMPARE(back, f.fw().memory(0x488, 16));
}

void TstUsbDriverFalconEmulator::chunkedWriteStopsWhenTheMouseVanishes()
{
    CableFalcon f;
    const QByteArray before = f.fw().memory(0x3000, 100);
    const QByteArray data(100, char(0x6B));
    // Each chunk is one report out and one reply in: two chunks, then the mouse is gone.
    f.fw().vanishAfter(4);
    QCOMPARE(f.driver.WriteEEPROM(0x3000, 100, reinterpret_cast<const BYTE *>(data.constData())), 0);
    QCOMPARE(f.fw().counters().memoryWrites, 2);
    QCOMPARE(f.fw().memory(0x3000, 48), data.left(48));      // written chunks stay written
    QCOMPARE(f.fw().memory(0x3030, 52), before.mid(48));     // the rest untouched
}

void TstUsbDriverFalconEmulator::busyAndRefusedCommandsStillSucceed()
{
    CableFalcon f;
    f.fw().setWriteBusyPolls(3);
    f.fw().refuseCommands(1);
    const QByteArray data = hex("01 02 03 04 05 06 07 08");
    QCOMPARE(f.driver.WriteEEPROM(0x484, 8, reinterpret_cast<const BYTE *>(data.constData())), 1);
    QCOMPARE(f.fw().memory(0x484, 8), data);
    // Refused once and sent again; then three busy polls before the done reply.
    QCOMPARE(f.fw().counters().outputReports, 2);
    QCOMPARE(f.fw().counters().inputReports, 1 + 4);

    f.fw().dropReplies(2);
    DWORD w = 0;
    QCOMPARE(f.driver.GetSettingsWordB(&w, 0), 1);
    QCOMPARE(w, DWORD(0x04030201));
}

void TstUsbDriverFalconEmulator::commandsAndValues()
{
    LogCapture logs;
    CableFalcon f;
    f.fw().setFirmwareVersion(0x0A090807);
    DWORD version = 0;
    QCOMPARE(f.driver.GetFirmwareVersion(&version), 1);
    QCOMPARE(version, DWORD(0x0A090807));
    QVERIFY(logs.contains(QStringLiteral("version: 7 8 9 10")));

    QCOMPARE(f.driver.SetCurrentProfile(0), 1);
    QCOMPARE(f.fw().activeProfile(), 0);
    BYTE p = 9;
    QCOMPARE(f.driver.GetCurrentProfile(&p), 1);
    QCOMPARE(int(p), 0);

    QCOMPARE(f.driver.SetCommandABValue(0x33), 1);
    QCOMPARE(f.fw().lastAbValue(), 0x33);
    f.fw().setPowerWord(0x0200027A);
    DWORD power = 0;
    QCOMPARE(f.driver.GetPowerState(&power), 1);
    QCOMPARE(power, DWORD(0x0200027A));
    USHORT quick = 0;
    QCOMPARE(f.driver.QuickPowerState(&quick), 1);
    QCOMPARE(quick, USHORT(0x027A));
    QCOMPARE(f.driver.SendCommandA7(), 1);

    // The mouse refuses an out-of-range A4; the driver reports it after its four attempts.
    QByteArray out(8, '\0');
    QCOMPARE(f.driver.ReadEEPROM(0x31FFC, 8, reinterpret_cast<BYTE *>(out.data())), 0);
}

void TstUsbDriverFalconEmulator::mousePid_data()
{
    QTest::addColumn<int>("receiver");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("0x1804 with its Falcon") << 0x1804 << 0x30 << 0x41;
    QTest::newRow("0x180B with its FalconQ") << 0x180B << 0x38 << 0x41;
    QTest::newRow("0x180D") << 0x180D << 0x3A << 0x41;
}

void TstUsbDriverFalconEmulator::mousePid()
{
    QFETCH(int, receiver);
    QFETCH(int, low);
    QFETCH(int, high);
    BusRig rig;
    auto dongle = FalconReceiverDevice::withPartnerMouse(USHORT(receiver));
    QVERIFY(dongle->pairedMouse());
    rig.bus.plug(dongle);
    USBDriverFalcon driver;
    driver.setLinkMode(1);
    driver.SetWiredWirelessString(QString(), selector(USHORT(receiver)));
    QCOMPARE(driver.FindHIDDevice(), 1);
    BYTE l = 0, h = 0;
    QCOMPARE(driver.GetMousePid(&l, &h), 1);
    QCOMPARE(int(l), low);
    QCOMPARE(int(h), high);
    QCOMPARE(dongle->firmware().counters().forwarded, 1);
    QCOMPARE(int(h) * 256 + int(l), int(dongle->pairedMouse()->firmware().productId()));

    // A memory write reaches the mouse over the air.
    const QByteArray entry = hex("05 00 02 00");
    QCOMPARE(driver.SetButtonEntry(4, reinterpret_cast<const BYTE *>(entry.constData()), 1), 1);
    QCOMPARE(dongle->pairedMouse()->firmware().memory(0x60C, 4), entry);
}

void TstUsbDriverFalconEmulator::mousePidWithoutPairedMouse()
{
    BusRig rig;
    auto dongle = std::make_shared<FalconReceiverDevice>(0x1804, nullptr);
    rig.bus.plug(dongle);
    USBDriverFalcon driver;
    driver.setLinkMode(1);
    driver.SetWiredWirelessString(QString(), selector(0x1804));
    QCOMPARE(driver.FindHIDDevice(), 1);
    BYTE l = 0xEE, h = 0xEE;
    QCOMPARE(driver.GetMousePid(&l, &h), 0);
    QCOMPARE(int(l), 0xEE);
    // Status 0 each time: sent again on every attempt.
    QCOMPARE(dongle->firmware().counters().outputReports, 4);
}

void TstUsbDriverFalconEmulator::pairedLaterThroughTheReceiver()
{
    BusRig rig;
    auto dongle = std::make_shared<FalconReceiverDevice>(0x180A, nullptr);
    rig.bus.plug(dongle);
    USBDriverFalcon driver;
    driver.setLinkMode(1);
    driver.SetWiredWirelessString(QString(), selector(0x180A));
    QCOMPARE(driver.FindHIDDevice(), 1);
    const BYTE enter[2] = {0xA0, 0x81};
    QCOMPARE(driver.SendCommandDONGLE(enter, 2), 1);
    const BYTE address[6] = {0xA1, 0x8F, 1, 2, 3, 4};
    QCOMPARE(driver.SendCommandDONGLE(address, 6), 1);
    auto mouse = std::make_shared<FalconMouseDevice>(0x4137);
    QVERIFY(dongle->switchMouseOn(mouse));
    BYTE l = 0, h = 0;
    QCOMPARE(driver.GetMousePid(&l, &h), 1);
    QCOMPARE(int(h) * 256 + int(l), 0x4137);
}

QTEST_GUILESS_MAIN(TstUsbDriverFalconEmulator)
#include "tst_usbdriverfalconemulator.moc"
