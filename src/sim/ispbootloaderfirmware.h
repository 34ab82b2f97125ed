#pragma once
// Firmware model of the Falcon-family ISP boot loader (vendor V, product 0x3000).
//
// Output and input reports are 65 bytes: report id 0, then a 64-byte ISP packet
//   bytes 0..3 command (little-endian), 4..7 packet number, 8..63 data.
// Every accepted packet is answered with a reply packet whose bytes 0..1 are the 16-bit sum of
// the 64 bytes received and bytes 4..7 the received packet number + 1.
//   A4 sync            data = packet number to continue from
//   A0 / C3 update     data = start address, total length, first 48 bytes (C3: data flash)
//   00 continuation    data = next 56 bytes
//   FF resend          the previous chunk was bad: the write position steps back over it
//   AB run             start the application (the device leaves boot mode)
//
// Faults are armed for a given packet number, so a test can aim at one packet of a transfer.
// All members are thread-safe.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <functional>

class IspBootLoaderFirmware
{
public:
    static constexpr int kReportLength = 65;
    static constexpr quint32 kFlashSize = 0x20000;
    static constexpr quint32 kDataFlashStart = 0x1F000;

    enum Fault {
        ShortReply,     // the reply has only 33 bytes
        WrongChecksum,  // the packet arrives corrupted: its data is stored damaged and the
                        // reply's checksum does not match
        StaleReply,     // a reply with an old packet number comes first, then the real one
        NoReply,        // the packet is taken but never answered
        Vanish,         // the device is gone from this packet on
    };

    // normalProductId: the product id the mouse has in normal mode; productString: the boot
    // loader's product string (it carries the model: "Kite…", "FalconEU…").
    IspBootLoaderFirmware(quint16 normalProductId, const QString &productString);

    quint16 normalProductId() const { return m_normalPid; }
    QString productString() const { return m_productString; }

    bool writeOutputReport(const QByteArray &report);
    // The next pending reply (65 bytes, or 33 for a short one); empty when none is pending.
    QByteArray readInputReport();

    void injectFault(Fault fault, quint32 packetNumber);
    bool vanished() const;

    // The application flash as written so far (kFlashSize bytes, 0xFF where never written).
    QByteArray flash() const;
    QByteArray dataFlash() const;
    quint32 declaredLength() const;   // total length of the last A0/C3
    bool ran() const;                 // AB received
    // The version the new application reports: the last four bytes of the declared image,
    // little-endian (0 when the image is shorter than four bytes).
    quint32 imageVersion() const;

    // Called (outside the lock) when AB arrives, with the written application image.
    void setRunHandler(std::function<void(const QByteArray &image)> handler);

    struct Counters
    {
        int packets = 0;
        int continuations = 0;
        int resends = 0;
        int replies = 0;
    };
    Counters counters() const;

private:
    static quint16 checksum(const QByteArray &packet64);
    void queueReply(const QByteArray &packet, quint32 number, bool corrupt);

    mutable QMutex m_mutex;
    quint16 m_normalPid;
    QString m_productString;
    QByteArray m_flash;
    QByteArray m_dataFlash;
    bool m_toDataFlash = false;
    quint32 m_start = 0;
    quint32 m_length = 0;
    quint32 m_position = 0;  // bytes of the image written so far
    quint32 m_lastChunk = 0;
    bool m_ran = false;
    bool m_vanished = false;
    QList<QPair<Fault, quint32>> m_faults;
    QList<QByteArray> m_pending;
    std::function<void(const QByteArray &)> m_run;
    Counters m_counters;
};
