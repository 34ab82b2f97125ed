#include "usbdriver_osprey.h"

#include "hidbackend.h"
#include "hidenumeration.h"
#include "pacer.h"

#include <QDebug>
#include <cstring>

namespace {
void logLine(const QString &text)
{
    qDebug().noquote() << text;
}
} // namespace

void USBDriver_Osprey::ChannelRecord::close()
{
    readHandle.reset();
    readWriteHandle.reset();
}

USBDriver_Osprey::USBDriver_Osprey(QObject *parent) : KelvoUSBDriver(parent) {}

USBDriver_Osprey::~USBDriver_Osprey()
{
    CloseHandles();
}

int USBDriver_Osprey::SetVidPid(int pid, int vid)
{
    m_productId = pid;
    m_vendorId = vid;
    return 1;
}

int USBDriver_Osprey::UnInitDevice()
{
    return CloseHandles();
}

int USBDriver_Osprey::CloseHandles()
{
    m_command.close();
    m_data.close();
    return 1;
}

int USBDriver_Osprey::GetDeviceVersion()
{
    return m_version;
}

int USBDriver_Osprey::FindHIDDevice()
{
    CloseHandles();
    HidBackend &backend = HidBackend::current();
    bool opened = false;
    HidEnumeration::run(
        backend, QStringLiteral("USBDriver_Osprey FindHIDDevice INVALID_HANDLE_VALUE"),
        [&](const HidDeviceInfo &info) {
            qDebug() << "name:" << info.productString;
            logLine(QString::asprintf("Attributes: %x %x %x %x", info.vendorId, info.productId,
                                      m_vendorId, m_productId));
            if (info.vendorId != m_vendorId || info.productId != m_productId)
                return true;

            qDebug() << "Usage:" << info.usage << "UsagePage:" << info.usagePage;
            qDebug() << "Feature report:" << info.featureReportId
                     << "FeatureReportByteLength:" << info.featureReportLength;
            qDebug() << "NumberInputValueCaps" << (info.inputReportLength > 0 ? 1 : 0)
                     << "InputReportByteLength:" << info.inputReportLength;
            qDebug() << "NumberOutputValueCaps" << (info.outputReportLength > 0 ? 1 : 0)
                     << "OutputReportByteLength:" << info.outputReportLength;
            if (info.featureReportLength == 0) {
                logLine(QStringLiteral("NumberFeatureValueCaps == 0"));
                return true;
            }
            if (info.usage != 1 && info.usagePage != 0xFF00) {
                logLine(QStringLiteral("Usage  UsagePage  error"));
                return true;
            }
            if (info.usage == 1 && info.usagePage == 0xFF00) {
                logLine(QString::asprintf("out Usage: %x, UsagePage: %x", info.usage,
                                          info.usagePage));
                logLine(QString::asprintf("out  report id:%x count:%x", info.featureReportId,
                                          info.featureReportLength - 1));
            }

            std::unique_ptr<HidConnection> readHandle = backend.open(info.path);
            std::unique_ptr<HidConnection> readWriteHandle = backend.open(info.path);
            if (!readHandle || !readWriteHandle) {
                qDebug() << "USBDriver_Osprey: cannot open" << info.path;
                return true; // both close as they go out of scope
            }
            ChannelRecord *ch = nullptr;
            if (info.featureReportLength == kDataReportLength)
                ch = &m_data;
            else if (info.featureReportLength == kCommandReportLength)
                ch = &m_command;
            if (!ch)
                return true;
            ch->readHandle = std::move(readHandle);
            ch->readWriteHandle = std::move(readWriteHandle);
            ch->reportId = info.featureReportId;
            ch->reportLength = USHORT(info.featureReportLength);
            ch->productString = info.productString;
            if (isOpen()) {
                m_version = info.releaseNumber;
                opened = true;
                return false;
            }
            return true;
        });
    if (!opened)
        CloseHandles(); // one channel alone is no use; do not keep it open
    return opened ? 1 : 0;
}

QByteArray USBDriver_Osprey::frame(const ChannelRecord &ch, const BYTE *data, int n) const
{
    QByteArray buffer(ch.reportLength, '\0');
    buffer[0] = char(ch.reportId & 0xFF);
    if (n > 0)
        std::memcpy(buffer.data() + 1, data, size_t(n));
    return buffer;
}

int USBDriver_Osprey::SetFeatureReport(Channel channel, const BYTE *data, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readWriteHandle || ch.reportLength < 1 || (!data && n > 0) || n < 0
        || n > ch.reportLength - 1) {
        logLine(QStringLiteral("HidD_SetFeature fail: ") + QString::number(-1));
        return 0;
    }
    const QByteArray report = frame(ch, data, n);
    const int r = ch.readWriteHandle->setFeatureReport(report);
    if (r != report.size()) {
        logLine(QStringLiteral("HidD_SetFeature fail: ") + QString::number(r));
        return 0;
    }
    return 1;
}

int USBDriver_Osprey::GetFeatureReport(Channel channel, BYTE *out, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readHandle || !out || n < 0 || n > ch.reportLength) {
        logLine(QString::asprintf("HidD_GetFeature Failed, Error Code %d\n", -1));
        return 0;
    }
    QByteArray report;
    const int r = ch.readHandle->getFeatureReport(BYTE(ch.reportId), ch.reportLength, &report);
    // A short report would hand zeros over as data: treat it as the failure it is.
    if (r != ch.reportLength || report.size() != ch.reportLength
        || BYTE(report.at(0)) != BYTE(ch.reportId)) {
        logLine(QString::asprintf("HidD_GetFeature Failed, Error Code %d\n", r));
        return 0;
    }
    std::memcpy(out, report.constData(), size_t(n));
    return 1;
}

int USBDriver_Osprey::SendFeatureReport(Channel channel, const BYTE *data, int n)
{
    Pacer::sleepMs(100);
    return SetFeatureReport(channel, data, n);
}

int USBDriver_Osprey::FetchFeatureReport(Channel channel, BYTE *out, int n)
{
    Pacer::sleepMs(100);
    return GetFeatureReport(channel, out, n);
}

int USBDriver_Osprey::WriteOutputReport(Channel channel, const BYTE *data, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readWriteHandle || ch.reportLength < 1 || (!data && n > 0) || n < 0
        || n > ch.reportLength - 1) {
        logLine(QString::asprintf("WriteFile Failed, Error Code %d\n", -1));
        return 0;
    }
    const QByteArray report = frame(ch, data, n);
    const int r = ch.readWriteHandle->writeOutputReport(report);
    if (r != report.size()) {
        logLine(QString::asprintf("WriteFile Failed, Error Code %d\n", r));
        return 0;
    }
    return 1;
}

int USBDriver_Osprey::ReadInputReport(Channel channel, BYTE *out, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readHandle || !out || n < 0 || n > ch.reportLength) {
        logLine(QString::asprintf("HidD_GetInputReport Failed, Error Code %d\n", -1));
        return 0;
    }
    QByteArray report;
    // The Windows read blocked until a report came; a bounded wait keeps a silent or removed
    // device from hanging the coordinator.
    const int r = ch.readHandle->readInputReport(&report, ch.reportLength, kInputReadTimeoutMs);
    if (r <= 0) {
        logLine(QString::asprintf("HidD_GetInputReport Failed, Error Code %d\n", r));
        return 0;
    }
    QByteArray padded = report.left(ch.reportLength);
    padded.append(QByteArray(ch.reportLength - padded.size(), '\0'));
    std::memcpy(out, padded.constData(), size_t(n));
    return 1;
}
