#pragma once
// The Falcon and Kite families' driver: the report-0xBA transport. A command of up to 30 bytes
// travels in a 32-byte output report (report id 0xBA, a link byte, the command); the reply is
// fetched as input report 0xBA whose first data byte is the status: 0 not accepted (send
// again), 1 done, 2 busy (keep polling). The command set builds on ExchangeCommand.
//
// Used by one thread at a time (the coordinator's worker). All waits go through Pacer.

#include "hidparse.h"
#include "kelvousbdriver.h"

#include <memory>

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

    // Pacing of ExchangeCommand: sleep before each poll, polls per attempt, attempts.
    int pollDelayMs() const { return m_pollDelayMs; }
    int pollCount() const { return m_pollCount; }
    int attemptCount() const { return m_attemptCount; }

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
    // attempts of up to 25 polls, 10 ms before each poll; a busy reply is polled again without
    // sending again, a status 0 reply makes the next attempt send again. Returns 1 when a poll
    // saw status 1, else 0.
    int ExchangeCommand(BYTE *buffer, int writeLength, int readLength);
    // One attempt's polling: returns 1 (status 1 seen), 0 (status 0 seen) or 2 (no answer in
    // 25 polls: busy, unknown status, failed reads).
    int PollReply(BYTE *buffer, int readLength);
    // A command for the receiver itself: written with WriteReceiverReport, then up to 5 reads
    // of a 2-byte reply 50 ms apart; acknowledged when reply byte 0 is 1. The 2 reply bytes are
    // copied to reply (when given) on success. Returns 1 when acknowledged, else 0.
    int SendCommandDONGLE(const BYTE *command, int length, BYTE *reply = nullptr);

protected:
    int writeReport(const BYTE *command, int length, bool receiver);

    std::unique_ptr<HidHandle> m_device;
    int m_linkMode = 1;
    QString m_wiredSelector;
    QString m_wirelessSelector;
    int m_pollDelayMs = 10;
    int m_pollCount = 25;
    int m_attemptCount = 4;
    BYTE m_currentProfile = 0; // last profile index read from the mouse
};
