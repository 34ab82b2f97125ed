#include "device/falcon/usbdriverfalcon.h"

#include "device/falcon/oledbitmap.h"
#include "common/pacer.h"

#include <QDebug>
#include <QThread>
#include <cstring>

namespace {
constexpr BYTE kReportId = 0xBA;
constexpr int kReportLength = 32;
constexpr USHORT kVendorUsagePage = 0xFF00;

void logLine(const QString &text)
{
    qDebug().noquote() << text;
}

// Memory commands carry at most 24 data bytes: A5, n and a 4-byte address leave room for 24
// of the report's 30 command bytes.
constexpr int kChunk = 24;
constexpr BYTE kCmdSelectProfile = 0xA1;
constexpr BYTE kCmdGetProfile = 0xA2;
constexpr BYTE kCmdVersion = 0xA3;
constexpr BYTE kCmdRead = 0xA4;
constexpr BYTE kCmdWrite = 0xA5;
constexpr BYTE kCmdPower = 0xAA;

constexpr DWORD kProfileStride = 0x400;
constexpr DWORD kButtonTable = 0x200;
constexpr DWORD kSettingsBlock = 0x480;
constexpr DWORD kWordA = 0x480;
constexpr DWORD kWordB = 0x484;
constexpr DWORD kDpiStageBlock = 0x488;
constexpr DWORD kWordC = 0x494;
constexpr DWORD kDpiLedWord = 0x498;
constexpr DWORD kWordD = 0x49C;
constexpr DWORD kWordE = 0x4A0;
constexpr DWORD kDoubleWordF = 0x4A4;
constexpr DWORD kWordG = 0x4AC;
constexpr DWORD kWordH = 0x4B0;
constexpr DWORD kWordI = 0x4B4;
constexpr DWORD kLedTable = 0x4B8;
constexpr DWORD kProfileOne = kProfileStride; // the profile the software writes
constexpr DWORD kProductIdAddress = 0x0004;
constexpr DWORD kSingleMacroBase = 0x1000;
constexpr DWORD kListMacroBase = 0x10000;
constexpr DWORD kMacroStride = 0x1000;
constexpr DWORD kPictureBase = 0x22000;
constexpr DWORD kPictureStride = 0x1000;
constexpr int kButtonTableLength = 44;
constexpr int kSettingsLength = 68;
constexpr int kStageBlockLength = 16;
// The held copy covers profile 1's button table and settings block: 0x600 up to 0x900.
constexpr DWORD kHeldBase = kProfileOne + kButtonTable;
constexpr DWORD kHeldSize = 0x300;

bool validProfile(int p)
{
    return p == 0 || p == 1;
}

DWORD profileBase(int p)
{
    return DWORD(p) * kProfileStride;
}

DWORD le32(const BYTE *b)
{
    return DWORD(b[0]) | (DWORD(b[1]) << 8) | (DWORD(b[2]) << 16) | (DWORD(b[3]) << 24);
}

void putLe32(BYTE *b, DWORD v)
{
    for (int k = 0; k < 4; ++k)
        b[k] = BYTE((v >> (8 * k)) & 0xFF);
}

// Offset of each button's entry in the button table, buttons 1 to 11.
constexpr int kButtonOffsets[11] = {0x00, 0x08, 0x04, 0x0C, 0x10, 0x14,
                                    0x18, 0x24, 0x28, 0x1C, 0x20};

QString hexBytes(const BYTE *b, int n)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(b), n).toHex(' '));
}
} // namespace

USBDriverFalcon::USBDriverFalcon(QObject *parent)
    : KelvoUSBDriver(parent), m_held(int(kHeldSize), '\0'), m_heldKnown(int(kHeldSize), '\0')
{
}

USBDriverFalcon::~USBDriverFalcon()
{
    UnInitDevice();
}

HidDeviceInfo USBDriverFalcon::openInterface() const
{
    return m_device ? m_device->info : HidDeviceInfo();
}

int USBDriverFalcon::FindHIDDevice()
{
    logLine(QStringLiteral("FindHIDDevice"));
    UnInitDevice();
    QString selector;
    switch (m_linkMode) {
    case 0:
        logLine(QStringLiteral("DeviceWiredDefault"));
        selector = m_wiredSelector;
        break;
    case 1:
        logLine(QStringLiteral("DeviceWireless24G"));
        selector = m_wirelessSelector;
        break;
    default:
        logLine(QStringLiteral("DeviceWireless error"));
        return isOpen() ? 1 : 0;
    }
    m_device = OpenHidDevice(kVendorUsagePage, selector);
    return isOpen() ? 1 : 0;
}

int USBDriverFalcon::UnInitDevice()
{
    logLine(QStringLiteral("USBDriverFalcon::UnInitDevice()"));
    forgetHeld(); // another device, or the same one after a restart, may hold anything
    if (m_device) {
        m_device.reset();
        logLine(QStringLiteral("UnInitDevice CloseHandle"));
    }
    return 1;
}

int USBDriverFalcon::SetWiredWirelessString(const QString &wired, const QString &wireless)
{
    m_wiredSelector = wired;
    m_wirelessSelector = wireless;
    return 1;
}

int USBDriverFalcon::writeReport(const BYTE *command, int length, bool receiver)
{
    if (!m_device || !command || length < 0 || length > kReportLength - 1)
        return 0;
    QByteArray report(kReportLength, '\0');
    report[0] = char(kReportId);
    if (receiver) {
        std::memcpy(report.data() + 1, command, size_t(length));
    } else {
        report[1] = char(m_linkMode == 0 ? 0xFF : m_linkMode == 1 ? 0xA5 : 0x00);
        // Bytes 2..31 hold 30 command bytes; a 31st byte has no room and is not sent.
        std::memcpy(report.data() + 2, command, size_t(qMin(length, kReportLength - 2)));
    }
    const int written = m_device->connection->writeOutputReport(report);
    if (written != kReportLength) {
        logLine(QString::asprintf("WriteFile Failed, Error Code %d\n", written));
        return 0;
    }
    return 1;
}

int USBDriverFalcon::WriteCommandReport(const BYTE *command, int length)
{
    return writeReport(command, length, false);
}

int USBDriverFalcon::WriteReceiverReport(const BYTE *command, int length)
{
    return writeReport(command, length, true);
}

int USBDriverFalcon::ReadReplyReport(BYTE *reply, int n)
{
    if (!m_device || !reply || n < 0 || n > kReportLength)
        return 0;
    BYTE buffer[kReportLength] = {};
    buffer[0] = kReportId;
    if (!GetInputReport(m_device.get(), buffer, kReportLength)) {
        logLine(QString::asprintf("GetInputReport Failed, Error Code %d\n", -1));
        return 0;
    }
    std::memcpy(reply, buffer, size_t(n));
    return 1;
}

int USBDriverFalcon::PollReply(BYTE *buffer, int readLength)
{
    // Described pacing: poll count polls, poll delay before each. Adaptive pacing: early polls
    // that back off to the poll delay, as many as fit the same total wait (poll count x poll
    // delay); a busy mouse is given as long as before, a ready one answers at the first look.
    const bool described = Pacer::pollPacing() == PollPacing::Described;
    const int budget = m_pollCount * m_pollDelayMs;
    int slept = 0;
    for (int poll = 0; described ? poll < m_pollCount : (poll == 0 || slept < budget); ++poll) {
        const int delay = described ? m_pollDelayMs
                                    : qMin(Pacer::pollDelayMs(poll, m_pollDelayMs), budget - slept);
        Pacer::sleepMs(delay);
        slept += qMax(0, delay);
        // A reply must carry at least its status byte and fit one report.
        if (!m_device || !buffer || readLength < 1 || readLength > kReportLength)
            continue;
        if (!ReadReplyReport(buffer, readLength))
            continue;
        if (buffer[0] == 0)
            return 0;
        if (buffer[0] == 1)
            return 1;
        // 2 (busy) or a status we do not know: ask again.
    }
    return 2;
}

int USBDriverFalcon::ExchangeCommand(BYTE *buffer, int writeLength, int readLength)
{
    if (!buffer || writeLength < 0)
        return 0;
    const QByteArray command(reinterpret_cast<const char *>(buffer), writeLength);
    buffer[0] = 0;
    for (int attempt = 0; attempt < m_attemptCount; ++attempt) {
        qDebug() << "ReapeatCount:" << attempt << int(buffer[0]) << m_attemptCount;
        const BYTE status = buffer[0];
        if (status == 0) {
            logLine(QString::asprintf("write func: %d", writeLength > 0 ? int(BYTE(command.at(0))) : 0));
            if (!WriteCommandReport(reinterpret_cast<const BYTE *>(command.constData()),
                                    writeLength)) {
                logLine(QStringLiteral("wFunc error"));
                continue;
            }
        } else if (status != 2) {
            continue; // neither "send again" nor "busy": this attempt has nothing to do
        }
        if (PollReply(buffer, readLength) == 1)
            return 1;
    }
    return buffer[0] == 1 ? 1 : 0;
}

int USBDriverFalcon::SendCommandDONGLE(const BYTE *command, int length, BYTE *reply)
{
    if (!WriteReceiverReport(command, length)) {
        logLine(QStringLiteral("SendCommandDONGLE write Failed"));
        return 0;
    }
    for (int i = 0; i < 5; ++i) {
        Pacer::sleepMs(50);
        BYTE answer[2] = {};
        if (ReadReplyReport(answer, 2) && answer[0] == 1) {
            logLine(QStringLiteral("GetCommand ACK == 1 OK"));
            if (reply)
                std::memcpy(reply, answer, 2);
            return 1;
        }
    }
    logLine(QStringLiteral("GetCommand ACK != 1 Failed"));
    return 0;
}

int USBDriverFalcon::EnterPairingMode()
{
    const BYTE command[2] = {0xA0, 0x81};
    return SendCommandDONGLE(command, 2);
}

int USBDriverFalcon::SetPairingAddress(DWORD address)
{
    const BYTE command[6] = {0xA1, 0x8F, BYTE(address & 0xFF), BYTE((address >> 8) & 0xFF),
                             BYTE((address >> 16) & 0xFF), BYTE((address >> 24) & 0xFF)};
    return SendCommandDONGLE(command, 6);
}

int USBDriverFalcon::ResetPairing()
{
    const BYTE command[2] = {0xA1, 0x81};
    return SendCommandDONGLE(command, 2);
}

int USBDriverFalcon::GetWorkMode(BYTE *mode)
{
    const BYTE command[2] = {0xA7, 0x00};
    BYTE reply[2] = {0, 0};
    if (!mode || !SendCommandDONGLE(command, 2, reply))
        return 0;
    *mode = reply[1];
    return 1;
}

// --- memory transfers ------------------------------------------------------------------------

namespace {
// The refusals shared by both directions. Below 0x1000 (the profile area) transfers are made
// of whole 32-bit words; the macro and picture areas take any length.
bool transferAllowed(DWORD address, int n, const void *buffer)
{
    if (!buffer || n <= 0)
        return false;
    if (address < 0x1000 && n % 4 != 0)
        return false;
    return quint64(address) + quint64(n) <= 0x100000000ull;
}
} // namespace

int USBDriverFalcon::ReadEEPROM(DWORD address, int n, BYTE *out)
{
    logLine(QString::asprintf("ReadEEPROM %x", address));
    if (!transferAllowed(address, n, out))
        return 0;
    QByteArray data(n, '\0');
    DWORD addr = address;
    int done = 0;
    while (n - done >= kChunk) {
        BYTE buffer[32] = {kCmdRead, BYTE(kChunk)};
        putLe32(buffer + 2, addr);
        if (!ExchangeCommand(buffer, 6, kChunk + 4)) {
            logLine(QString::asprintf("ReadEEPROM Failed, FW return 0, Addr=%x, bytestoread=%d",
                                      addr, kChunk));
            logLine(QStringLiteral("ReadEEPROM Failed, FW return 0, Addr=%1, bytestoread=%2")
                        .arg(addr).arg(kChunk));
            return 0;
        }
        logLine(QStringLiteral("ReadEEPROM OK, Addr=%1, bytestoread=%2").arg(addr).arg(kChunk));
        // Reply: status, three bytes we do not use, the data.
        std::memcpy(data.data() + done, buffer + 4, kChunk);
        addr += kChunk;
        done += kChunk;
    }
    const int rest = n - done;
    if (rest > 0) {
        BYTE buffer[32] = {kCmdRead, BYTE(rest)};
        putLe32(buffer + 2, addr);
        if (!ExchangeCommand(buffer, 6, rest + 4)) {
            logLine(QString::asprintf("ReadEEPROM Failed, FW return 0, Addr=%x, BytesOfRest=%d",
                                      addr, rest));
            logLine(QStringLiteral("ReadEEPROM Failed, FW return 0, Addr=%1, BytesOfRest=%2")
                        .arg(addr).arg(rest));
            return 0;
        }
        logLine(QStringLiteral("ReadEEPROM OK, Addr=%1, bytestoread=%2").arg(addr).arg(rest));
        std::memcpy(data.data() + done, buffer + 4, size_t(rest));
    }
    std::memcpy(out, data.constData(), size_t(n));
    noteHeld(address, out, n);
    return 1;
}

int USBDriverFalcon::WriteEEPROM(DWORD address, int n, const BYTE *data, const BYTE *held,
                                 int heldLength)
{
    logLine(QString::asprintf("WriteEEPROM %x", address));
    if (!transferAllowed(address, n, data))
        return 0;
    // A chunk the mouse is known to hold already is left out; the chunks that are sent keep
    // their addresses and bytes, so the memory ends up as after the whole write.
    const int known = held ? qMin(heldLength, n) : 0;
    auto unchanged = [&](int offset, int length) {
        return offset + length <= known && std::memcmp(data + offset, held + offset, size_t(length)) == 0;
    };
    DWORD addr = address;
    int done = 0;
    while (n - done >= kChunk) {
        if (unchanged(done, kChunk)) {
            noteHeld(addr, data + done, kChunk);
            addr += kChunk;
            done += kChunk;
            ++m_skippedChunks;
            continue;
        }
        // A5 18, the address and 24 bytes: the exchange is asked for 31 command bytes of which
        // the 30 that fit the report are sent (the 31st is padding).
        BYTE buffer[32] = {kCmdWrite, BYTE(kChunk)};
        putLe32(buffer + 2, addr);
        std::memcpy(buffer + 6, data + done, kChunk);
        if (!ExchangeCommand(buffer, 31, 1)) {
            // No system error code reaches us here: the mouse's last status byte stands in.
            const int error = buffer[0];
            ++m_failedWrites;
            forgetHeld();
            logLine(QString::asprintf("WriteEEPROM Failed, Addr=%x, bytestowrite=%d\n", addr, kChunk));
            logLine(QStringLiteral("WriteEEPROM Failed,Addr=%1, bytestowrite=%2 error = %3\n")
                        .arg(addr).arg(kChunk).arg(error));
            return 0;
        }
        noteHeld(addr, data + done, kChunk);
        addr += kChunk;
        done += kChunk;
        logLine(QStringLiteral("WriteEEPROM OK, dwAddr= %1, BytesOfRest= %2\n")
                    .arg(addr - kChunk).arg(n - done));
    }
    const int rest = n - done;
    if (rest > 0 && unchanged(done, rest)) {
        ++m_skippedChunks;
        noteHeld(addr, data + done, rest);
    } else if (rest > 0) {
        BYTE buffer[32] = {kCmdWrite, BYTE(rest)};
        putLe32(buffer + 2, addr);
        std::memcpy(buffer + 6, data + done, size_t(rest));
        const QString command = hexBytes(buffer, rest + 6);
        if (!ExchangeCommand(buffer, rest + 6, 1)) {
            ++m_failedWrites;
            forgetHeld();
            logLine(QStringLiteral("WriteEEPROM Failed, Addr=%1, bytestowrite=%2 error = %3 Cmd=%4\n")
                        .arg(addr).arg(rest).arg(int(buffer[0])).arg(command));
            return 0;
        }
        noteHeld(addr, data + done, rest);
        logLine(QStringLiteral("WriteEEPROM OK, dwAddr= %1, bytestowrite= %2,\n").arg(addr).arg(rest));
    }
    return 1;
}

int USBDriverFalcon::readWord(DWORD address, DWORD *value)
{
    BYTE b[4];
    if (!value || !ReadEEPROM(address, 4, b))
        return 0;
    *value = le32(b);
    return 1;
}

int USBDriverFalcon::writeWord(DWORD address, DWORD value)
{
    BYTE b[4];
    putLe32(b, value);
    return WriteEEPROM(address, 4, b);
}

void USBDriverFalcon::noteHeld(DWORD address, const BYTE *bytes, int n)
{
    for (int k = 0; k < n; ++k) {
        const quint64 at = quint64(address) + quint64(k);
        if (at >= kHeldBase && at < kHeldBase + kHeldSize) {
            m_held[int(at - kHeldBase)] = char(bytes[k]);
            m_heldKnown[int(at - kHeldBase)] = 1;
        }
    }
}

void USBDriverFalcon::forgetHeld()
{
    m_heldKnown.fill('\0');
}

bool USBDriverFalcon::heldWord(DWORD address, BYTE out[4], bool keepsByte0Only) const
{
    // Only words no one but this program changes: word C (the last stage index), and the
    // DPI/LED word where its byte 0, the current stage the mouse's own buttons move, is
    // replaced anyway. Every other word is read from the mouse each time.
    const bool wordC = address == kProfileOne + kWordC;
    const bool dpiLed = address == kProfileOne + kDpiLedWord && keepsByte0Only;
    if (!wordC && !dpiLed)
        return false;
    const int at = int(address - kHeldBase);
    for (int k = 0; k < 4; ++k) {
        if (!m_heldKnown.at(at + k))
            return false;
        out[k] = BYTE(m_held.at(at + k));
    }
    return true;
}

int USBDriverFalcon::patchWordByte(DWORD readAddress, DWORD writeAddress, int index, BYTE value)
{
    BYTE b[4];
    if (index < 0 || index > 3)
        return 0;
    if (!heldWord(readAddress, b, index == 0) && !ReadEEPROM(readAddress, 4, b))
        return 0;
    b[index] = value;
    return WriteEEPROM(writeAddress, 4, b);
}

int USBDriverFalcon::simpleCommand(const BYTE *command, int length, BYTE *reply, int replyLength)
{
    BYTE buffer[32] = {};
    std::memcpy(buffer, command, size_t(length));
    if (!ExchangeCommand(buffer, length, replyLength))
        return 0;
    if (reply)
        std::memcpy(reply, buffer, size_t(replyLength));
    return 1;
}

// --- commands --------------------------------------------------------------------------------

int USBDriverFalcon::SetCurrentProfile(int profile)
{
    if (!validProfile(profile))
        return 0;
    const BYTE command[2] = {kCmdSelectProfile, BYTE(profile)};
    return simpleCommand(command, 2, nullptr, 1);
}

int USBDriverFalcon::GetCurrentProfile(BYTE *profile)
{
    const BYTE command[2] = {kCmdGetProfile, 0x00};
    BYTE reply[2];
    if (!simpleCommand(command, 2, reply, 2))
        return 0;
    // Any other index would send every later profile access to the wrong memory.
    if (!validProfile(reply[1])) {
        logLine(QStringLiteral("GetCurrentProfile: no such profile %1").arg(reply[1]));
        return 0;
    }
    m_currentProfile = reply[1];
    if (profile)
        *profile = reply[1];
    return 1;
}

int USBDriverFalcon::GetFirmwareVersion(DWORD *version)
{
    const BYTE command[2] = {kCmdVersion, 0x00};
    BYTE reply[5];
    if (!simpleCommand(command, 2, reply, 5))
        return 0;
    logLine(QStringLiteral("version: %1 %2 %3 %4").arg(reply[1]).arg(reply[2]).arg(reply[3]).arg(reply[4]));
    if (version)
        *version = le32(reply + 1);
    return 1;
}

int USBDriverFalcon::SendCommandA7()
{
    const BYTE command[1] = {0xA7};
    return simpleCommand(command, 1, nullptr, 1);
}

int USBDriverFalcon::SendCommandA8()
{
    const BYTE command[1] = {0xA8};
    return simpleCommand(command, 1, nullptr, 1);
}

int USBDriverFalcon::GetCommandA9Value(USHORT *value)
{
    const BYTE command[1] = {0xA9};
    BYTE reply[3];
    if (!value || !simpleCommand(command, 1, reply, 3))
        return 0;
    *value = USHORT(reply[1] | (reply[2] << 8));
    return 1;
}

int USBDriverFalcon::GetPowerState(DWORD *value)
{
    const BYTE command[1] = {kCmdPower};
    BYTE reply[5];
    if (!value || !simpleCommand(command, 1, reply, 5))
        return 0;
    *value = le32(reply + 1);
    return 1;
}

int USBDriverFalcon::SetCommandABValue(BYTE value)
{
    const BYTE command[2] = {0xAB, value};
    return simpleCommand(command, 2, nullptr, 1);
}

int USBDriverFalcon::ReadProfileBlock(BYTE *out, int n, int p)
{
    if (!validProfile(p) || n < 32 || n % 4 != 0)
        return 0;
    return ReadEEPROM(DWORD(p + 1) * kProfileStride, n, out);
}

int USBDriverFalcon::WriteProfileBlock(const BYTE *data, int n, int p)
{
    if (!validProfile(p) || n <= 0 || n > 32 || n % 4 != 0)
        return 0;
    return WriteEEPROM(DWORD(p + 1) * kProfileStride, n, data);
}

int USBDriverFalcon::ReadProfileBytes(BYTE *out, int n, int p, int offset)
{
    if (!validProfile(p) || offset < 0)
        return 0;
    return ReadEEPROM(DWORD(offset) + profileBase(p), n, out);
}

int USBDriverFalcon::WriteProfileBytes(const BYTE *data, int n, int p, int offset)
{
    if (!validProfile(p) || offset < 0)
        return 0;
    return WriteEEPROM(DWORD(offset) + profileBase(p), n, data);
}

namespace {
// The entry address of button 1..11 in profile p, or 0 for any other button.
DWORD buttonAddress(int button, int p)
{
    if (button < 1 || button > 11)
        return 0;
    return profileBase(p) + kButtonTable + DWORD(kButtonOffsets[button - 1]);
}
} // namespace

int USBDriverFalcon::GetButtonEntry(int button, BYTE *entry, int p)
{
    const DWORD address = buttonAddress(button, p);
    if (!address || !validProfile(p))
        return 0;
    return ReadEEPROM(address, 4, entry);
}

int USBDriverFalcon::SetButtonEntry(int button, const BYTE *entry, int p)
{
    const DWORD address = buttonAddress(button, p);
    if (!address || !validProfile(p))
        return 0;
    return WriteEEPROM(address, 4, entry);
}

int USBDriverFalcon::GetSettingsWordA(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordA, value) : 0;
}

int USBDriverFalcon::SetSettingsWordA(DWORD value, int p)
{
    return validProfile(p) ? writeWord(profileBase(p) + kWordA, value) : 0;
}

int USBDriverFalcon::GetSettingsWordB(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordB, value) : 0;
}

int USBDriverFalcon::SetSettingsWordB(DWORD value, int p)
{
    return validProfile(p) ? writeWord(profileBase(p) + kWordB, value) : 0;
}

int USBDriverFalcon::GetDpiStageBlock(BYTE *out, int p)
{
    return validProfile(p) ? ReadEEPROM(profileBase(p) + kDpiStageBlock, kStageBlockLength, out) : 0;
}

int USBDriverFalcon::SetDpiStageBlock(const BYTE *data, int n, int p)
{
    // More than 16 bytes would run over the DPI/LED word and the words after it.
    if (!validProfile(p) || !data || n <= 0 || n > kStageBlockLength)
        return 0;
    BYTE block[kStageBlockLength];
    std::memcpy(block, data, size_t(n));
    if (n == kStageBlockLength) {
        // The block's last 4 bytes are word C: keep the mouse's byte 2 of it.
        BYTE held[4];
        DWORD wordC = 0;
        if (heldWord(kProfileOne + kWordC, held)) {
            block[14] = held[2];
            block[15] = 0;
        } else if (readWord(kProfileOne + kWordC, &wordC)) {
            block[14] = BYTE((wordC >> 16) & 0xFF);
            block[15] = 0;
        }
    }
    return WriteEEPROM(profileBase(p) + kDpiStageBlock, n, block);
}

int USBDriverFalcon::GetDpiLedRateLightIntensity(BYTE *b0, BYTE *b1, BYTE *b2, BYTE *b3, int p)
{
    BYTE b[4];
    if (!validProfile(p) || !b0 || !b1 || !b2 || !b3
        || !ReadEEPROM(profileBase(p) + kDpiLedWord, 4, b))
        return 0;
    *b0 = b[0];
    *b1 = b[1];
    *b2 = b[2];
    *b3 = b[3];
    return 1;
}

int USBDriverFalcon::SetDpiLedRateLightIntensity(BYTE b0, BYTE b1, BYTE b2, BYTE b3, int p)
{
    if (!validProfile(p))
        return 0;
    const BYTE b[4] = {b0, b1, b2, b3};
    return WriteEEPROM(kProfileOne + kDpiLedWord, 4, b);
}

int USBDriverFalcon::readWordByte(DWORD address, int index, BYTE *out)
{
    DWORD word = 0;
    if (!out || index < 0 || index > 3 || !readWord(address, &word))
        return 0;
    *out = BYTE((word >> (8 * index)) & 0xFF);
    return 1;
}

int USBDriverFalcon::GetDpiLedRateLightIntensityByte0(BYTE *out, int p)
{
    return validProfile(p) ? readWordByte(profileBase(p) + kDpiLedWord, 0, out) : 0;
}

int USBDriverFalcon::GetDpiLedRateLightIntensityByte1(BYTE *out, int p)
{
    return validProfile(p) ? readWordByte(profileBase(p) + kDpiLedWord, 1, out) : 0;
}

int USBDriverFalcon::GetDpiLedRateLightIntensityByte2(BYTE *out, int p)
{
    return validProfile(p) ? readWordByte(profileBase(p) + kDpiLedWord, 2, out) : 0;
}

int USBDriverFalcon::GetDpiLedRateLightIntensityByte3(BYTE *out, int p)
{
    return validProfile(p) ? readWordByte(profileBase(p) + kDpiLedWord, 3, out) : 0;
}

int USBDriverFalcon::SetDpiLedRateLightIntensityByte0(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(profileBase(p) + kDpiLedWord, kProfileOne + kDpiLedWord, 0, value) : 0;
}

int USBDriverFalcon::SetDpiLedRateLightIntensityByte1(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(profileBase(p) + kDpiLedWord, kProfileOne + kDpiLedWord, 1, value) : 0;
}

int USBDriverFalcon::SetDpiLedRateLightIntensityByte2(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(profileBase(p) + kDpiLedWord, kProfileOne + kDpiLedWord, 2, value) : 0;
}

int USBDriverFalcon::SetDpiLedRateLightIntensityByte3(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(profileBase(p) + kDpiLedWord, kProfileOne + kDpiLedWord, 3, value) : 0;
}

int USBDriverFalcon::GetSettingsWordD(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordD, value) : 0;
}

int USBDriverFalcon::SetSettingsWordD(DWORD value, int p)
{
    return validProfile(p) ? writeWord(profileBase(p) + kWordD, value) : 0;
}

int USBDriverFalcon::GetSettingsWordDByte0(BYTE *out, int p)
{
    return validProfile(p) ? readWordByte(profileBase(p) + kWordD, 0, out) : 0;
}

int USBDriverFalcon::SetSettingsWordDByte0(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(profileBase(p) + kWordD, profileBase(p) + kWordD, 0, value) : 0;
}

int USBDriverFalcon::GetSettingsWordDByte1(BYTE *out, int p)
{
    return validProfile(p) ? readWordByte(profileBase(p) + kWordD, 1, out) : 0;
}

int USBDriverFalcon::SetSettingsWordDByte1(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(profileBase(p) + kWordD, profileBase(p) + kWordD, 1, value) : 0;
}

int USBDriverFalcon::SetSettingsWordGXY(BYTE x, BYTE y, int p)
{
    BYTE b[4];
    if (!validProfile(p) || !ReadEEPROM(kProfileOne + kWordG, 4, b))
        return 0;
    b[1] = x;
    b[2] = y;
    return WriteEEPROM(kProfileOne + kWordG, 4, b);
}

int USBDriverFalcon::GetLedColor(DWORD *value, int k, int p)
{
    return validProfile(p) && k >= 0 ? readWord(profileBase(p) + kLedTable + DWORD(k), value) : 0;
}

int USBDriverFalcon::SetLedColor(DWORD value, int k)
{
    return k >= 0 ? writeWord(kProfileOne + kLedTable + DWORD(k), value) : 0;
}

int USBDriverFalcon::SetLedColorMatrixAll(const DWORD *table, int entries, int p)
{
    if (!validProfile(p))
        return 0;
    const DWORD address = kProfileOne + kLedTable;
    logLine(QString::asprintf("SetLedColorMatrixAll %x", address));
    if (!table || entries < 1 || entries > kMaxLedEntries)
        return 0;
    QByteArray bytes(entries * 4, '\0');
    for (int i = 0; i < entries; ++i)
        putLe32(reinterpret_cast<BYTE *>(bytes.data()) + 4 * i, table[i]);
    return WriteEEPROM(address, bytes.size(), reinterpret_cast<const BYTE *>(bytes.constData()));
}

int USBDriverFalcon::QuickPowerState(USHORT *value)
{
    // A bare AA: no attempts and no status polling, just a few looks at the reply.
    const BYTE command[1] = {kCmdPower};
    if (!value || !WriteCommandReport(command, 1))
        return 0;
    for (int i = 0; i < 5; ++i) {
        Pacer::sleepMs(10);
        BYTE reply[4] = {};
        if (ReadReplyReport(reply, 4) && reply[0] == 1) {
            *value = USHORT(reply[1] | (reply[2] << 8));
            return 1;
        }
    }
    return 0;
}

// --- the Falcon family's own operations ------------------------------------------------------

int USBDriverFalcon::GetProfileData(BYTE *image, int length)
{
    qDebug() << "USBDriverFalcon GetProfileData currentThreadId" << QThread::currentThreadId();
    logLine(QStringLiteral("USBDriverFalcon::GetProfileData"));
    if (!image || length < kProfileImageSize)
        return 0;
    BYTE profile = 0;
    if (!GetCurrentProfile(&profile))
        return 0;
    BYTE copy[kProfileImageSize];
    std::memcpy(copy, image, kProfileImageSize);
    putLe32(copy, profile);
    USHORT a9 = 0;
    if (!GetCommandA9Value(&a9))
        a9 = 0;
    copy[8] = BYTE(a9 & 0xFF);
    copy[9] = BYTE(a9 >> 8);
    DWORD power = 0;
    if (!GetPowerState(&power))
        power = 0;
    putLe32(copy + 12, power);
    if (!ReadEEPROM(profileBase(profile) + kButtonTable, kButtonTableLength, copy + 16)
        || !ReadEEPROM(profileBase(profile) + kSettingsBlock, kSettingsLength, copy + 60))
        return 0;
    std::memcpy(image, copy, kProfileImageSize);
    return 1;
}

int USBDriverFalcon::SetProfileData(const BYTE *image, int length)
{
    return SetProfileData(image, length, nullptr);
}

int USBDriverFalcon::SetProfileData(const BYTE *image, int length, const BYTE *held)
{
    qDebug() << " USBDriverFalcon SetProfileData currentThreadId" << QThread::currentThreadId();
    if (!image || length < kProfileImageSize)
        return 0;
    // What the mouse holds proves the button table only where it is written: profile 1.
    const bool heldApplies = held && m_currentProfile == 1;
    if (!WriteEEPROM(kProfileOne + kButtonTable, kButtonTableLength, image + 16,
                     heldApplies ? held + 16 : nullptr, kButtonTableLength))
        return 0;
    if (!heldApplies)
        return WriteEEPROM(profileBase(m_currentProfile) + kSettingsBlock, kSettingsLength, image + 60);
    // The DPI/LED word (current stage, light mode) is one the mouse changes by itself, from
    // its own buttons: the chunk holding it is always sent.
    QByteArray known(reinterpret_cast<const char *>(held + 60), kSettingsLength);
    const int volatileChunk = int(kDpiLedWord - kSettingsBlock) / kChunk * kChunk;
    for (int k = volatileChunk; k < qMin(volatileChunk + kChunk, kSettingsLength); ++k)
        known[k] = char(~image[60 + k]);
    return WriteEEPROM(profileBase(m_currentProfile) + kSettingsBlock, kSettingsLength, image + 60,
                       reinterpret_cast<const BYTE *>(known.constData()), kSettingsLength);
}

int USBDriverFalcon::SetSettingsWordCByte2(BYTE value)
{
    return patchWordByte(kProfileOne + kWordC, kProfileOne + kWordC, 2, value);
}

int USBDriverFalcon::GetSettingsWordC(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordC, value) : 0;
}

int USBDriverFalcon::GetLedColorMatrixAll(DWORD *out, int entries, int p)
{
    if (!validProfile(p))
        return 0;
    const DWORD address = profileBase(p) + kLedTable;
    logLine(QString::asprintf("GetLedColorMatrixAll %x", address));
    if (!out || entries < 1 || entries > kMaxLedEntries)
        return 0;
    QByteArray bytes(entries * 4, '\0');
    if (!ReadEEPROM(address, bytes.size(), reinterpret_cast<BYTE *>(bytes.data())))
        return 0;
    for (int i = 0; i < entries; ++i)
        out[i] = le32(reinterpret_cast<const BYTE *>(bytes.constData()) + 4 * i);
    return 1;
}

int USBDriverFalcon::SetSettingsWordE(DWORD value)
{
    return writeWord(kProfileOne + kWordE, value);
}

int USBDriverFalcon::GetSettingsWordE(DWORD *value)
{
    return readWord(kProfileOne + kWordE, value);
}

int USBDriverFalcon::SetSettingsDoubleWordFByte(int index, BYTE value, int p)
{
    BYTE b[8];
    if (!validProfile(p) || index < 0 || index > 7 || !ReadEEPROM(kProfileOne + kDoubleWordF, 8, b))
        return 0;
    b[index] = value;
    return WriteEEPROM(kProfileOne + kDoubleWordF, 8, b);
}

int USBDriverFalcon::GetSettingsDoubleWordF(BYTE *out8, int p)
{
    return validProfile(p) ? ReadEEPROM(profileBase(p) + kDoubleWordF, 8, out8) : 0;
}

int USBDriverFalcon::SetSettingsWordG(DWORD value, int p)
{
    return validProfile(p) ? writeWord(profileBase(p) + kWordG, value) : 0;
}

int USBDriverFalcon::GetSettingsWordG(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordG, value) : 0;
}

int USBDriverFalcon::GetSettingsWordGByte1(BYTE *out, int p)
{
    BYTE b1 = 0;
    if (!validProfile(p) || !readWordByte(profileBase(p) + kWordG, 1, &b1))
        return 0;
    if (out)
        *out = b1;
    return b1;
}

int USBDriverFalcon::SetSettingsWordDByte2(BYTE value, int p)
{
    return validProfile(p) ? patchWordByte(kProfileOne + kWordD, kProfileOne + kWordD, 2, value) : 0;
}

int USBDriverFalcon::ReadSettingsWordD(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordD, value) : 0;
}

int USBDriverFalcon::SetSettingsWordH(DWORD value, int p)
{
    return validProfile(p) ? writeWord(profileBase(p) + kWordH, value) : 0;
}

int USBDriverFalcon::GetSettingsWordH(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordH, value) : 0;
}

int USBDriverFalcon::SetSettingsWordI(DWORD value, int p)
{
    return validProfile(p) ? writeWord(profileBase(p) + kWordI, value) : 0;
}

int USBDriverFalcon::GetSettingsWordI(DWORD *value, int p)
{
    return validProfile(p) ? readWord(profileBase(p) + kWordI, value) : 0;
}

namespace {
// Picture index → address; 0 for an index whose picture would not fit the address space.
DWORD pictureAddress(int index)
{
    const quint64 address = quint64(kPictureBase) + quint64(index) * kPictureStride;
    if (index < 0 || address + USBDriverFalcon::kPictureSize > 0x100000000ull)
        return 0;
    return DWORD(address);
}
} // namespace

int USBDriverFalcon::WritePicture(int index, const BYTE *bitmap)
{
    const DWORD address = pictureAddress(index);
    return address ? WriteEEPROM(address, kPictureSize, bitmap) : 0;
}

int USBDriverFalcon::ReadPicture(int index, BYTE *out)
{
    const DWORD address = pictureAddress(index);
    if (!address)
        return 0;
    logLine(QStringLiteral("read picture addr ") + QString::number(address));
    return ReadEEPROM(address, kPictureSize, out);
}

// --- operations the manager calls directly ---------------------------------------------------

int USBDriverFalcon::GetMousePid(BYTE *pidLow, BYTE *pidHigh)
{
    logLine(QStringLiteral("GetMousePid"));
    BYTE b[4];
    if (!pidLow || !pidHigh || !ReadEEPROM(kProductIdAddress, 4, b))
        return 0;
    *pidLow = b[0];
    *pidHigh = b[1];
    return 1;
}

int USBDriverFalcon::WriteMacro(int index, bool list, const BYTE *area, int areaSize,
                                const BYTE *held, int heldLength)
{
    const int total = area && areaSize >= 2 ? area[0] | (area[1] << 8) : 0;
    if (index < 0 || index > 10) {
        logLine(QString::asprintf("TotalSize = 0x%x", total));
        return 0;
    }
    // A valid hardware macro: length word and play-mode word, then whole 3-byte nodes, all of
    // it inside the area handed over and inside one 4096-byte macro slot.
    const bool valid = area && total >= 4 && (total - 4) % 3 == 0
                       && (total - 4) / 3 <= kMaxMacroNodes && total <= areaSize
                       && total <= kMacroAreaSize;
    if (!valid) {
        logLine(QString::asprintf("StandardToHardware = 0x%x", total));
        return 0;
    }
    const DWORD address = list ? kListMacroBase + DWORD(index) * kMacroStride
                               : kSingleMacroBase + DWORD(index) * kMacroStride;
    logLine(QString::asprintf("macro addr:%0x %d %d", address, list ? 1 : 0, index));
    return WriteEEPROM(address, total, area, held, heldLength);
}

int USBDriverFalcon::ImageToByteArr(const QImage &image, BYTE *out, int n)
{
    qDebug() << "ImageToByteArr image.byteCount()  imageDataLen" << image.size()
             << image.sizeInBytes() << n;
    if (!OledBitmap::toDevice(image, out, n)) {
        logLine(QStringLiteral("ImageToByteArr: not a 64 x 48 one-bit picture of 384 bytes"));
        return 0;
    }
    return 1;
}

int USBDriverFalcon::ByteArrToImage(QImage &image, const BYTE *bytes, int n)
{
    if (!OledBitmap::fromDevice(&image, bytes, n)) {
        logLine(QStringLiteral("ByteArrToImage: %1 bytes, a picture is 384").arg(n));
        return 0;
    }
    return 1;
}
