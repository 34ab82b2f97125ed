#include "sim/ospreymousedevice.h"

#include "sim/stubhiddevice.h"

namespace {
constexpr int kCommandInterface = 1;
constexpr int kDataInterface = 2;

OspreyMouseFirmware::Channel channelOf(int index)
{
    return index == kCommandInterface ? OspreyMouseFirmware::CommandChannel
                                      : OspreyMouseFirmware::DataChannel;
}
} // namespace

OspreyMouseDevice::OspreyMouseDevice(USHORT productId)
    : VirtualHidDevice(StubHidDevice::productInterfaces(productId)), m_firmware(productId)
{
}

int OspreyMouseDevice::onSetFeatureReport(int index, const QByteArray &report)
{
    if (index != kCommandInterface && index != kDataInterface)
        return -1;
    return m_firmware.setFeature(channelOf(index), report) ? report.size() : -1;
}

int OspreyMouseDevice::onGetFeatureReport(int index, BYTE reportId, int length, QByteArray *report)
{
    if (index != kCommandInterface && index != kDataInterface)
        return -1;
    const BYTE expected = index == kCommandInterface ? OspreyMouseFirmware::kCommandReportId
                                                     : OspreyMouseFirmware::kDataReportId;
    if (reportId != expected)
        return -1;
    const QByteArray in = m_firmware.getFeature(channelOf(index), length);
    if (in.isEmpty())
        return -1;
    *report = in;
    return report->size();
}

QByteArray OspreyMouseDevice::saveState() const
{
    return m_firmware.saveState();
}

bool OspreyMouseDevice::restoreState(const QByteArray &state)
{
    return m_firmware.restoreState(state);
}
