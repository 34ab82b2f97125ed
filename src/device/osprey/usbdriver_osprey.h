#pragma once
// The Osprey family's driver: the feature-report transport. The mouse shows two HID
// collections, a command channel with a 6-byte feature report and a data channel with a
// 1032-byte one (lengths count the report id byte). Each channel is opened twice: a read
// connection for GetFeatureReport and a read/write connection for SetFeatureReport.
//
// On top of the transport sits the family's command set. Short requests go out on the command
// channel; whole profile, macro and data blocks and every reply travel on the data channel:
//
//   status          command  82
//   read profile    command  83 00
//   read macro      command  84 <slot id> 00
//   read data block command  85 80
//   write profile   data     03 00 00 02 00 00 00 + 504 profile bytes (512 bytes passed)
//   write macro     data     04 <slot id> 00 04 00 00 00 + 1024-byte macro block
//   write data      data     05 80 00 04 00 00 00 + 1024 data bytes
//
// A reply carries 6 (the report id), the request code and the request's bytes 1 and 2 echoed;
// the payload starts at byte 8. A status reply holds the profile, macro and data status in
// bytes 2..4 (0 = done) and byte 7 = 1 when the mouse rejects the first status pass.
//
// A macro block is [id, second header byte, 16-bit items little-endian ...]; the items end at
// the first 0x0000 or at the block's end, and a block whose first two bytes are 0 is empty.
// The macro lists of this class hold macros in that form (without padding).
//
// Used by one thread at a time (the coordinator's worker). All waits go through Pacer.

#include "hid/hidconnection.h"
#include "device/falcon/kelvousbdriver.h"

#include <QVector>
#include <memory>

class USBDriver_Osprey : public KelvoUSBDriver
{
    Q_OBJECT
public:
    enum class Channel { Command, Data };

    struct ChannelRecord
    {
        QString productString;
        std::unique_ptr<HidConnection> readHandle;
        std::unique_ptr<HidConnection> readWriteHandle;
        USHORT reportId = 0;
        USHORT reportLength = 0; // 6 command channel, 1032 data channel

        bool isOpen() const { return readHandle && readWriteHandle; }
        void close();
    };

    explicit USBDriver_Osprey(QObject *parent = nullptr);
    ~USBDriver_Osprey() override; // closes the channels

    // Closes first, then walks the present interfaces for the ids given by SetVidPid and opens
    // both channels, in whichever order they are listed. Returns 1 as soon as all four
    // connections are open (the device's bcdDevice is then recorded), 0 when the walk ends
    // without both channels (an interface that cannot be opened is logged and skipped).
    int FindHIDDevice() override;
    // Closes the four connections. Returns 1.
    int UnInitDevice() override;
    // The ids to look for at open. Returns 1.
    int SetVidPid(int pid, int vid) override;

    // 14: replaces the macro area with the list (one macro per entry, block form) and writes
    // block n with slot id n (0x8C + 4n), each confirmed by the macro status. An empty list
    // succeeds without any transfer. Returns 0 before sending anything when the list holds more
    // than 24 macros or an entry is not a whole block form (odd length, fewer than 2 bytes or
    // more than 1024); returns 0 at the first block the mouse does not confirm.
    int WriteMacroList(const QList<QByteArray> &macros) override;
    // 15: writes the 1024-byte data block and waits for the data status. 0 on a null block, a
    // failed transfer or a status that never reaches 0.
    int WriteDataBlock(const BYTE *block) override;
    // 16: reads the 1024-byte data block. 0 on a null buffer, a failed transfer or a reply whose
    // header is not 06 85 80 (the buffer is then left untouched).
    int ReadDataBlock(BYTE *block) override;
    // 17: reads the profile into the cache and copies its first 476 bytes to profile. R0 and R1
    // are taken from every reply whose header is accepted. Returns the profile checksum's
    // verdict (the Lark always passes); 0 as well on a null buffer, a failed transfer or a
    // refused header (profile and cache untouched then).
    int GetProfileData(BYTE *profile) override;
    // 18: puts the 476 bytes over the cache, fills R0, R1 and the trailer through the checksum,
    // sends the cache's first 504 bytes and waits for the profile status. 0 on a null buffer, a
    // failed checksum (nothing sent; the Lark sends anyway), a failed transfer or a status that
    // never reaches 0. The cache keeps the new bytes in every case.
    int SetProfileData(const BYTE *profile) override;

    // 62: reads the first 17 macro slots (0x8C .. 0xCC) and appends each non-empty one, in block
    // form, to macros. 0 at the first slot whose transfer, header or macro status fails
    // (macros then holds what was read before).
    virtual int ReadMacroList(QList<QByteArray> &macros);
    // 63: reads the macro of slot slotId into macro (block form). 0 for an empty slot, a failed
    // transfer, a refused header or a macro status that never reaches 0.
    virtual int ReadMacro(int slotId, QByteArray &macro);
    // 64: the bcdDevice recorded at open (0 before).
    virtual int GetDeviceVersion();
    // 65 / 66: SetFeatureReport / GetFeatureReport after a 100 ms pause.
    virtual int SendFeatureReport(Channel channel, const BYTE *data, int n);
    virtual int FetchFeatureReport(Channel channel, BYTE *out, int n);
    // 67: one feature report on the read/write connection: report id, then the n data bytes,
    // zero-padded to the channel's report length. Returns 0 when the channel is not open, for a
    // null buffer, a negative n or more than length - 1 bytes, or when the transfer fails
    // ("HidD_SetFeature fail: <code>").
    virtual int SetFeatureReport(Channel channel, const BYTE *data, int n);
    // 68: reads the channel's feature report (report id included) on the read connection and
    // copies its first n bytes. Returns 0 when the channel is not open, for a null buffer, n
    // outside 0..length, or when the transfer fails or the report comes back short or with
    // another id ("HidD_GetFeature Failed, Error Code %d").
    virtual int GetFeatureReport(Channel channel, BYTE *out, int n);
    // 69: the same framing as SetFeatureReport, written as an output report.
    virtual int WriteOutputReport(Channel channel, const BYTE *data, int n);
    // 70: reads one input report (at most 1000 ms) and copies its first n bytes.
    virtual int ReadInputReport(Channel channel, BYTE *out, int n);
    // 71: closes the four connections.
    virtual int CloseHandles();
    // 72: the profile checksum over profile[0..480] (at least 481 bytes). Checks that the
    // weighted sum of bytes 1..241, corrected by R1, gives the model's (low, high) pair; on a
    // match writes R0, R1, 0 and the trailer checksum over bytes 242..475 into bytes 476..480
    // and returns true. On a mismatch (or a null buffer) returns false and changes nothing.
    virtual bool ProfileChecksum(BYTE *profile);

    // Asks for the status of one kind of transfer: index 1 profile, 2 macro, 3 data block. Up to
    // four passes 100 ms apart; returns 1 with status = 0 once the mouse reports it done. Returns
    // 0 on a failed transfer, a reply that is not a status reply, a first pass whose byte 7 is 1,
    // an index outside 1..3, or a status still nonzero after the fourth pass (status holds it).
    int GetStatus(BYTE &status, int index);
    // The status after a transfer that takes the mouse settleMs to finish. Described pacing
    // (Pacer::pollPacing): sleeps settleMs, then GetStatus. Adaptive pacing: the first pass at
    // once (a done mouse costs no wait), then waits of 25, 50, 100, 100 ... ms between passes
    // until the waits reach settleMs + 300 ms, the described wait before its fourth pass.
    // The same results as GetStatus.
    int awaitStatus(BYTE &status, int index, int settleMs);
    // Writes one macro (block form) into slot slotId and waits for the macro status. Returns 0
    // before sending for a macro of more than 511 items or that is not a whole block form, and
    // on a failed transfer or status.
    int SetMacroStruct(const QByteArray &macro, int slotId);

    // The model code the checksum and the Lark exception use, given by whoever builds the
    // driver (the manager factory, or the manager that takes it); 0 until then: the default
    // checksum pair.
    void setModelCode(int code) { m_modelCode = code; }
    int modelCode() const { return m_modelCode; }
    // Whether a profile whose checksum does not match is refused: the model row's say (the
    // Lark's is not checked); refused for a code without a model.
    bool checksumEnforced() const;
    // The 1024-byte profile cache (last read, updated by each write).
    const QByteArray &profileCache() const { return m_profileCache; }
    BYTE rememberedR0() const { return m_r0; }
    BYTE rememberedR1() const { return m_r1; }
    // The slot id of the n-th macro: 0x8C + 4n (n in 0..23).
    static int macroSlotId(int n) { return 0x8C + 4 * n; }
    // The (low, high) pair a model's profile checksum must give.
    static void checksumPair(int modelCode, BYTE &low, BYTE &high);
    // The macro of a 1024-byte block in block form: header, then the items up to the first
    // 0x0000; empty for an empty block (first two bytes 0).
    static QByteArray parseMacroBlock(const QByteArray &block);

    bool isOpen() const { return m_command.isOpen() && m_data.isOpen(); }
    const ChannelRecord &channel(Channel c) const { return c == Channel::Data ? m_data : m_command; }
    int wantedVendorId() const { return m_vendorId; }
    int wantedProductId() const { return m_productId; }

    static constexpr int kCommandReportLength = 6;
    static constexpr int kDataReportLength = 1032;
    static constexpr int kInputReadTimeoutMs = 1000;
    static constexpr int kProfileCacheSize = 1024;
    static constexpr int kProfileSize = 476;
    static constexpr int kBlockSize = 1024;
    static constexpr int kMacroSlots = 24;
    static constexpr int kReadMacroSlots = 17;
    static constexpr int kMaxMacroItems = 511;
    static constexpr int kStatusPassMs = 100; // between two status passes (described pacing)

protected:
    ChannelRecord &record(Channel c) { return c == Channel::Data ? m_data : m_command; }
    QByteArray frame(const ChannelRecord &ch, const BYTE *data, int n) const;
    // Sends a command-channel request and fetches the data channel's reply; 1 when the reply
    // starts with 6, the request code and the echoed request bytes (echo bytes of the request
    // after its code, at most two).
    int request(const QByteArray &command, int echo, QByteArray &reply);
    // Sends a 1031-byte block frame (code, argument, length 0x0400) on the data channel.
    int sendBlock(BYTE code, BYTE argument, const QByteArray &block);
    static bool validBlockForm(const QByteArray &macro);

    ChannelRecord m_command;
    ChannelRecord m_data;
    int m_vendorId = 0;
    int m_productId = 0;
    USHORT m_version = 0;
    int m_modelCode = 0;
    QByteArray m_profileCache;
    QVector<QByteArray> m_macroArea;
    int m_macroCount = 0;
    QVector<int> m_macroSlotIds;
    BYTE m_r0 = 0;
    BYTE m_r1 = 0;
};
