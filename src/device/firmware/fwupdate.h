#pragma once
// Firmware update of a Falcon-family mouse (models 7..12 and 14) through its ISP boot loader.
//
// Phase 1 puts the mouse into its boot loader: a 32-byte "BA A8" output report on the mouse's
// vendor interface restarts it, and it comes back as vendor V, product 0x3000. A mouse that was
// left in boot mode is used as it is, without a restart request.
// Phase 2 streams the image to the boot loader in 64-byte ISP packets, each a 65-byte output
// report behind report id 0:
//   packet bytes 0..3 command (little-endian), 4..7 packet number, 8..63 data (zero-filled)
//   A4 sync            data = the packet number to continue from
//   A0 / C3 update     data = start address, total length, first 48 image bytes (C3: data flash)
//   00 continuation    data = next 56 image bytes
//   FF resend          the packet being repeated, under a new number
//   AB run             start the new application (no reply)
// The boot loader answers every packet but AB with a 65-byte input report: bytes 1..2 the 16-bit
// sum of the 64 packet bytes it received, bytes 5..8 the received packet number + 1.
//
// The packet counter starts at 1 for each transfer. Each packet goes out with the counter, and
// the counter then goes up; a reply counts only when its number equals the counter, which then
// goes up again. A short reply or a checksum mismatch on a continuation packet is answered once
// with FF and the chunk goes out again as a fresh continuation; timeouts are not retried.
//
// All waits go through the pacing clock (Pacer). QtCore only; slotUpdate blocks the calling
// thread (the coordinator's worker) for the whole update.

#include "hid/hidparse.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class FwUpdate : public QObject
{
    Q_OBJECT
public:
    enum class Target { ApplicationImage, DataFlash };

    // Last packet-level error.
    enum ErrorCode : int { NoError = 0, ShortReply = -1, ChecksumMismatch = -2, Timeout = -3 };

    // Outcome of reading an image file.
    enum class ImageCheck {
        Ok,
        HexFile,    // the extension contains "hex": only raw images are taken
        Unreadable, // missing, a folder, no permission
        TooBig,     // more than the target's room (0x20000 bytes, data flash 0x1000)
        Empty,      // nothing to write
        ShortRead,  // fewer bytes came than the file claims to hold
    };

    static constexpr int kReportLength = 65;   // report id 0 + 64-byte packet
    static constexpr int kPacketLength = 64;
    static constexpr int kFirstChunk = 48;      // image bytes in A0 / C3
    static constexpr int kNextChunk = 56;       // image bytes in a continuation
    static constexpr int kMaxImageSize = 0x20000;
    static constexpr quint32 kDataFlashStart = 0x1F000;
    static constexpr int kMaxDataFlashSize = kMaxImageSize - int(kDataFlashStart);
    static constexpr int kWriteTimeoutMs = 5000;
    static constexpr int kReplyTimeoutMs = 20000;
    static constexpr int kRestartSettleMs = 3000;   // after the restart request
    static constexpr int kBootPollMs = 2000;        // before each look for the boot loader
    static constexpr int kBootPolls = 5;
    static constexpr int kRunSettleMs = 2000;       // after the run packet
    static constexpr int kFinalStepMs = 100;        // after each of 80, 85, .., 100 %
    // A chunk that keeps failing is given up after this many FF resends, so a boot loader that
    // garbles every reply cannot keep the update going for ever.
    static constexpr int kMaxResendsPerChunk = 3;

    enum Command : quint32 {
        CmdContinuation = 0x00,
        CmdUpdateApplication = 0xA0,
        CmdSyncPacketNumber = 0xA4,
        CmdRun = 0xAB,
        CmdUpdateDataFlash = 0xC3,
        CmdResend = 0xFF,
    };

    explicit FwUpdate(QObject *parent = nullptr);
    ~FwUpdate() override; // closes whatever is still open

    // The interface selectors ("VID_vvvv&PID_pppp") of the mouse in normal mode and of the boot
    // loader. Set before slotUpdate; empty or malformed selectors make the update fail.
    void setSelectors(const QString &mouseSelector, const QString &bootSelector);
    QString mouseSelector() const { return m_mouseSelector; }
    QString bootSelector() const { return m_bootSelector; }
    // The selectors for a model code: the model's cable product id and V:0x3000. Returns false
    // (outputs untouched) for a model that is not updated this way (not 7..12 or 14).
    static bool selectorsForModel(int mouseType, QString *mouseSelector, QString *bootSelector);

    // Turns the detailed trace lines of the transfer on or off (off by default).
    void setVerboseTrace(bool on) { m_verbose = on; }
    bool verboseTrace() const { return m_verbose; }

    // Reads and checks an image file for a target. *image receives the bytes on Ok and is left
    // alone otherwise. Touches no device.
    static ImageCheck readImageFile(const QString &path, Target target, QByteArray *image);

    // Opens the boot loader, restarting the mouse into it first when it is not already there.
    // Returns false when neither is present, the restart request cannot be sent, or the boot
    // loader does not show up within 3000 + 5 × 2000 ms.
    bool enterUpdateMode();
    bool isBootLoaderOpen() const { return m_boot != nullptr; }

    // Sends a whole image to the open boot loader: sync, first packet, continuations. Emits
    // sigPercent 0..80 on the way. Returns false without an open boot loader, for an image that
    // is empty or too large for the target, or when a packet or its reply fails (lastError()
    // tells the packet-level cause).
    bool transferImage(const QByteArray &image, Target target);
    // readImageFile + transferImage. Returns false when the file is refused.
    bool transferFile(const QString &path, Target target);
    // Sends the run packet (AB, next packet number) to the open boot loader. Returns false when
    // the boot loader is not open or the write fails.
    bool runApplication();
    // Closes both handles.
    void closeHandles();

    int lastError() const { return m_lastError; }
    quint32 packetNumber() const { return m_packetNo; }
    int goodReplies() const { return m_goodReplies; }

    // The 65-byte report of one packet: report id 0, command and number little-endian, then
    // data, cut to 56 bytes and zero-filled.
    static QByteArray buildReport(quint32 command, quint32 number, const QByteArray &data);
    // The 16-bit sum of the 64 packet bytes of a report (bytes 1..64; missing bytes count 0).
    static quint16 packetChecksum(const QByteArray &report);
    // Progress during the transfer: trunc((sent × 100 div length) × 0.8); 0 for length <= 0.
    static uint transferPercent(int sent, int length);

public Q_SLOTS:
    // Runs a whole update with the image file at path: the file is checked first (nothing is
    // sent for a refused file), then update mode, transfer, run, the final progress steps and
    // sigUpdateResult(true). Every failure ends with sigUpdateResult(false); progress is not
    // reset.
    void slotUpdate(const QString &path);

Q_SIGNALS:
    void sigPercent(uint percent);
    void sigUpdateResult(bool ok);

private:
    void trace(const QString &text) const;
    // readImageFile with the trace line of a refusal.
    bool loadImage(const QString &path, Target target, QByteArray *image) const;
    // Writes one packet report with the current counter, which then goes up.
    bool sendPacket(quint32 command, const QByteArray &data, QByteArray *sent = nullptr);
    bool writeReport(const QByteArray &report);
    bool readReply();

    QString m_mouseSelector;
    QString m_bootSelector;
    std::unique_ptr<HidHandle> m_boot;
    std::unique_ptr<HidHandle> m_mouse;
    bool m_verbose = false;
    quint32 m_packetNo = 1;
    quint16 m_expectedChecksum = 0;
    int m_goodReplies = 0;
    int m_lastError = NoError;
};
