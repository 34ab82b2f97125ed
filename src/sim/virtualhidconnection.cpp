#include "sim/virtualhidconnection.h"

VirtualHidConnection::VirtualHidConnection(std::shared_ptr<VirtualHidBus::Wire> wire,
                                           std::shared_ptr<VirtualHidDevice> device, int index,
                                           int generation, const QString &path)
    : m_wire(std::move(wire)), m_device(std::move(device)), m_index(index), m_generation(generation),
      m_path(path)
{
}

int VirtualHidConnection::run(VirtualHidDevice::Transfer kind, const QByteArray &in,
                              BYTE reportId, int length, QByteArray *out, int timeoutMs)
{
    const int r = m_wire->run(*m_device, kind, m_index, m_generation, in, reportId, length, out,
                             timeoutMs);
    if (r < 0)
        m_lastError = m_device->reachable(m_generation) ? QStringLiteral("refused by device")
                                                        : QStringLiteral("device removed");
    else
        m_lastError.clear();
    return r;
}

int VirtualHidConnection::writeOutputReport(const QByteArray &report)
{
    if (report.isEmpty())
        return -1;
    return run(VirtualHidDevice::Transfer::OutputReport, report, BYTE(report.at(0)),
               report.size(), nullptr);
}

int VirtualHidConnection::readInputReport(QByteArray *report, int maxLength, int timeoutMs)
{
    if (maxLength <= 0)
        return -1;
    QByteArray got;
    const int r = run(VirtualHidDevice::Transfer::ReadInputReport, QByteArray(), 0, maxLength,
                      &got, qMax(0, timeoutMs));
    if (report)
        *report = got;
    return r;
}

int VirtualHidConnection::getInputReport(BYTE reportId, int length, QByteArray *report)
{
    if (length <= 0)
        return -1;
    QByteArray got;
    const int r = run(VirtualHidDevice::Transfer::GetInputReport, QByteArray(), reportId, length,
                      &got);
    if (report)
        *report = got;
    return r;
}

int VirtualHidConnection::setFeatureReport(const QByteArray &report)
{
    if (report.isEmpty())
        return -1;
    return run(VirtualHidDevice::Transfer::SetFeature, report, BYTE(report.at(0)),
               report.size(), nullptr);
}

int VirtualHidConnection::getFeatureReport(BYTE reportId, int length, QByteArray *report)
{
    if (length <= 0)
        return -1;
    QByteArray got;
    const int r = run(VirtualHidDevice::Transfer::GetFeature, QByteArray(), reportId, length,
                      &got);
    if (report)
        *report = got;
    return r;
}
