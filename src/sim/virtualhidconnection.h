#pragma once
// A connection to one interface of a device on the virtual bus. It keeps the device alive but
// stops reaching it once the device is unplugged, vanishes or re-enumerates.

#include "hid/hidconnection.h"
#include "sim/virtualhidbus.h"

#include <memory>

class VirtualHidConnection final : public HidConnection
{
public:
    VirtualHidConnection(std::shared_ptr<VirtualHidBus::Wire> wire, std::shared_ptr<VirtualHidDevice> device, int index,
                         int generation, const QString &path);

    int writeOutputReport(const QByteArray &report) override;
    int readInputReport(QByteArray *report, int maxLength, int timeoutMs) override;
    int getInputReport(BYTE reportId, int length, QByteArray *report) override;
    int setFeatureReport(const QByteArray &report) override;
    int getFeatureReport(BYTE reportId, int length, QByteArray *report) override;
    QString path() const override { return m_path; }
    QString lastError() const override { return m_lastError; }

private:
    int run(VirtualHidDevice::Transfer kind, const QByteArray &in, BYTE reportId, int length,
            QByteArray *out, int timeoutMs = 0);

    std::shared_ptr<VirtualHidBus::Wire> m_wire;
    std::shared_ptr<VirtualHidDevice> m_device;
    int m_index;
    int m_generation;
    QString m_path;
    QString m_lastError;
};
