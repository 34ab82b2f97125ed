#include "sim/virtualhiddevice.h"

VirtualHidDevice::VirtualHidDevice(const QList<HidDeviceInfo> &interfaces)
    : m_interfaces(interfaces)
{
}

VirtualHidDevice::~VirtualHidDevice() = default;

QList<HidDeviceInfo> VirtualHidDevice::interfaces() const
{
    QMutexLocker lock(&m_mutex);
    return m_interfaces;
}

int VirtualHidDevice::generation() const
{
    return m_generation.load();
}

void VirtualHidDevice::vanish()
{
    m_vanished = true;
}

void VirtualHidDevice::appear()
{
    QMutexLocker lock(&m_mutex);
    if (m_vanished.exchange(false))
        ++m_generation; // a device that comes back is a new enumeration
    m_vanishAfter = -1;
}

bool VirtualHidDevice::hasVanished() const
{
    return m_vanished.load();
}

void VirtualHidDevice::vanishAfterTransfers(int n)
{
    QMutexLocker lock(&m_mutex);
    m_vanishAfter = n;
    if (n == 0)
        m_vanished = true;
}

void VirtualHidDevice::setProbeFails(int index, bool fails)
{
    QMutexLocker lock(&m_mutex);
    while (m_probeFails.size() <= index)
        m_probeFails.append(false);
    if (index >= 0)
        m_probeFails[index] = fails;
}

void VirtualHidDevice::setOpenFails(int index, bool fails)
{
    QMutexLocker lock(&m_mutex);
    while (m_openFails.size() <= index)
        m_openFails.append(false);
    if (index >= 0)
        m_openFails[index] = fails;
}

bool VirtualHidDevice::probeFails(int index) const
{
    QMutexLocker lock(&m_mutex);
    return m_probeFails.value(index, false);
}

bool VirtualHidDevice::openFails(int index) const
{
    QMutexLocker lock(&m_mutex);
    return m_openFails.value(index, false);
}

VirtualHidDevice::Counters VirtualHidDevice::counters() const
{
    QMutexLocker lock(&m_mutex);
    return m_counters;
}

void VirtualHidDevice::resetCounters()
{
    QMutexLocker lock(&m_mutex);
    m_counters = Counters();
}

bool VirtualHidDevice::reachable(int generation) const
{
    return m_plugged.load() && !m_vanished.load() && generation == m_generation.load();
}

void VirtualHidDevice::setPlugged(bool plugged)
{
    QMutexLocker lock(&m_mutex);
    if (m_plugged.exchange(plugged) != plugged)
        ++m_generation; // unplug, then plug again: old connections stay dead
}

void VirtualHidDevice::reenumerate(const QList<HidDeviceInfo> &interfaces)
{
    QMutexLocker lock(&m_mutex);
    m_interfaces = interfaces;
    m_probeFails.clear();
    m_openFails.clear();
    ++m_generation;
}

int VirtualHidDevice::transfer(Transfer kind, int index, int generation, const QByteArray &in,
                               BYTE reportId, int length, QByteArray *out)
{
    QMutexLocker lock(&m_mutex);
    if (!reachable(generation) || index < 0 || index >= m_interfaces.size())
        return -1;
    QByteArray reply;
    int r = -1;
    switch (kind) {
    case Transfer::OutputReport:
        r = onOutputReport(index, in);
        if (r >= 0) {
            ++m_counters.outputReports;
            m_counters.bytesOut += in.size();
        }
        break;
    case Transfer::SetFeature:
        r = onSetFeatureReport(index, in);
        if (r >= 0) {
            ++m_counters.featureSets;
            m_counters.bytesOut += in.size();
        }
        break;
    case Transfer::ReadInputReport:
        r = onReadInputReport(index, length, &reply);
        break;
    case Transfer::GetInputReport:
        r = onGetInputReport(index, reportId, length, &reply);
        break;
    case Transfer::GetFeature:
        r = onGetFeatureReport(index, reportId, length, &reply);
        break;
    }
    if (kind == Transfer::ReadInputReport || kind == Transfer::GetInputReport
        || kind == Transfer::GetFeature) {
        if (r > 0) {
            // The host never receives more than it asked for.
            reply = reply.left(qMin(r, length));
            r = reply.size();
            m_counters.bytesIn += r;
            if (kind == Transfer::GetFeature)
                ++m_counters.featureGets;
            else
                ++m_counters.inputReports;
        }
        if (out)
            *out = r > 0 ? reply : QByteArray();
    }
    // An interrupt read that found nothing moved nothing over the wire.
    if (kind != Transfer::ReadInputReport || r != 0) {
        ++m_counters.transfers;
        if (m_vanishAfter > 0 && --m_vanishAfter == 0)
            m_vanished = true;
    }
    return r;
}

int VirtualHidDevice::onOutputReport(int, const QByteArray &)
{
    return -1;
}

int VirtualHidDevice::onReadInputReport(int, int, QByteArray *)
{
    return 0;
}

int VirtualHidDevice::onGetInputReport(int, BYTE, int, QByteArray *)
{
    return -1;
}

int VirtualHidDevice::onSetFeatureReport(int, const QByteArray &)
{
    return -1;
}

int VirtualHidDevice::onGetFeatureReport(int, BYTE, int, QByteArray *)
{
    return -1;
}
