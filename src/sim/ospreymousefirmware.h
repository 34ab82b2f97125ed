#pragma once
// Firmware model of an Osprey-family mouse (Swift, Osprey, Wren, SwiftS, WrenS, Lark) and of the
// Heron: one device with two HID collections.
//
//   command channel: feature report id 5, 6 bytes (id + 5 request bytes)
//     82          status request
//     83 00       read profile
//     84 id 00    read macro slot id (0x8C, 0x90, … 0xE8)
//     85 80       read data block
//   data channel: feature report id 6, 1032 bytes
//     set: 03 00 00 02 00 00 00 + 504 profile bytes   write profile
//          04 id  00 04 00 00 00 + 1024 macro bytes   write macro slot
//          05 80  00 04 00 00 00 + 1024 data bytes    write data block
//     get: 06, request code, echoed request bytes 1 and 2, …, payload from byte 8; after a
//          status request: bytes 2..4 = profile, macro and data status (0 = done) and byte 7 =
//          1 when the previous request went wrong.
//
// The profile is 1024 bytes: 0..241 are this unit's identity bytes, chosen so that the
// checksum over them gives the model's pair; 242..475 are the settings (initially the model's
// factory image); 476, 477 carry R0 and R1; 478 is 0; 479, 480 the trailer checksum over
// 242..475. The Osprey-family firmware refuses a profile write whose trailer is wrong; the
// Heron does not check it. All members are thread-safe.

#include <QByteArray>
#include "sim/vanishcounter.h"

#include <QMutex>
#include <QPair>
#include <QtGlobal>

class OspreyMouseFirmware
{
public:
    enum Channel { CommandChannel, DataChannel };
    static constexpr quint8 kCommandReportId = 5;
    static constexpr int kCommandReportLength = 6;
    static constexpr quint8 kDataReportId = 6;
    static constexpr int kDataReportLength = 1032;
    static constexpr int kProfileSize = 1024;
    static constexpr int kMacroSlots = 24;
    static constexpr int kBlockSize = 1024;

    // productId: 0x4118 WrenS, 0x4122 Osprey, 0x4123 Swift, 0x4124 SwiftS, 0x4126 Wren,
    // 0x4161 Heron, 0x4162 Lark.
    explicit OspreyMouseFirmware(quint16 productId);

    quint16 productId() const { return m_productId; }
    int modelCode() const { return m_model; }
    // Model code of a product id, 0 when unknown.
    static int modelCodeOf(quint16 productId);
    // The (low, high) checksum pair a model's identity bytes must give.
    static QPair<quint8, quint8> checksumPair(int modelCode);
    // The 234 settings bytes the model leaves the factory with.
    static QByteArray factorySettings(int modelCode);

    // --- wire level (report id in byte 0) ------------------------------------------------------
    // Returns false when the device is gone or the report is malformed for the channel.
    bool setFeature(Channel channel, const QByteArray &report);
    // Returns the channel's current report (length bytes at most); empty when gone/dropped.
    QByteArray getFeature(Channel channel, int length);

    // --- state ----------------------------------------------------------------------------------
    QByteArray profile() const;                 // the whole 1024-byte profile
    QByteArray settings() const;                // bytes 242..475
    void setSettings(const QByteArray &bytes234); // fixes the trailer
    // R0 and R1 (profile bytes 476, 477); the identity bytes are rebuilt to keep the checksum.
    void setRememberedBytes(quint8 r0, quint8 r1);
    QByteArray macroSlot(int index) const;      // 1024 bytes, index 0..23 (slot id 0x8C + 4i)
    void setMacroSlot(int index, const QByteArray &block);
    QByteArray dataBlock() const;
    void setDataBlock(const QByteArray &block);
    quint16 versionNumber() const { return m_version; }
    void setVersionNumber(quint16 v) { m_version = v; }

    // The profile, macro slots, data block and version as a blob, and back (false, nothing
    // changed, for a foreign blob).
    QByteArray saveState() const;
    bool restoreState(const QByteArray &state);

    // --- misbehaviour ---------------------------------------------------------------------------
    // Status stays "not done" (1) for this many status requests after the next write.
    void setBusyStatusPolls(int polls);
    // The next status reply carries byte 7 = 1.
    void failNextStatusPass();
    // The identity bytes no longer give the model's pair (a corrupted profile).
    void corruptChecksum();
    // After n more exchanges the device is gone; -1 disables.
    void vanishAfter(int exchanges);
    void setVanished(bool gone);
    bool vanished() const;

    struct Counters
    {
        int setReports = 0;
        int getReports = 0;
        int statusRequests = 0;
        int profileWrites = 0;       // accepted
        int profileWritesRefused = 0;
        int macroWrites = 0;
        qint64 bytesOut = 0;
        qint64 bytesIn = 0;
    };
    Counters counters() const;
    void resetCounters();

private:
    void rebuildIdentity();
    void fixTrailer();
    bool trailerValid(const QByteArray &profile) const;
    static int slotIndexOf(quint8 slotId);

    mutable QMutex m_mutex;
    quint16 m_productId;
    int m_model;
    quint16 m_version = 0x0100;
    QByteArray m_profile;
    QByteArray m_macros[kMacroSlots];
    QByteArray m_data;
    QByteArray m_reply;      // current data-channel report
    quint8 m_status[3] = {0, 0, 0};
    int m_busyPolls = 0;
    int m_busyNext = 0;
    bool m_errorFlag = false;
    VanishCounter m_vanish;
    Counters m_counters;
};
