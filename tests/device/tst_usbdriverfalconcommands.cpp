// The Falcon command set against a scripted device: the exact request frames, the chunking of
// memory transfers, the refusals that send nothing, and the log lines.
#include "support/busrig.h"
#include "support/logcapture.h"
#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "sim/stubhiddevice.h"
#include "device/falcon/usbdriverfalcon.h"
#include "sim/virtualhidbus.h"

#include <QSet>
#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A whole 32-byte output report as written on the wire, zero-padded.
QByteArray frame(const char *text)
{
    return hex(text).leftJustified(32, '\0');
}

quint32 le32(const QByteArray &b, int at)
{
    return quint32(quint8(b.at(at))) | quint32(quint8(b.at(at + 1))) << 8
           | quint32(quint8(b.at(at + 2))) << 16 | quint32(quint8(b.at(at + 3))) << 24;
}
} // namespace

// A scripted mouse: every command is answered at once. A memory read of n bytes at address a
// answers the bytes (a + i) & 0xFF; A2 answers `profile`, A3 01 02 03 04, A9 0x1234,
// AA 0x12345678. Reads and writes at the addresses in refuseAt are refused (status 0).
class ScriptedFalcon : public BusRig
{
public:
    explicit ScriptedFalcon(int linkMode = 0)
        : device(std::make_shared<ScriptableHidDevice>(
              StubHidDevice::productInterfaces(linkMode == 1 ? 0x1804 : 0x4130)))
    {
        device->setReaction([this](ScriptableHidDevice &d, const ScriptableHidDevice::Sent &s) {
            d.setStandingInputReport(1, answer(s.report));
        });
        bus.plug(device);
        driver.setLinkMode(linkMode);
        driver.SetWiredWirelessString(QStringLiteral("VID_F00D&PID_4130"),
                                      QStringLiteral("VID_F00D&PID_1804"));
        QVERIFY(driver.FindHIDDevice());
    }

    QList<QByteArray> frames() const { return device->sentReports(1); }

    std::shared_ptr<ScriptableHidDevice> device;
    USBDriverFalcon driver;
    QSet<quint32> refuseAt;
    QSet<int> refuseCodes; // commands refused whatever their arguments
    int profile = 1;

private:
    QByteArray answer(const QByteArray &report) const
    {
        QByteArray r(32, '\0');
        r[0] = char(0xBA);
        r[1] = 1;
        const quint8 code = quint8(report.at(2));
        if (refuseCodes.contains(code)) {
            r[1] = 0;
        } else if (code == 0xA4 || code == 0xA5) {
            const int n = quint8(report.at(3));
            const quint32 address = le32(report, 4);
            if (refuseAt.contains(address)) {
                r[1] = 0;
            } else if (code == 0xA4) {
                r[2] = char(0xEE); // bytes the driver must skip
                r[3] = char(0xEE);
                r[4] = char(0xEE);
                for (int i = 0; i < n && 5 + i < 32; ++i)
                    r[5 + i] = char((address + quint32(i)) & 0xFF);
            }
        } else if (code == 0xA2) {
            r[2] = char(profile);
        } else if (code == 0xA3) {
            r.replace(2, 4, hex("01 02 03 04"));
        } else if (code == 0xA9) {
            r.replace(2, 2, hex("34 12"));
        } else if (code == 0xAA) {
            r.replace(2, 4, hex("78 56 34 12"));
        }
        return r;
    }
};

class TstUsbDriverFalconCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requestFrames_data();
    void requestFrames();
    void chunking_data();
    void chunking();
    void refusedWithoutExchange_data();
    void refusedWithoutExchange();
    void readResults_data();
    void readResults();
    void stageBlockTakesByte14FromWordC();
    void stageBlockWithoutWordC();
    void chunkedWriteStopsAtFirstFailure();
    void chunkedReadFailsWhole();
    void transferLogs();
    void macroWriter_data();
    void macroWriter();
    void quickPowerState_data();
    void quickPowerState();
    void profileImageRead();
    void profileImageReadFails_data();
    void profileImageReadFails();
    void profileImageWithoutStatusValues();
    void profileImageWrite();
    void mousePidThroughReceiver();
};

// Each row runs one operation by name and lists every frame it must put on the wire.
void TstUsbDriverFalconCommands::requestFrames_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QList<QByteArray>>("frames");

    QTest::newRow("select profile 1") << "A1" << QList<QByteArray>{frame("BA FF A1 01")};
    QTest::newRow("read profile") << "A2" << QList<QByteArray>{frame("BA FF A2 00")};
    QTest::newRow("version") << "A3" << QList<QByteArray>{frame("BA FF A3 00")};
    QTest::newRow("A7") << "A7" << QList<QByteArray>{frame("BA FF A7")};
    QTest::newRow("A8 with the link byte") << "A8" << QList<QByteArray>{frame("BA FF A8")};
    QTest::newRow("A9") << "A9" << QList<QByteArray>{frame("BA FF A9")};
    QTest::newRow("AA") << "AA" << QList<QByteArray>{frame("BA FF AA")};
    QTest::newRow("AB 5") << "AB" << QList<QByteArray>{frame("BA FF AB 05")};
    QTest::newRow("read 4 at 0x0004") << "read4@4" << QList<QByteArray>{frame("BA FF A4 04 04 00 00 00")};
    QTest::newRow("write 4 at 0x0898")
        << "write4@898" << QList<QByteArray>{frame("BA FF A5 04 98 08 00 00 11 22 33 44")};
    // 24 data bytes: 6 + 24 = 30 command bytes fill the report exactly.
    QTest::newRow("write 24 at 0x1000: the full 31-byte exchange")
        << "write24@1000"
        << QList<QByteArray>{hex("BA FF A5 18 00 10 00 00 00 01 02 03 04 05 06 07"
                                 " 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17")};
    QTest::newRow("write 26 at 0x12345678")
        << "write26@12345678"
        << QList<QByteArray>{hex("BA FF A5 18 78 56 34 12 00 01 02 03 04 05 06 07"
                                 " 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17"),
                             frame("BA FF A5 02 90 56 34 12 18 19")};
    QTest::newRow("button 2 entry written into profile 1")
        << "setButton2p1" << QList<QByteArray>{frame("BA FF A5 04 08 06 00 00 03 00 04 00")};
    QTest::newRow("button 11 entry read from profile 0")
        << "getButton11p0" << QList<QByteArray>{frame("BA FF A4 04 20 02 00 00")};
    QTest::newRow("button 8 entry read from profile 1")
        << "getButton8p1" << QList<QByteArray>{frame("BA FF A4 04 24 06 00 00")};
    QTest::newRow("stage block read, profile 1")
        << "getStages1" << QList<QByteArray>{frame("BA FF A4 10 88 08 00 00")};
    QTest::newRow("light word written at 0x898 for profile 0")
        << "setLight0" << QList<QByteArray>{frame("BA FF A5 04 98 08 00 00 0A 0B 0C 0D")};
    QTest::newRow("light byte 2 of profile 0: read at 0x498, written at 0x898")
        << "setLightByte2p0"
        << QList<QByteArray>{frame("BA FF A4 04 98 04 00 00"),
                             frame("BA FF A5 04 98 08 00 00 98 99 77 9B")};
    QTest::newRow("LED matrix of profile 0 still at 0x8B8")
        << "ledMatrix0"
        << QList<QByteArray>{frame("BA FF A5 08 B8 08 00 00 FF 00 00 00 00 80 40 00")};
    QTest::newRow("LED colour k = 4 at 0x8BC") << "ledColor4"
        << QList<QByteArray>{frame("BA FF A5 04 BC 08 00 00 01 02 03 00")};
    QTest::newRow("word E at 0x8A0") << "wordE" << QList<QByteArray>{frame("BA FF A5 04 A0 08 00 00 EF BE AD DE")};
    QTest::newRow("word G x/y at 0x8AC")
        << "wordGXY"
        << QList<QByteArray>{frame("BA FF A4 04 AC 08 00 00"),
                             frame("BA FF A5 04 AC 08 00 00 AC 05 06 AF")};
    QTest::newRow("word C byte 2 at 0x894")
        << "wordCByte2"
        << QList<QByteArray>{frame("BA FF A4 04 94 08 00 00"),
                             frame("BA FF A5 04 94 08 00 00 94 95 42 97")};
    QTest::newRow("word D byte 2 at 0x89C whatever the profile")
        << "wordDByte2p0"
        << QList<QByteArray>{frame("BA FF A4 04 9C 08 00 00"),
                             frame("BA FF A5 04 9C 08 00 00 9C 9D 21 9F")};
    QTest::newRow("word D byte 1 of profile 0 stays in profile 0")
        << "wordDByte1p0"
        << QList<QByteArray>{frame("BA FF A4 04 9C 04 00 00"),
                             frame("BA FF A5 04 9C 04 00 00 9C 21 9E 9F")};
    QTest::newRow("double word F byte 7 at 0x8A4")
        << "wordFByte7"
        << QList<QByteArray>{frame("BA FF A4 08 A4 08 00 00"),
                             frame("BA FF A5 08 A4 08 00 00 A4 A5 A6 A7 A8 A9 AA 5A")};
    QTest::newRow("profile block of profile 0 at 0x400")
        << "profileBlock0" << QList<QByteArray>{frame("BA FF A5 08 00 04 00 00 01 02 03 04 05 06 07 08")};
    QTest::newRow("bytes at offset 0x4B0 of profile 1")
        << "profileBytes" << QList<QByteArray>{frame("BA FF A4 04 B0 08 00 00")};
}

void TstUsbDriverFalconCommands::requestFrames()
{
    QFETCH(QString, op);
    QFETCH(QList<QByteArray>, frames);
    ScriptedFalcon f;
    QByteArray data(64, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i);
    BYTE out[64] = {};
    BYTE b0 = 0;
    DWORD w = 0;
    USHORT s = 0;
    const BYTE *d = reinterpret_cast<const BYTE *>(data.constData());
    int r = -1;
    if (op == "A1") r = f.driver.SetCurrentProfile(1);
    else if (op == "A2") r = f.driver.GetCurrentProfile(&b0);
    else if (op == "A3") r = f.driver.GetFirmwareVersion(&w);
    else if (op == "A7") r = f.driver.SendCommandA7();
    else if (op == "A8") r = f.driver.SendCommandA8();
    else if (op == "A9") r = f.driver.GetCommandA9Value(&s);
    else if (op == "AA") r = f.driver.GetPowerState(&w);
    else if (op == "AB") r = f.driver.SetCommandABValue(5);
    else if (op == "read4@4") r = f.driver.ReadEEPROM(4, 4, out);
    else if (op == "write4@898") {
        const BYTE v[4] = {0x11, 0x22, 0x33, 0x44};
        r = f.driver.WriteEEPROM(0x898, 4, v);
    } else if (op == "write24@1000") r = f.driver.WriteEEPROM(0x1000, 24, d);
    else if (op == "write26@12345678") r = f.driver.WriteEEPROM(0x12345678, 26, d);
    else if (op == "setButton2p1") {
        const BYTE e[4] = {3, 0, 4, 0};
        r = f.driver.SetButtonEntry(2, e, 1);
    } else if (op == "getButton11p0") r = f.driver.GetButtonEntry(11, out, 0);
    else if (op == "getButton8p1") r = f.driver.GetButtonEntry(8, out, 1);
    else if (op == "getStages1") r = f.driver.GetDpiStageBlock(out, 1);
    else if (op == "setLight0") r = f.driver.SetDpiLedRateLightIntensity(0x0A, 0x0B, 0x0C, 0x0D, 0);
    else if (op == "setLightByte2p0") r = f.driver.SetDpiLedRateLightIntensityByte2(0x77, 0);
    else if (op == "ledMatrix0") {
        const DWORD colours[2] = {0x000000FF, 0x00408000};
        r = f.driver.SetLedColorMatrixAll(colours, 2, 0);
    } else if (op == "ledColor4") r = f.driver.SetLedColor(0x00030201, 4);
    else if (op == "wordE") r = f.driver.SetSettingsWordE(0xDEADBEEF);
    else if (op == "wordGXY") r = f.driver.SetSettingsWordGXY(5, 6, 0);
    else if (op == "wordCByte2") r = f.driver.SetSettingsWordCByte2(0x42);
    else if (op == "wordDByte2p0") r = f.driver.SetSettingsWordDByte2(0x21, 0);
    else if (op == "wordDByte1p0") r = f.driver.SetSettingsWordDByte1(0x21, 0);
    else if (op == "wordFByte7") r = f.driver.SetSettingsDoubleWordFByte(7, 0x5A, 0);
    else if (op == "profileBlock0") r = f.driver.WriteProfileBlock(d + 1, 8, 0);
    else if (op == "profileBytes") r = f.driver.ReadProfileBytes(out, 4, 1, 0x4B0);
    QCOMPARE(r, 1);
    const QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), frames.size());
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(sent.at(i).toHex(' '), frames.at(i).toHex(' '));
}

void TstUsbDriverFalconCommands::chunking_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("exchanges");
    QTest::addColumn<int>("lastLengthByte"); // byte n of the last request

    QTest::newRow("read 24: one exchange") << false << 0x1000u << 24 << 1 << 1 << 24;
    QTest::newRow("read 25: 24 + 1") << false << 0x1000u << 25 << 1 << 2 << 1;
    QTest::newRow("read 48: two") << false << 0x1000u << 48 << 1 << 2 << 24;
    QTest::newRow("read 4") << false << 0x0400u << 4 << 1 << 1 << 4;
    QTest::newRow("read 68: 24 + 24 + 20") << false << 0x0480u << 68 << 1 << 3 << 20;
    QTest::newRow("read 6 at 0x0100: not whole words") << false << 0x0100u << 6 << 0 << 0 << -1;
    QTest::newRow("read 6 at 0x0FFC: not whole words") << false << 0x0FFCu << 6 << 0 << 0 << -1;
    QTest::newRow("read 6 at 0x1000: allowed") << false << 0x1000u << 6 << 1 << 1 << 6;
    QTest::newRow("read 0 refused") << false << 0x1000u << 0 << 0 << 0 << -1;
    QTest::newRow("read -4 refused") << false << 0x1000u << -4 << 0 << 0 << -1;
    QTest::newRow("read past the address space") << false << 0xFFFFFFF0u << 24 << 0 << 0 << -1;
    QTest::newRow("read up to the last address") << false << 0xFFFFFFE8u << 24 << 1 << 1 << 24;
    QTest::newRow("write 24: one exchange") << true << 0x1000u << 24 << 1 << 1 << 24;
    QTest::newRow("write 25: 24 + 1") << true << 0x1000u << 25 << 1 << 2 << 1;
    QTest::newRow("write 48: two") << true << 0x1000u << 48 << 1 << 2 << 24;
    QTest::newRow("write 384 (a picture): 16") << true << 0x22000u << 384 << 1 << 16 << 24;
    QTest::newRow("write 4096: 170 + 1") << true << 0x1000u << 4096 << 1 << 171 << 16;
    QTest::newRow("write 6 at 0x0100 refused") << true << 0x0100u << 6 << 0 << 0 << -1;
    QTest::newRow("write 6 at 0x1000 allowed") << true << 0x1000u << 6 << 1 << 1 << 6;
    QTest::newRow("write 0 refused") << true << 0x1000u << 0 << 0 << 0 << -1;
}

void TstUsbDriverFalconCommands::chunking()
{
    QFETCH(bool, write);
    QFETCH(quint32, address);
    QFETCH(int, n);
    QFETCH(int, result);
    QFETCH(int, exchanges);
    QFETCH(int, lastLengthByte);
    ScriptedFalcon f;
    QByteArray buffer(qMax(n, 1), char(0x3C));
    BYTE *b = reinterpret_cast<BYTE *>(buffer.data());
    QCOMPARE(write ? f.driver.WriteEEPROM(address, n, b) : f.driver.ReadEEPROM(address, n, b), result);
    const QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), exchanges);
    if (exchanges) {
        QCOMPARE(int(quint8(sent.last().at(3))), lastLengthByte);
        // Consecutive chunks advance the address by 24.
        for (int i = 0; i < sent.size(); ++i) {
            QCOMPARE(int(quint8(sent.at(i).at(2))), write ? 0xA5 : 0xA4);
            QCOMPARE(le32(sent.at(i), 4), address + quint32(24 * i));
        }
    }
}

void TstUsbDriverFalconCommands::refusedWithoutExchange_data()
{
    QTest::addColumn<QString>("op");
    QTest::newRow("get button 0") << "getButton0";
    QTest::newRow("get button 12") << "getButton12";
    QTest::newRow("set button 0") << "setButton0";
    QTest::newRow("set button 12") << "setButton12";
    QTest::newRow("set button, profile 2") << "setButtonP2";
    QTest::newRow("get button, profile -1") << "getButtonPm1";
    QTest::newRow("select profile 2") << "select2";
    QTest::newRow("word A, profile 2") << "wordAP2";
    QTest::newRow("stage block of 17 bytes") << "stages17";
    QTest::newRow("stage block of 0 bytes") << "stages0";
    QTest::newRow("stage block without data") << "stagesNull";
    QTest::newRow("profile block read of 28") << "blockRead28";
    QTest::newRow("profile block read of 34") << "blockRead34";
    QTest::newRow("profile block write of 36") << "blockWrite36";
    QTest::newRow("profile block write of 6") << "blockWrite6";
    QTest::newRow("LED matrix of 0 entries") << "led0";
    QTest::newRow("LED matrix without table") << "ledNull";
    QTest::newRow("LED matrix, profile 3") << "ledP3";
    QTest::newRow("LED colour at k = -4") << "ledKm4";
    QTest::newRow("double word F byte 8") << "wordF8";
    QTest::newRow("picture -1") << "picture-1";
    QTest::newRow("picture read without buffer") << "pictureNull";
    QTest::newRow("profile image without buffer") << "imageNull";
    QTest::newRow("profile image of 127 bytes") << "image127";
    QTest::newRow("profile bytes at a negative offset") << "bytesNeg";
    QTest::newRow("word D, profile 2") << "wordDP2";
}

void TstUsbDriverFalconCommands::refusedWithoutExchange()
{
    QFETCH(QString, op);
    ScriptedFalcon f;
    BYTE buf[512] = {};
    DWORD w = 0;
    const DWORD table[4] = {};
    int r = -1;
    if (op == "getButton0") r = f.driver.GetButtonEntry(0, buf, 1);
    else if (op == "getButton12") r = f.driver.GetButtonEntry(12, buf, 1);
    else if (op == "setButton0") r = f.driver.SetButtonEntry(0, buf, 1);
    else if (op == "setButton12") r = f.driver.SetButtonEntry(12, buf, 1);
    else if (op == "setButtonP2") r = f.driver.SetButtonEntry(1, buf, 2);
    else if (op == "getButtonPm1") r = f.driver.GetButtonEntry(1, buf, -1);
    else if (op == "select2") r = f.driver.SetCurrentProfile(2);
    else if (op == "wordAP2") r = f.driver.SetSettingsWordA(1, 2);
    else if (op == "stages17") r = f.driver.SetDpiStageBlock(buf, 17, 1);
    else if (op == "stages0") r = f.driver.SetDpiStageBlock(buf, 0, 1);
    else if (op == "stagesNull") r = f.driver.SetDpiStageBlock(nullptr, 16, 1);
    else if (op == "blockRead28") r = f.driver.ReadProfileBlock(buf, 28, 1);
    else if (op == "blockRead34") r = f.driver.ReadProfileBlock(buf, 34, 1);
    else if (op == "blockWrite36") r = f.driver.WriteProfileBlock(buf, 36, 1);
    else if (op == "blockWrite6") r = f.driver.WriteProfileBlock(buf, 6, 1);
    else if (op == "led0") r = f.driver.SetLedColorMatrixAll(table, 0, 1);
    else if (op == "ledNull") r = f.driver.SetLedColorMatrixAll(nullptr, 3, 1);
    else if (op == "ledP3") r = f.driver.SetLedColorMatrixAll(table, 3, 3);
    else if (op == "ledKm4") r = f.driver.SetLedColor(1, -4);
    else if (op == "wordF8") r = f.driver.SetSettingsDoubleWordFByte(8, 1, 1);
    else if (op == "picture-1") r = f.driver.WritePicture(-1, buf);
    else if (op == "pictureNull") r = f.driver.ReadPicture(0, nullptr);
    else if (op == "imageNull") r = f.driver.GetProfileData(nullptr, 128);
    else if (op == "image127") r = f.driver.SetProfileData(buf, 127);
    else if (op == "bytesNeg") r = f.driver.ReadProfileBytes(buf, 4, 1, -4);
    else if (op == "wordDP2") r = f.driver.GetSettingsWordD(&w, 2);
    QCOMPARE(r, 0);
    QCOMPARE(f.frames().size(), 0);
}

// Values come back from the right reply bytes: the scripted mouse answers address-derived data.
void TstUsbDriverFalconCommands::readResults_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<quint32>("value");
    QTest::newRow("version, first byte lowest") << "version" << 0x04030201u;
    QTest::newRow("A9 little-endian") << "A9" << 0x1234u;
    QTest::newRow("AA little-endian") << "AA" << 0x12345678u;
    QTest::newRow("word A, profile 0") << "wordA0" << 0x83828180u;
    QTest::newRow("word B, profile 1") << "wordB1" << 0x87868584u;
    QTest::newRow("word C, profile 1") << "wordC1" << 0x97969594u;
    QTest::newRow("word D, profile 0") << "wordD0" << 0x9F9E9D9Cu;
    QTest::newRow("word D again (75), profile 1") << "wordD75" << 0x9F9E9D9Cu;
    QTest::newRow("word D byte 1, profile 1") << "wordDByte1" << 0x9Du;
    QTest::newRow("word E (0x8A0)") << "wordE" << 0xA3A2A1A0u;
    QTest::newRow("word G byte 1 is the result") << "wordGByte1" << 0xADu;
    QTest::newRow("word H, profile 0") << "wordH0" << 0xB3B2B1B0u;
    QTest::newRow("word I, profile 1") << "wordI1" << 0xB7B6B5B4u;
    QTest::newRow("LED colour k = 8, profile 0") << "led8" << 0xC3C2C1C0u;
    QTest::newRow("light byte 3, profile 0") << "light3" << 0x9Bu;
    QTest::newRow("current profile") << "A2" << 1u;
}

void TstUsbDriverFalconCommands::readResults()
{
    QFETCH(QString, op);
    QFETCH(quint32, value);
    ScriptedFalcon f;
    DWORD w = 0;
    USHORT s = 0;
    BYTE b = 0;
    int r = -1;
    quint32 got = 0;
    if (op == "version") { r = f.driver.GetFirmwareVersion(&w); got = w; }
    else if (op == "A9") { r = f.driver.GetCommandA9Value(&s); got = s; }
    else if (op == "AA") { r = f.driver.GetPowerState(&w); got = w; }
    else if (op == "wordA0") { r = f.driver.GetSettingsWordA(&w, 0); got = w; }
    else if (op == "wordB1") { r = f.driver.GetSettingsWordB(&w, 1); got = w; }
    else if (op == "wordC1") { r = f.driver.GetSettingsWordC(&w, 1); got = w; }
    else if (op == "wordD0") { r = f.driver.GetSettingsWordD(&w, 0); got = w; }
    else if (op == "wordD75") { r = f.driver.ReadSettingsWordD(&w, 1); got = w; }
    else if (op == "wordDByte1") { r = f.driver.GetSettingsWordDByte1(&b, 1); got = b; }
    else if (op == "wordE") { r = f.driver.GetSettingsWordE(&w); got = w; }
    else if (op == "wordGByte1") { r = f.driver.GetSettingsWordGByte1(&b, 0); got = b; QCOMPARE(r, 0xAD); r = 1; }
    else if (op == "wordH0") { r = f.driver.GetSettingsWordH(&w, 0); got = w; }
    else if (op == "wordI1") { r = f.driver.GetSettingsWordI(&w, 1); got = w; }
    else if (op == "led8") { r = f.driver.GetLedColor(&w, 8, 0); got = w; }
    else if (op == "light3") { r = f.driver.GetDpiLedRateLightIntensityByte3(&b, 0); got = b; }
    else if (op == "A2") { r = f.driver.GetCurrentProfile(&b); got = b; QCOMPARE(int(f.driver.currentProfile()), 1); }
    QCOMPARE(r, 1);
    QCOMPARE(got, value);
}

void TstUsbDriverFalconCommands::stageBlockTakesByte14FromWordC()
{
    ScriptedFalcon f;
    BYTE block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = BYTE(0x10 + i);
    QCOMPARE(f.driver.SetDpiStageBlock(block, 16, 0), 1);
    // Word C is read from profile 1 (its byte 2 is 0x96 there), the block goes to profile 0.
    const QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0).toHex(' '), frame("BA FF A4 04 94 08 00 00").toHex(' '));
    QCOMPARE(sent.at(1).toHex(' '),
             frame("BA FF A5 10 88 04 00 00 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 96 00").toHex(' '));
    QCOMPARE(block[14], BYTE(0x1E)); // the caller's data is left alone

    // Fewer than 16 bytes: no word C read, the bytes as given.
    f.device->clearLog();
    QCOMPARE(f.driver.SetDpiStageBlock(block, 12, 1), 1);
    QCOMPARE(f.frames(), QList<QByteArray>{frame("BA FF A5 0C 88 08 00 00 10 11 12 13 14 15 16 17 18 19 1A 1B")});
}

void TstUsbDriverFalconCommands::stageBlockWithoutWordC()
{
    ScriptedFalcon f;
    f.refuseAt.insert(0x894);
    BYTE block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = BYTE(0x10 + i);
    QCOMPARE(f.driver.SetDpiStageBlock(block, 16, 1), 1);
    // The failed read was tried four times; the block then goes out unchanged.
    const QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), 5);
    QCOMPARE(sent.last().toHex(' '),
             frame("BA FF A5 10 88 08 00 00 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F").toHex(' '));
}

void TstUsbDriverFalconCommands::chunkedWriteStopsAtFirstFailure()
{
    LogCapture logs;
    ScriptedFalcon f;
    f.refuseAt.insert(0x1030); // the third chunk
    const QByteArray data(100, char(0x77));
    QCOMPARE(f.driver.WriteEEPROM(0x1000, 100, reinterpret_cast<const BYTE *>(data.constData())), 0);
    // Two chunks written, the third sent on each of its 4 attempts, nothing after it.
    const QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), 2 + 4);
    QCOMPARE(le32(sent.last(), 4), 0x1030u);
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM OK, dwAddr= 4096, BytesOfRest= 76\n")));
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM OK, dwAddr= 4120, BytesOfRest= 52\n")));
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM Failed, Addr=1030, bytestowrite=24\n")));
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM Failed,Addr=4144, bytestowrite=24 error = 0\n")));

    // A failing remainder logs its command.
    logs.clear();
    f.device->clearLog();
    f.refuseAt = {0x2018};
    QCOMPARE(f.driver.WriteEEPROM(0x2000, 26, reinterpret_cast<const BYTE *>(data.constData())), 0);
    QVERIFY(logs.contains(QStringLiteral(
        "WriteEEPROM Failed, Addr=8216, bytestowrite=2 error = 0 Cmd=a5 02 18 20 00 00 77 77\n")));
}

void TstUsbDriverFalconCommands::chunkedReadFailsWhole()
{
    LogCapture logs;
    ScriptedFalcon f;
    f.refuseAt.insert(0x1018);
    QByteArray out(30, char(0x55));
    QCOMPARE(f.driver.ReadEEPROM(0x1000, 30, reinterpret_cast<BYTE *>(out.data())), 0);
    QCOMPARE(out, QByteArray(30, char(0x55))); // nothing partial handed back
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM Failed, FW return 0, Addr=1018, BytesOfRest=6")));
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM Failed, FW return 0, Addr=4120, BytesOfRest=6")));

    logs.clear();
    f.refuseAt = {0x1000};
    QCOMPARE(f.driver.ReadEEPROM(0x1000, 30, reinterpret_cast<BYTE *>(out.data())), 0);
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM Failed, FW return 0, Addr=1000, bytestoread=24")));
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM Failed, FW return 0, Addr=4096, bytestoread=24")));
}

void TstUsbDriverFalconCommands::transferLogs()
{
    LogCapture logs;
    ScriptedFalcon f;
    QByteArray out(30, '\0');
    QCOMPARE(f.driver.ReadEEPROM(0x1000, 30, reinterpret_cast<BYTE *>(out.data())), 1);
    QCOMPARE(out.toHex(' '), hex("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17"
                                 " 18 19 1A 1B 1C 1D").toHex(' '));
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM 1000")));
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM OK, Addr=4096, bytestoread=24")));
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM OK, Addr=4120, bytestoread=6")));
    QCOMPARE(f.driver.WriteEEPROM(0x1000, 26, reinterpret_cast<const BYTE *>(out.constData())), 1);
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM 1000")));
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM OK, dwAddr= 4096, BytesOfRest= 2\n")));
    QVERIFY(logs.contains(QStringLiteral("WriteEEPROM OK, dwAddr= 4120, bytestowrite= 2,\n")));

    DWORD w = 0;
    QCOMPARE(f.driver.GetFirmwareVersion(&w), 1);
    QVERIFY(logs.contains(QStringLiteral("version: 1 2 3 4")));
    const DWORD table[3] = {1, 2, 3};
    QCOMPARE(f.driver.SetLedColorMatrixAll(table, 3, 0), 1);
    QVERIFY(logs.contains(QStringLiteral("SetLedColorMatrixAll 8b8")));
    DWORD read[3] = {};
    QCOMPARE(f.driver.GetLedColorMatrixAll(read, 3, 0), 1);
    QVERIFY(logs.contains(QStringLiteral("GetLedColorMatrixAll 4b8")));
    QCOMPARE(read[0], DWORD(0xBBBAB9B8));
    QCOMPARE(read[2], DWORD(0xC3C2C1C0));
    BYTE picture[384];
    QCOMPARE(f.driver.ReadPicture(1, picture), 1);
    QVERIFY(logs.contains(QStringLiteral("read picture addr 143360")));
    QCOMPARE(int(picture[0]), 0x00);
    QCOMPARE(int(picture[383]), 0x7F);
}

void TstUsbDriverFalconCommands::macroWriter_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("list");
    QTest::addColumn<QByteArray>("area");
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("exchanges");
    QTest::addColumn<QString>("log");

    const QByteArray one = hex("07 00 01 00 41 00 04");
    QTest::newRow("single 0 at 0x1000") << 0 << false << one << 1 << 0x1000u << 1 << "macro addr:1000 0 0";
    QTest::newRow("single 10 at 0xB000") << 10 << false << one << 1 << 0xB000u << 1 << "macro addr:b000 0 10";
    QTest::newRow("list 0 at 0x10000") << 0 << true << one << 1 << 0x10000u << 1 << "macro addr:10000 1 0";
    QTest::newRow("list 2 at 0x12000") << 2 << true << one << 1 << 0x12000u << 1 << "macro addr:12000 1 2";
    QTest::newRow("index 11 refused") << 11 << false << one << 0 << 0u << 0 << "TotalSize = 0x7";
    QTest::newRow("index -1 refused") << -1 << true << one << 0 << 0u << 0 << "TotalSize = 0x7";
    QTest::newRow("length not 4 + 3n") << 0 << false << hex("08 00 01 00 41 00 04 00") << 0 << 0u << 0
                                       << "StandardToHardware = 0x8";
    QTest::newRow("length past the area") << 0 << false << hex("0A 00 01 00 41 00 04") << 0 << 0u << 0
                                          << "StandardToHardware = 0xa";
    QTest::newRow("length below the header") << 0 << false << hex("02 00") << 0 << 0u << 0
                                             << "StandardToHardware = 0x2";
    QTest::newRow("1364 nodes") << 0 << false << QByteArray(hex("00 10")).leftJustified(4096, '\0') << 0
                                << 0u << 0 << "StandardToHardware = 0x1000";
    QTest::newRow("1363 nodes: 4093 bytes, 171 exchanges")
        << 3 << false << QByteArray(hex("FD 0F")).leftJustified(4096, '\x01') << 1 << 0x4000u << 171
        << "macro addr:4000 0 3";
}

void TstUsbDriverFalconCommands::macroWriter()
{
    QFETCH(int, index);
    QFETCH(bool, list);
    QFETCH(QByteArray, area);
    QFETCH(int, result);
    QFETCH(quint32, address);
    QFETCH(int, exchanges);
    QFETCH(QString, log);
    LogCapture logs;
    ScriptedFalcon f;
    QCOMPARE(f.driver.WriteMacro(index, list, reinterpret_cast<const BYTE *>(area.constData()), area.size()),
             result);
    QVERIFY2(logs.contains(log), qPrintable(logs.lines().join('|')));
    const QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), exchanges);
    if (exchanges) {
        QCOMPARE(le32(sent.first(), 4), address);
        QCOMPARE(sent.first().mid(8, 4), area.left(4));
    }
    if (exchanges == 1)
        QCOMPARE(sent.first().toHex(' '),
                 (hex("BA FF A5 07") + QByteArray(reinterpret_cast<const char *>(&address), 4) + area)
                     .leftJustified(32, '\0').toHex(' '));
}

void TstUsbDriverFalconCommands::quickPowerState_data()
{
    QTest::addColumn<int>("nacks");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("reads");
    QTest::newRow("first reply") << 0 << true << 1 << 1;
    QTest::newRow("fifth reply") << 4 << true << 1 << 5;
    QTest::newRow("never") << 5 << false << 0 << 5;
}

void TstUsbDriverFalconCommands::quickPowerState()
{
    QFETCH(int, nacks);
    QFETCH(bool, answers);
    QFETCH(int, result);
    QFETCH(int, reads);
    ScriptedFalcon f;
    f.device->setReaction(nullptr);
    for (int i = 0; i < nacks; ++i)
        f.device->queueInputReport(1, frame("BA 02 99 99"));
    if (answers)
        f.device->queueInputReport(1, frame("BA 01 6D 02 00 07"));
    USHORT value = 0xEEEE;
    QCOMPARE(f.driver.QuickPowerState(&value), result);
    QCOMPARE(value, USHORT(result ? 0x026D : 0xEEEE));
    // One bare AA, never resent; 10 ms before each look at the reply.
    QCOMPARE(f.frames(), QList<QByteArray>{frame("BA FF AA")});
    QCOMPARE(f.device->inputRequests(), reads);
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(10 * reads));
}

void TstUsbDriverFalconCommands::profileImageRead()
{
    LogCapture logs;
    ScriptedFalcon f;
    QByteArray image(128, char(0xCD));
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(image.data()), image.size()), 1);
    const QList<QByteArray> expectedFrames = {
        frame("BA FF A2 00"), frame("BA FF A9"), frame("BA FF AA"),
        frame("BA FF A4 18 00 06 00 00"), frame("BA FF A4 14 18 06 00 00"),
        frame("BA FF A4 18 80 08 00 00"), frame("BA FF A4 18 98 08 00 00"),
        frame("BA FF A4 14 B0 08 00 00")};
    QCOMPARE(f.frames(), expectedFrames);
    QCOMPARE(image.left(16).toHex(' '), hex("01 00 00 00 CD CD CD CD 34 12 CD CD 78 56 34 12").toHex(' '));
    QCOMPARE(image.mid(16, 4).toHex(' '), hex("00 01 02 03").toHex(' '));
    QCOMPARE(image.mid(56, 4).toHex(' '), hex("28 29 2A 2B").toHex(' '));
    QCOMPARE(image.mid(60, 4).toHex(' '), hex("80 81 82 83").toHex(' '));
    QCOMPARE(image.mid(124, 4).toHex(' '), hex("C0 C1 C2 C3").toHex(' '));
    QVERIFY(logs.countStartingWith(QStringLiteral("USBDriverFalcon GetProfileData currentThreadId ")) == 1);
    QVERIFY(logs.contains(QStringLiteral("USBDriverFalcon::GetProfileData")));

    // Profile 0 reads the first profile's copy.
    f.profile = 0;
    f.device->clearLog();
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(image.data()), image.size()), 1);
    QCOMPARE(f.frames().at(3), frame("BA FF A4 18 00 02 00 00"));
    QCOMPARE(f.frames().at(5), frame("BA FF A4 18 80 04 00 00"));
    QCOMPARE(image.left(4), hex("00 00 00 00"));
}

void TstUsbDriverFalconCommands::profileImageReadFails_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<quint32>("refuse");
    QTest::newRow("the mouse reports profile 2") << 2 << 0xFFFFFFFFu;
    QTest::newRow("button table unreadable") << 1 << 0x618u;
    QTest::newRow("settings block unreadable") << 1 << 0x8B0u;
}

void TstUsbDriverFalconCommands::profileImageReadFails()
{
    QFETCH(int, profile);
    QFETCH(quint32, refuse);
    ScriptedFalcon f;
    f.profile = profile;
    f.refuseAt.insert(refuse);
    QByteArray image(128, char(0xCD));
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(image.data()), image.size()), 0);
    QCOMPARE(image, QByteArray(128, char(0xCD)));
    if (profile > 1)
        QCOMPARE(f.frames().size(), 1); // nothing read from a profile that does not exist
}

void TstUsbDriverFalconCommands::profileImageWithoutStatusValues()
{
    ScriptedFalcon f;
    f.refuseCodes = {0xA9, 0xAA};
    QByteArray image(128, char(0xCD));
    // The status words are informative: without them the image still reads, with zeros there.
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(image.data()), 128), 1);
    QCOMPARE(image.left(16).toHex(' '), hex("01 00 00 00 CD CD CD CD 00 00 CD CD 00 00 00 00").toHex(' '));
    QCOMPARE(image.mid(16, 4), hex("00 01 02 03"));

    // Without the profile index nothing is read.
    f.refuseCodes = {0xA2};
    f.device->clearLog();
    QByteArray untouched(128, char(0xCD));
    QCOMPARE(f.driver.GetProfileData(reinterpret_cast<BYTE *>(untouched.data()), 128), 0);
    QCOMPARE(untouched, QByteArray(128, char(0xCD)));
    QCOMPARE(f.frames().size(), 4);
}

void TstUsbDriverFalconCommands::profileImageWrite()
{
    LogCapture logs;
    ScriptedFalcon f;
    QByteArray image(128, '\0');
    for (int i = 0; i < 128; ++i)
        image[i] = char(i);
    // Before any A2 the current profile is 0: settings go to 0x480, buttons always to 0x600.
    QCOMPARE(f.driver.SetProfileData(reinterpret_cast<const BYTE *>(image.constData()), 128), 1);
    QList<QByteArray> sent = f.frames();
    QCOMPARE(sent.size(), 5);
    QCOMPARE(sent.at(0).toHex(' '),
             hex("BA FF A5 18 00 06 00 00 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F"
                 " 20 21 22 23 24 25 26 27").toHex(' '));
    QCOMPARE(sent.at(1).left(8), hex("BA FF A5 14 18 06 00 00"));
    QCOMPARE(sent.at(1).mid(8, 20), image.mid(40, 20));
    QCOMPARE(sent.at(2).left(9), hex("BA FF A5 18 80 04 00 00 3C"));
    QCOMPARE(sent.at(4).left(8), hex("BA FF A5 14 B0 04 00 00"));
    QVERIFY(logs.countStartingWith(QStringLiteral(" USBDriverFalcon SetProfileData currentThreadId ")) == 1);

    BYTE p = 0;
    QCOMPARE(f.driver.GetCurrentProfile(&p), 1);
    f.device->clearLog();
    QCOMPARE(f.driver.SetProfileData(reinterpret_cast<const BYTE *>(image.constData()), 128), 1);
    QCOMPARE(f.frames().at(2).left(8), hex("BA FF A5 18 80 08 00 00"));

    // A failing button table write stops before the settings block.
    f.device->clearLog();
    f.refuseAt.insert(0x618);
    QCOMPARE(f.driver.SetProfileData(reinterpret_cast<const BYTE *>(image.constData()), 128), 0);
    QCOMPARE(f.frames().size(), 1 + 4);
}

void TstUsbDriverFalconCommands::mousePidThroughReceiver()
{
    LogCapture logs;
    ScriptedFalcon f(1);
    f.device->setReaction([](ScriptableHidDevice &d, const ScriptableHidDevice::Sent &) {
        d.setStandingInputReport(1, frame("BA 01 04 04 00 30 41 00 00"));
    });
    BYTE low = 0, high = 0;
    QCOMPARE(f.driver.GetMousePid(&low, &high), 1);
    QCOMPARE(f.frames(), QList<QByteArray>{frame("BA A5 A4 04 04 00 00 00")});
    QCOMPARE(int(low), 0x30);
    QCOMPARE(int(high), 0x41);
    QVERIFY(logs.contains(QStringLiteral("GetMousePid")));
    QVERIFY(logs.contains(QStringLiteral("ReadEEPROM 4")));
    QCOMPARE(f.driver.GetMousePid(nullptr, &high), 0);
}

QTEST_GUILESS_MAIN(TstUsbDriverFalconCommands)
#include "tst_usbdriverfalconcommands.moc"
