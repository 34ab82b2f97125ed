#include "hid/hidparse.h"

#include "hid/hidbackend.h"

#include <QDebug>
#include <QRegularExpression>
#include <cstring>

namespace {
// A Falcon input report when the interface does not state its length: id + 31 data bytes.
constexpr int kDefaultInputReportLength = 32;

bool matches(const HidDeviceInfo &info, const HidSelector &s)
{
    return info.vendorId == s.vendorId && info.productId == s.productId;
}
} // namespace

std::optional<HidSelector> parseHidSelector(const QString &selector)
{
    static const QRegularExpression re(
        QStringLiteral("VID_([0-9A-F]{4})&PID_([0-9A-F]{4})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(selector);
    if (!m.hasMatch())
        return std::nullopt;
    HidSelector s;
    s.vendorId = USHORT(m.captured(1).toUInt(nullptr, 16));
    s.productId = USHORT(m.captured(2).toUInt(nullptr, 16));
    return s;
}

std::unique_ptr<HidHandle> OpenHidDevice(USHORT usagePage, const QString &selector)
{
    const auto wanted = parseHidSelector(selector);
    if (!wanted)
        return nullptr;
    HidBackend &backend = HidBackend::current();
    QList<HidDeviceInfo> interfaces;
    if (!backend.enumerate(&interfaces))
        return nullptr;
    for (const HidDeviceInfo &info : qAsConst(interfaces)) {
        if (!matches(info, *wanted) || (usagePage != 0 && info.usagePage != usagePage))
            continue;
        std::unique_ptr<HidConnection> c = backend.open(info.path);
        if (!c) {
            qDebug() << "OpenHidDevice: cannot open" << info.path;
            continue;
        }
        auto handle = std::make_unique<HidHandle>();
        handle->info = info;
        handle->connection = std::move(c);
        return handle;
    }
    return nullptr;
}

bool GetInputReport(HidHandle *handle, BYTE *buffer, int length)
{
    if (!handle || !handle->connection || !buffer || length < 1)
        return false;
    const BYTE reportId = buffer[0];
    const int expected = handle->info.inputReportLength > 0 ? handle->info.inputReportLength
                                                            : kDefaultInputReportLength;
    QByteArray reply;
    const int r = handle->connection->getInputReport(reportId, expected, &reply);
    if (r != expected || reply.size() != expected || BYTE(reply.at(0)) != reportId)
        return false; // gone, short, long or another report: not a reply we can trust
    std::memset(buffer, 0, size_t(length));
    const int n = qMin(length, expected - 1);
    std::memcpy(buffer, reply.constData() + 1, size_t(n));
    return true;
}

bool FindHidDevice(const QString &selector)
{
    const auto wanted = parseHidSelector(selector);
    if (!wanted)
        return false;
    QList<HidDeviceInfo> interfaces;
    if (!HidBackend::current().enumerate(&interfaces))
        return false;
    for (const HidDeviceInfo &info : qAsConst(interfaces)) {
        if (matches(info, *wanted))
            return true;
    }
    return false;
}
