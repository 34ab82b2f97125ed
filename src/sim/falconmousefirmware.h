#pragma once
// Firmware model of a Falcon/Kite mouse: the command processor behind output/input report 0xBA
// and its flat configuration memory. Written from the protocol documents, independently of the
// driver, so that a driver bug is caught here instead of mirrored.
//
// Wire behaviour modelled:
//   output report (32 bytes): BA, link byte, command bytes (30 at most, zero padded)
//     link byte FF = sent over the cable, A5 = forwarded by the receiver. "BA A8" with A8 in
//     place of the link byte is the restart-into-boot-loader request.
//   input report 0xBA (32 bytes): BA, status, reply bytes; status 1 done, 2 busy, 0 refused.
//
// The model can misbehave on request (busy polls, refusals, dropped replies, vanishing) and
// counts what crosses the wire. All members are thread-safe.

#include <QByteArray>
#include "sim/vanishcounter.h"

#include <QMutex>
#include <QtGlobal>
#include <functional>

class FalconMouseFirmware
{
public:
    // Two profiles, 11 single and 11 list macro areas, OLED pictures from 0x22000 on (16 slots).
    static constexpr quint32 kMemorySize = 0x32000;
    static constexpr quint8 kReportId = 0xBA;
    static constexpr int kReportLength = 32;

    // productId: the cable product id (0x4130, 0x4137, 0x4138, 0x4139, 0x413A, 0x413B, 0x4132).
    // Memory starts from the model's factory profile in both profiles, the product id at
    // 0x0004 (little-endian), active profile 1, firmware version 1.0.0.0.
    explicit FalconMouseFirmware(quint16 productId);

    quint16 productId() const { return m_productId; }
    // Model code of the product id (11 Falcon, 9 FalconC, 10 FalconQ, 7 KiteC, 8 KiteQ,
    // 14 FalconEU, 12 Kite; 0 for an unknown id).
    int modelCode() const;

    // --- wire level -------------------------------------------------------------------------
    // A 32-byte output report from the cable. Returns false when the device has vanished or the
    // report is not a 0xBA report.
    bool writeOutputReport(const QByteArray &report);
    // The current input report 0xBA (32 bytes, status in byte 1). An empty array means no report
    // was delivered (dropped reply or vanished device).
    QByteArray readInputReport();

    // A command forwarded by the receiver (the bytes after the link byte). Queues the reply like
    // a cable command; the receiver fetches it with readInputReport().
    bool forwardedCommand(const QByteArray &command);

    // --- memory and state ---------------------------------------------------------------------
    QByteArray memory(quint32 address, int length) const;   // zero-filled past the end
    void setMemory(quint32 address, const QByteArray &bytes); // clipped at the end
    int activeProfile() const;
    void setActiveProfile(int profile);
    quint32 firmwareVersion() const;                    // byte 1 of the A3 reply is the lowest
    void setFirmwareVersion(quint32 version);
    quint16 statusWordA9() const;
    void setStatusWordA9(quint16 value);
    quint32 powerWord() const;                          // the 0xAA value (battery raw value)
    void setPowerWord(quint32 value);
    int lastAbValue() const;                            // last 0xAB argument, -1 before any

    // The memory and settings as a blob, and back (false, nothing changed, for a foreign blob).
    QByteArray saveState() const;
    bool restoreState(const QByteArray &state);

    // --- misbehaviour -------------------------------------------------------------------------
    // The next command answers "busy" (status 2) for this many polls before its real reply.
    void setBusyPolls(int polls);
    // Every memory write keeps the mouse busy for this many polls (the flash write time).
    void setWriteBusyPolls(int polls);
    // Every memory write keeps the mouse busy for this many milliseconds of pacing-clock time
    // (Pacer::nowMs): polls that arrive earlier are answered "busy". 0 (the default) turns it
    // off. Adds to the poll-counted busy time above.
    void setWriteBusyMs(int ms);
    int writeBusyMs() const;
    // The next n commands are refused with status 0 (nothing executed).
    void refuseCommands(int n);
    // The next n input-report reads deliver nothing.
    void dropReplies(int n);
    // After n more exchanges (writes and reads together) the device is gone; -1 disables.
    void vanishAfter(int exchanges);
    bool vanished() const;
    void setVanished(bool gone);

    // Called (outside the lock) when the restart request arrives, before it is acknowledged.
    void setRestartHandler(std::function<void()> handler);

    // --- traffic ------------------------------------------------------------------------------
    struct Counters
    {
        int outputReports = 0;   // reports written to the mouse (cable or forwarded)
        int inputReports = 0;    // reports read from the mouse (delivered or not)
        int commands = 0;        // commands executed (refused ones included)
        int memoryWrites = 0;    // A5 commands executed successfully
        int memoryReads = 0;     // A4 commands executed successfully
        qint64 bytesOut = 0;
        qint64 bytesIn = 0;
    };
    Counters counters() const;
    void resetCounters();

private:
    void execute(const QByteArray &command); // sets m_reply and m_busy
    static QByteArray factoryProfile(int modelCode);

    mutable QMutex m_mutex;
    quint16 m_productId;
    QByteArray m_memory;
    int m_activeProfile = 1;
    quint32 m_version = 0x00000001;
    quint16 m_a9 = 0;
    quint32 m_power = 0;
    int m_lastAb = -1;

    QByteArray m_reply;  // status + reply bytes of the last command
    int m_busy = 0;      // polls still answered "busy"
    int m_busyNext = 0;
    int m_writeBusy = 0;
    int m_writeBusyMs = 0;
    qint64 m_busyUntilMs = 0; // pacing-clock time before which polls are answered "busy"
    int m_refuse = 0;
    int m_drop = 0;
    VanishCounter m_vanish;
    std::function<void()> m_restart;
    Counters m_counters;
};
