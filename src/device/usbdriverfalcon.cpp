#include "usbdriverfalcon.h"

#include "pacer.h"

#include <QDebug>
#include <cstring>

namespace {
constexpr BYTE kReportId = 0xBA;
constexpr int kReportLength = 32;
constexpr USHORT kVendorUsagePage = 0xFF00;

void logLine(const QString &text)
{
    qDebug().noquote() << text;
}
} // namespace

USBDriverFalcon::USBDriverFalcon(QObject *parent) : KelvoUSBDriver(parent) {}

USBDriverFalcon::~USBDriverFalcon()
{
    UnInitDevice();
}

HidDeviceInfo USBDriverFalcon::openInterface() const
{
    return m_device ? m_device->info : HidDeviceInfo();
}

int USBDriverFalcon::FindHIDDevice()
{
    logLine(QStringLiteral("FindHIDDevice"));
    UnInitDevice();
    QString selector;
    switch (m_linkMode) {
    case 0:
        logLine(QStringLiteral("DeviceWiredDefault"));
        selector = m_wiredSelector;
        break;
    case 1:
        logLine(QStringLiteral("DeviceWireless24G"));
        selector = m_wirelessSelector;
        break;
    default:
        logLine(QStringLiteral("DeviceWireless error"));
        return isOpen() ? 1 : 0;
    }
    m_device = OpenHidDevice(kVendorUsagePage, selector);
    return isOpen() ? 1 : 0;
}

int USBDriverFalcon::UnInitDevice()
{
    logLine(QStringLiteral("USBDriverFalcon::UnInitDevice()"));
    if (m_device) {
        m_device.reset();
        logLine(QStringLiteral("UnInitDevice CloseHandle"));
    }
    return 1;
}

int USBDriverFalcon::SetWiredWirelessString(const QString &wired, const QString &wireless)
{
    m_wiredSelector = wired;
    m_wirelessSelector = wireless;
    return 1;
}

int USBDriverFalcon::writeReport(const BYTE *command, int length, bool receiver)
{
    if (!m_device || !command || length < 0 || length > kReportLength - 1)
        return 0;
    QByteArray report(kReportLength, '\0');
    report[0] = char(kReportId);
    if (receiver) {
        std::memcpy(report.data() + 1, command, size_t(length));
    } else {
        report[1] = char(m_linkMode == 0 ? 0xFF : m_linkMode == 1 ? 0xA5 : 0x00);
        // Bytes 2..31 hold 30 command bytes; a 31st byte has no room and is not sent.
        std::memcpy(report.data() + 2, command, size_t(qMin(length, kReportLength - 2)));
    }
    const int written = m_device->connection->writeOutputReport(report);
    if (written != kReportLength) {
        logLine(QString::asprintf("WriteFile Failed, Error Code %d\n", written));
        return 0;
    }
    return 1;
}

int USBDriverFalcon::WriteCommandReport(const BYTE *command, int length)
{
    return writeReport(command, length, false);
}

int USBDriverFalcon::WriteReceiverReport(const BYTE *command, int length)
{
    return writeReport(command, length, true);
}

int USBDriverFalcon::ReadReplyReport(BYTE *reply, int n)
{
    if (!m_device || !reply || n < 0 || n > kReportLength)
        return 0;
    BYTE buffer[kReportLength] = {};
    buffer[0] = kReportId;
    if (!GetInputReport(m_device.get(), buffer, kReportLength)) {
        logLine(QString::asprintf("GetInputReport Failed, Error Code %d\n", -1));
        return 0;
    }
    std::memcpy(reply, buffer, size_t(n));
    return 1;
}

int USBDriverFalcon::PollReply(BYTE *buffer, int readLength)
{
    for (int poll = 0; poll < m_pollCount; ++poll) {
        Pacer::sleepMs(m_pollDelayMs);
        // A reply must carry at least its status byte and fit one report.
        if (!m_device || !buffer || readLength < 1 || readLength > kReportLength)
            continue;
        if (!ReadReplyReport(buffer, readLength))
            continue;
        if (buffer[0] == 0)
            return 0;
        if (buffer[0] == 1)
            return 1;
        // 2 (busy) or a status we do not know: ask again.
    }
    return 2;
}

int USBDriverFalcon::ExchangeCommand(BYTE *buffer, int writeLength, int readLength)
{
    if (!buffer || writeLength < 0)
        return 0;
    const QByteArray command(reinterpret_cast<const char *>(buffer), writeLength);
    buffer[0] = 0;
    for (int attempt = 0; attempt < m_attemptCount; ++attempt) {
        qDebug() << "ReapeatCount:" << attempt << int(buffer[0]) << m_attemptCount;
        const BYTE status = buffer[0];
        if (status == 0) {
            logLine(QString::asprintf("write func: %d", writeLength > 0 ? int(BYTE(command.at(0))) : 0));
            if (!WriteCommandReport(reinterpret_cast<const BYTE *>(command.constData()),
                                    writeLength)) {
                logLine(QStringLiteral("wFunc error"));
                continue;
            }
        } else if (status != 2) {
            continue; // neither "send again" nor "busy": this attempt has nothing to do
        }
        if (PollReply(buffer, readLength) == 1)
            return 1;
    }
    return buffer[0] == 1 ? 1 : 0;
}

int USBDriverFalcon::SendCommandDONGLE(const BYTE *command, int length, BYTE *reply)
{
    if (!WriteReceiverReport(command, length)) {
        logLine(QStringLiteral("SendCommandDONGLE write Failed"));
        return 0;
    }
    for (int i = 0; i < 5; ++i) {
        Pacer::sleepMs(50);
        BYTE answer[2] = {};
        if (ReadReplyReport(answer, 2) && answer[0] == 1) {
            logLine(QStringLiteral("GetCommand ACK == 1 OK"));
            if (reply)
                std::memcpy(reply, answer, 2);
            return 1;
        }
    }
    logLine(QStringLiteral("GetCommand ACK != 1 Failed"));
    return 0;
}
