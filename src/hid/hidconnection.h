#pragma once
// One open HID interface. All reports are whole reports with the report id in byte 0 (0 for an
// interface without numbered reports), the convention of hidapi and of the Windows HID calls.
//
// Every transfer returns the number of bytes moved, or -1 when the transfer failed (device
// removed, interface closed, report refused). A connection is used by one thread at a time.

#include "common/qktypes.h"

#include <QByteArray>
#include <QString>

class HidConnection
{
public:
    enum class ReportKind { Output, Input, Feature };

    virtual ~HidConnection() = default;

    // Writes one output report (report id in byte 0). Returns bytes written or -1.
    virtual int writeOutputReport(const QByteArray &report) = 0;
    // Reads the next input report that the device sends on its own (interrupt pipe), waiting at
    // most timeoutMs (0 = do not wait). Returns its length with *report filled, 0 when nothing
    // arrived in time, -1 on failure.
    virtual int readInputReport(QByteArray *report, int maxLength, int timeoutMs) = 0;
    // Asks the device for input report `reportId` (control transfer). *report receives the
    // report, id included, at most `length` bytes. Returns its length or -1.
    virtual int getInputReport(BYTE reportId, int length, QByteArray *report) = 0;
    // Sends one feature report (report id in byte 0). Returns bytes sent or -1.
    virtual int setFeatureReport(const QByteArray &report) = 0;
    // Reads feature report `reportId`, at most `length` bytes, id included. Returns length or -1.
    virtual int getFeatureReport(BYTE reportId, int length, QByteArray *report) = 0;

    // The path this connection was opened on.
    virtual QString path() const = 0;
    // Text of the last failure (for log lines only).
    virtual QString lastError() const = 0;
};
