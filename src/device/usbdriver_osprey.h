#pragma once
// The Osprey family's driver: the feature-report transport. The mouse shows two HID
// collections, a command channel with a 6-byte feature report and a data channel with a
// 1032-byte one (lengths count the report id byte). Each channel is opened twice: a read
// connection for GetFeatureReport and a read/write connection for SetFeatureReport.
//
// Used by one thread at a time (the coordinator's worker). All waits go through Pacer.

#include "hidconnection.h"
#include "kelvousbdriver.h"

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

    bool isOpen() const { return m_command.isOpen() && m_data.isOpen(); }
    const ChannelRecord &channel(Channel c) const { return c == Channel::Data ? m_data : m_command; }
    int wantedVendorId() const { return m_vendorId; }
    int wantedProductId() const { return m_productId; }

    static constexpr int kCommandReportLength = 6;
    static constexpr int kDataReportLength = 1032;
    static constexpr int kInputReadTimeoutMs = 1000;

protected:
    ChannelRecord &record(Channel c) { return c == Channel::Data ? m_data : m_command; }
    QByteArray frame(const ChannelRecord &ch, const BYTE *data, int n) const;

    ChannelRecord m_command;
    ChannelRecord m_data;
    int m_vendorId = 0;
    int m_productId = 0;
    USHORT m_version = 0;
};
