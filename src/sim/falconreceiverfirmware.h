#pragma once
// Firmware model of a Falcon-family 2.4 GHz receiver.
//
// Output report 0xBA, 32 bytes:
//   BA A5 <command…>  forwards the command to the paired mouse; its reply is fetched with the
//                     next input report (no mouse paired: status 0).
//   BA A0 81          enter pairing mode; acknowledged [1, 0].
//   BA A1 8F r0..r3   store the radio address r (little-endian); acknowledged [1, 0].
//   BA A1 xx          other A1 requests (the driver's reset after a mismatch) are acknowledged.
//   BA A7             work mode: [1, mode]; mode 0 = normal operation (pairing finished),
//                     1 = waiting for a mouse.
// A mouse is paired when the user switches it on while the receiver waits with an address set.

#include <QByteArray>
#include "sim/vanishcounter.h"

#include <QMutex>
#include <QtGlobal>

class FalconMouseFirmware;

class FalconReceiverFirmware
{
public:
    static constexpr int kReportLength = 32;

    explicit FalconReceiverFirmware(quint16 productId);

    quint16 productId() const { return m_productId; }

    // Factory pairing (the mouse sold with the receiver). The mouse is not owned and must
    // outlive the pairing; nullptr unpairs.
    void pairWith(FalconMouseFirmware *mouse);
    FalconMouseFirmware *pairedMouse() const;

    // The user switches a mouse on: while waiting for a mouse with an address set, the receiver
    // pairs with it and returns to mode 0. Returns whether pairing completed.
    bool switchMouseOn(FalconMouseFirmware *mouse);

    int workMode() const;
    bool pairingMode() const;
    quint32 radioAddress() const;

    bool writeOutputReport(const QByteArray &report);
    QByteArray readInputReport();

    void vanishAfter(int exchanges); // -1 disables
    void setVanished(bool gone);
    bool vanished() const;
    // The next n receiver commands are not acknowledged (status 0).
    void refuseCommands(int n);

    struct Counters
    {
        int outputReports = 0;
        int inputReports = 0;
        int receiverCommands = 0;
        int forwarded = 0;
    };
    Counters counters() const;

private:

    mutable QMutex m_mutex;
    quint16 m_productId;
    FalconMouseFirmware *m_mouse = nullptr;
    bool m_waiting = false;
    bool m_addressSet = false;
    quint32 m_address = 0;
    bool m_lastForwarded = false;
    QByteArray m_reply;
    VanishCounter m_vanish;
    int m_refuse = 0;
    Counters m_counters;
};
