#pragma once
// The Falcon and Kite families' driver: the report-0xBA transport. A command of up to 30 bytes
// travels in a 32-byte output report (report id 0xBA, a link byte, the command); the reply is
// fetched as input report 0xBA whose first data byte is the status: 0 not accepted (send
// again), 1 done, 2 busy (keep polling). The command set builds on ExchangeCommand.
//
// The command set: A1 select profile, A2 read profile, A3 firmware version, A4 memory read,
// A5 memory write, A7/A8 parameterless, A9 16-bit value, AA power word, AB one-byte setting.
// Almost everything is a read or write of the mouse's flat memory:
//
//   0x0004                      product id (2 bytes used)
//   base + 0x200                button table, 11 entries of 4 bytes      base = profile * 0x400
//   base + 0x480                settings block, 68 bytes: word A, word B, DPI stage block
//                               (0x488, 16 bytes, its last 4 are word C at 0x494), the
//                               DPI/LED/rate/light word (0x498), words D (0x49C), E (0x4A0),
//                               double word F (0x4A4), words G (0x4AC), H (0x4B0), I (0x4B4),
//                               the LED colour table (0x4B8)
//   (i + 1) * 0x1000            single macro i (0..10)
//   0x10000 + i * 0x1000        list macro i
//   0x22000 + i * 0x1000        OLED picture i (384 bytes)
//
// The software writes profile 1: many setters address profile 1's copy (0x894, 0x898, 0x89C,
// 0x8A0, 0x8A4, 0x8AC, 0x8B8) whatever profile they are given; readers read the profile they
// are given. The mouse has two profiles: every operation taking a profile p refuses p other
// than 0 or 1 without sending anything.
//
// Every operation returns nonzero on success and 0 on failure (with a log line); nothing
// partial is handed back as success. Multi-chunk writes stop at the first failing chunk; the
// chunks already written stay written.
//
// Used by one thread at a time (the coordinator's worker). All waits go through Pacer.

#include "hid/hidparse.h"
#include "device/falcon/kelvousbdriver.h"

#include <memory>

class QImage;

class USBDriverFalcon : public KelvoUSBDriver
{
    Q_OBJECT
public:
    explicit USBDriverFalcon(QObject *parent = nullptr);
    ~USBDriverFalcon() override; // closes the device

    // Closes first, then opens the interface named by the selector of the link mode (0 wired,
    // 1 receiver) on usage page 0xFF00. Returns 1 when open, 0 when the interface is missing or
    // cannot be opened, and 0 with "DeviceWireless error" for any other link mode.
    int FindHIDDevice() override;
    // Closes the device if open. Always returns 1.
    int UnInitDevice() override;
    // Stores the selectors for link modes 0 and 1. Returns 1.
    int SetWiredWirelessString(const QString &wired, const QString &wireless) override;

    // 0 = cable, 1 = 2.4 GHz receiver, anything else is an error at open. Set before opening.
    void setLinkMode(int mode) { m_linkMode = mode; }
    int linkMode() const { return m_linkMode; }
    QString wiredSelector() const { return m_wiredSelector; }
    QString wirelessSelector() const { return m_wirelessSelector; }
    bool isOpen() const { return m_device != nullptr; }
    // The interface that is open (empty info when closed).
    HidDeviceInfo openInterface() const;

    // Pacing of ExchangeCommand: sleep before each poll, polls per attempt, attempts (the
    // described pacing; the adaptive pacing keeps their product as each attempt's total wait).
    int pollDelayMs() const { return m_pollDelayMs; }
    int pollCount() const { return m_pollCount; }
    int attemptCount() const { return m_attemptCount; }
    // The profile the mouse reported last (A2), 0 before any.
    BYTE currentProfile() const { return m_currentProfile; }

    // Writes BA, link byte (FF cable, A5 receiver, 00 otherwise), then the command zero-padded
    // to 32 bytes. Only 30 command bytes fit: a 31-byte command loses its last byte. Returns 0
    // when closed, for a null command, a negative length or more than 31 bytes, or when the
    // write fails ("WriteFile Failed, Error Code %d").
    int WriteCommandReport(const BYTE *command, int length);
    // As WriteCommandReport but for the receiver itself: the command starts at byte 1 (up to 31
    // bytes).
    int WriteReceiverReport(const BYTE *command, int length);
    // Fetches one 0xBA reply and copies its first n bytes (status first) to reply. Returns 0
    // when closed, for a null buffer or n outside 0..32, or when the read fails or the reply
    // is malformed ("GetInputReport Failed, Error Code %d").
    int ReadReplyReport(BYTE *reply, int n);
    // Sends buffer[0..writeLength-1] and polls for its reply, which replaces the buffer's first
    // readLength bytes (the buffer must hold max(writeLength, readLength) bytes). Up to 4
    // attempts; a busy reply is polled again without sending again, a status 0 reply makes the
    // next attempt send again. Returns 1 when a poll saw status 1, else 0.
    int ExchangeCommand(BYTE *buffer, int writeLength, int readLength);
    // One attempt's polling: returns 1 (status 1 seen), 0 (status 0 seen) or 2 (no answer in
    // the attempt: busy, unknown status, failed reads). Described pacing (Pacer::pollPacing):
    // 25 polls, 10 ms before each. Adaptive pacing: the first poll at once, then 1, 1, 2, 2, 4,
    // 4, 8 and 10 ms before each further poll until 250 ms have been waited (31 polls).
    int PollReply(BYTE *buffer, int readLength);
    // A command for the receiver itself: written with WriteReceiverReport, then up to 5 reads
    // of a 2-byte reply 50 ms apart; acknowledged when reply byte 0 is 1. The 2 reply bytes are
    // copied to reply (when given) on success. Returns 1 when acknowledged, else 0.
    int SendCommandDONGLE(const BYTE *command, int length, BYTE *reply = nullptr);

    // --- receiver commands (link mode 1), each one SendCommandDONGLE -------------------------
    int EnterPairingMode();                  // A0 81
    // A1 8F and the address's four bytes, low byte first.
    int SetPairingAddress(DWORD address);
    // A1 81: after A0 81, drops the receiver's pairing (a mouse of another model was paired).
    int ResetPairing();
    // A7 00; mode receives reply byte 1, the work mode (0 once pairing has finished).
    int GetWorkMode(BYTE *mode);

    // --- memory transfers ------------------------------------------------------------------
    // Reads n bytes of mouse memory at address into out, 24 bytes per A4 exchange (a shorter
    // last chunk for the rest). Returns 0 without any exchange for a null buffer, n <= 0, an
    // n that is not a multiple of 4 below address 0x1000, or a range past the 32-bit address
    // space; returns 0 at the first failing chunk, leaving out unchanged.
    int ReadEEPROM(DWORD address, int n, BYTE *out);
    // Writes n bytes at address, 24 bytes per A5 exchange (a shorter last chunk for the rest).
    // The same refusals as ReadEEPROM; returns 0 at the first failing chunk, the chunks
    // before it staying written. held (optional) is what the mouse is known to hold in its
    // first heldLength bytes from address: a chunk lying inside them with the same bytes is not
    // sent (counted in skippedChunks). The chunks that are sent are the same as without held.
    int WriteEEPROM(DWORD address, int n, const BYTE *data, const BYTE *held = nullptr,
                    int heldLength = 0);
    // Memory writes that failed (a chunk not acknowledged) since the driver was made: a caller
    // that proved what the mouse holds no longer knows it once this count moved.
    int failedWrites() const { return m_failedWrites; }
    // Chunks WriteEEPROM left out because the mouse held them already.
    int skippedChunks() const { return m_skippedChunks; }

    // --- commands (operation table positions 19 to 60) -------------------------------------
    int SetCurrentProfile(int profile) override;      // A1; refuses a profile other than 0, 1
    // A2; stores the profile as the current profile. Fails when the mouse reports a profile
    // other than 0 or 1.
    int GetCurrentProfile(BYTE *profile) override;
    // A3; logs "version: a b c d" and returns the four bytes as one value, the first lowest.
    int GetFirmwareVersion(DWORD *version) override;
    int SendCommandA7() override;
    int SendCommandA8() override;
    int GetCommandA9Value(USHORT *value) override;    // A9, little-endian
    int GetPowerState(DWORD *value) override;         // AA, little-endian
    int SetCommandABValue(BYTE value) override;       // AB value

    // n >= 32 and a multiple of 4, at (p + 1) * 0x400.
    int ReadProfileBlock(BYTE *out, int n, int p) override;
    // n <= 32 and a multiple of 4, at (p + 1) * 0x400.
    int WriteProfileBlock(const BYTE *data, int n, int p) override;
    // n bytes at offset + p * 0x400 (offset >= 0).
    int ReadProfileBytes(BYTE *out, int n, int p, int offset) override;
    int WriteProfileBytes(const BYTE *data, int n, int p, int offset) override;
    // The 4-byte entry of button 1..11 (other numbers are refused without any exchange).
    int GetButtonEntry(int button, BYTE *entry, int p) override;
    int SetButtonEntry(int button, const BYTE *entry, int p) override;
    int GetSettingsWordA(DWORD *value, int p) override;
    int SetSettingsWordA(DWORD value, int p) override;
    int GetSettingsWordB(DWORD *value, int p) override;
    int SetSettingsWordB(DWORD value, int p) override;
    // The 16-byte DPI stage block at p.
    int GetDpiStageBlock(BYTE *out, int p) override;
    // Writes n (1..16) bytes of the stage block at p. A full block keeps the mouse's word C:
    // byte 14 is replaced by byte 2 of word C read at 0x894 and byte 15 by 0 (when that read
    // fails the block is written as given).
    int SetDpiStageBlock(const BYTE *data, int n, int p) override;
    // The DPI/LED/rate/light-intensity word: read at p, written at 0x898. The byte setters
    // read the word at p, replace one byte and write the word at 0x898; a failed read writes
    // nothing.
    int GetDpiLedRateLightIntensity(BYTE *b0, BYTE *b1, BYTE *b2, BYTE *b3, int p) override;
    int SetDpiLedRateLightIntensity(BYTE b0, BYTE b1, BYTE b2, BYTE b3, int p) override;
    int GetDpiLedRateLightIntensityByte0(BYTE *out, int p) override;
    int SetDpiLedRateLightIntensityByte0(BYTE value, int p) override;
    int GetDpiLedRateLightIntensityByte1(BYTE *out, int p) override;
    int SetDpiLedRateLightIntensityByte1(BYTE value, int p) override;
    int GetDpiLedRateLightIntensityByte2(BYTE *out, int p) override;
    int SetDpiLedRateLightIntensityByte2(BYTE value, int p) override;
    int GetDpiLedRateLightIntensityByte3(BYTE *out, int p) override;
    int SetDpiLedRateLightIntensityByte3(BYTE value, int p) override;
    // Word D at p; the byte setters read it at p, replace a byte and write it at p.
    int GetSettingsWordD(DWORD *value, int p) override;
    int SetSettingsWordD(DWORD value, int p) override;
    int GetSettingsWordDByte0(BYTE *out, int p) override;
    int SetSettingsWordDByte0(BYTE value, int p) override;
    // Reads word G at 0x8AC, sets byte 1 = x and byte 2 = y, writes it back there.
    int SetSettingsWordGXY(BYTE x, BYTE y, int p) override;
    int GetSettingsWordDByte1(BYTE *out, int p) override;
    int SetSettingsWordDByte1(BYTE value, int p) override;
    // 4 bytes of the LED colour table at p + 0x4B8 + k (k a byte offset, k >= 0).
    int GetLedColor(DWORD *value, int k, int p) override;
    // Writes 4 bytes at 0x8B8 + k.
    int SetLedColor(DWORD value, int k) override;
    // Writes entries (1..kMaxLedEntries) colours at 0x8B8, whatever p (0 or 1) is.
    int SetLedColorMatrixAll(const DWORD *table, int entries, int p) override;
    // Sends the bare byte AA and reads up to 5 replies 10 ms apart (no attempts, no status
    // polling); once a reply's status is 1 its bytes 1 and 2 are the value (little-endian).
    // Returns 0 when no such reply came.
    int QuickPowerState(USHORT *value) override;

    // --- operations of the Falcon family only (positions 62 to 81) -------------------------
    // The 128-byte profile image: profile (4 bytes), 4 bytes left alone, the A9 value (2 bytes,
    // 2 left alone), the AA value (4), the button table (44), the settings block (68).
    // Asks A2, A9 and AA, then reads the button table and settings block of the profile the
    // mouse reports. Fails (image unchanged) for a null image, length < 128, a failed A2 or a
    // profile other than 0 or 1, or a failed memory read. A failed A9 or AA reads as 0.
    virtual int GetProfileData(BYTE *image, int length);
    // Writes the image's button table into profile 1 (0x600) and its settings block into the
    // current profile (0x480 + profile * 0x400). Fails for a null image, length < 128, or a
    // failed write (the button table then may already be written).
    virtual int SetProfileData(const BYTE *image, int length);
    // The same, held being the 128-byte image the mouse holds in profile 1 (as read from it and
    // kept up to date since): chunks of it that do not change are not sent, except the one
    // holding the DPI/LED word, which the mouse changes by itself. held is not used while the
    // current profile is 0.
    int SetProfileData(const BYTE *image, int length, const BYTE *held);
    // Reads word C at 0x894, sets byte 2 = value, writes it back there.
    virtual int SetSettingsWordCByte2(BYTE value);
    virtual int GetSettingsWordC(DWORD *value, int p);
    // entries (1..kMaxLedEntries) colours read at p + 0x4B8.
    virtual int GetLedColorMatrixAll(DWORD *out, int entries, int p);
    virtual int SetSettingsWordE(DWORD value);        // at 0x8A0
    virtual int GetSettingsWordE(DWORD *value);       // at 0x8A0
    // Reads the 8 bytes at 0x8A4, sets byte index (0..7) = value, writes them back there.
    virtual int SetSettingsDoubleWordFByte(int index, BYTE value, int p);
    virtual int GetSettingsDoubleWordF(BYTE *out8, int p);
    virtual int SetSettingsWordG(DWORD value, int p);
    virtual int GetSettingsWordG(DWORD *value, int p);
    // Returns byte 1 of word G at p (also stored in *out), 0 when the read fails.
    virtual int GetSettingsWordGByte1(BYTE *out, int p);
    // Reads word D at 0x89C, sets byte 2 = value, writes it back there.
    virtual int SetSettingsWordDByte2(BYTE value, int p);
    virtual int ReadSettingsWordD(DWORD *value, int p);
    virtual int SetSettingsWordH(DWORD value, int p);
    virtual int GetSettingsWordH(DWORD *value, int p);
    virtual int SetSettingsWordI(DWORD value, int p);
    virtual int GetSettingsWordI(DWORD *value, int p);
    // The 384-byte OLED picture index (>= 0) at 0x22000 + index * 0x1000.
    virtual int WritePicture(int index, const BYTE *bitmap);
    virtual int ReadPicture(int index, BYTE *out);

    // --- operations the manager calls directly ---------------------------------------------
    // Reads the product id at 0x0004 (through the receiver in link mode 1): pidLow and pidHigh
    // receive its first and second byte. Returns 0 when the read fails.
    int GetMousePid(BYTE *pidLow, BYTE *pidHigh);
    // Writes a macro in hardware form: area[0..1] is its total length (little-endian,
    // 4 + 3 * nodes, at most 1363 nodes), areaSize the bytes available in area. Single macro
    // index (list = false) goes to (index + 1) * 0x1000, list macro index to 0x10000 +
    // index * 0x1000. Fails without any exchange for an index outside 0..10 or an area that
    // does not hold a valid macro. held/heldLength: what the slot is known to hold (WriteEEPROM).
    int WriteMacro(int index, bool list, const BYTE *area, int areaSize,
                   const BYTE *held = nullptr, int heldLength = 0);
    // The OLED picture conversions (oledbitmap.h). Both return 0 for a wrong size.
    static int ImageToByteArr(const QImage &image, BYTE *out, int n);
    static int ByteArrToImage(QImage &image, const BYTE *bytes, int n);

    static constexpr int kProfileImageSize = 128;
    static constexpr int kPictureSize = 384;
    static constexpr int kMaxMacroNodes = 1363;
    static constexpr int kMacroAreaSize = 4096;
    // LED table entries that fit between 0x4B8 and the end of the profile area.
    static constexpr int kMaxLedEntries = (0x400 - 0x4B8 % 0x400) / 4;

protected:
    int writeReport(const BYTE *command, int length, bool receiver);
    // One A-command without memory data: sends command[0..length-1], reads replyLength bytes
    // into reply (status first). Returns 1 when the mouse answered with status 1.
    int simpleCommand(const BYTE *command, int length, BYTE *reply, int replyLength);
    int readWord(DWORD address, DWORD *value);
    int writeWord(DWORD address, DWORD value);
    // Byte index (0..3) of the word at address.
    int readWordByte(DWORD address, int index, BYTE *out);
    // Reads the word at address, replaces byte index, writes it at writeAddress. The word is
    // taken from the held copy of profile 1 when that knows it (heldWord).
    int patchWordByte(DWORD readAddress, DWORD writeAddress, int index, BYTE value);

    // The held copy of profile 1's button table and settings (0x600..0x8FF): what this driver
    // read from there or wrote there since the device was opened. A failed write forgets all of
    // it. Only the read-modify-write helpers use it, in place of their read; every getter
    // reads the mouse.
    void noteHeld(DWORD address, const BYTE *bytes, int n);
    void forgetHeld();
    // The word at address from the held copy, for word C (0x894) and, when keepsByte0Only, the
    // DPI/LED word (0x898): the mouse changes its current stage (byte 0) from its own buttons,
    // so that word is taken only where byte 0 is replaced. False for any other word and when a
    // byte of it is not known.
    bool heldWord(DWORD address, BYTE out[4], bool keepsByte0Only = false) const;

    std::unique_ptr<HidHandle> m_device;
    int m_linkMode = 1;
    QString m_wiredSelector;
    QString m_wirelessSelector;
    int m_pollDelayMs = 10;
    int m_pollCount = 25;
    int m_attemptCount = 4;
    BYTE m_currentProfile = 0; // last profile index read from the mouse
    int m_failedWrites = 0;
    int m_skippedChunks = 0;
    QByteArray m_held;      // 0x600..0x8FF
    QByteArray m_heldKnown; // one flag byte per held byte

private:
    // The base's whole-profile transfers (another family's block layout) stay reachable
    // through a KelvoUSBDriver pointer only; on this class the 128-byte image forms apply.
    using KelvoUSBDriver::GetProfileData;
    using KelvoUSBDriver::SetProfileData;
};
