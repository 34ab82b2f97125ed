#include "sim/virtualhidbus.h"

#include "common/pacer.h"
#include "sim/virtualhidconnection.h"

#include <QRegularExpression>

VirtualHidBus::VirtualHidBus() : m_wire(std::make_shared<Wire>()) {}

VirtualHidBus::~VirtualHidBus()
{
    unplugAll();
}

int VirtualHidBus::plug(std::shared_ptr<VirtualHidDevice> device)
{
    if (!device)
        return 0;
    QMutexLocker lock(&m_mutex);
    if (device->m_plugged.load())
        return 0;
    const int id = m_nextId++;
    device->setPlugged(true);
    m_devices.insert(id, std::move(device));
    return id;
}

bool VirtualHidBus::unplug(int id)
{
    std::shared_ptr<VirtualHidDevice> device;
    {
        QMutexLocker lock(&m_mutex);
        device = m_devices.take(id);
    }
    if (!device)
        return false;
    device->setPlugged(false);
    return true;
}

bool VirtualHidBus::unplug(const VirtualHidDevice *device)
{
    int id = 0;
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it) {
            if (it.value().get() == device) {
                id = it.key();
                break;
            }
        }
    }
    return id != 0 && unplug(id);
}

void VirtualHidBus::unplugAll()
{
    QMap<int, std::shared_ptr<VirtualHidDevice>> devices;
    {
        QMutexLocker lock(&m_mutex);
        devices.swap(m_devices);
    }
    for (const auto &d : qAsConst(devices))
        d->setPlugged(false);
}

QList<std::shared_ptr<VirtualHidDevice>> VirtualHidBus::devices() const
{
    QMutexLocker lock(&m_mutex);
    return m_devices.values();
}

int VirtualHidBus::deviceCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_devices.size();
}

void VirtualHidBus::failNextEnumerations(int n)
{
    QMutexLocker lock(&m_mutex);
    m_failEnumerations = qMax(0, n);
}

void VirtualHidBus::setCostModel(CostModel model)
{
    QMutexLocker lock(&m_wire->mutex);
    m_wire->cost = std::move(model);
}

int VirtualHidBus::fullSpeedCost(VirtualHidDevice::Transfer, int bytes)
{
    return qMax(1, (bytes + 63) / 64);
}

void VirtualHidBus::resetCounters()
{
    m_wire->transfers = 0;
    m_wire->bytesOut = 0;
    m_wire->bytesIn = 0;
    m_enumerations = 0;
}

bool VirtualHidBus::enumerate(QList<HidDeviceInfo> *out)
{
    out->clear();
    ++m_enumerations;
    QMap<int, std::shared_ptr<VirtualHidDevice>> devices;
    {
        QMutexLocker lock(&m_mutex);
        if (m_failEnumerations > 0) {
            --m_failEnumerations;
            return false;
        }
        devices = m_devices;
    }
    // Ask the devices without the bus lock: a device's handler may plug or unplug meanwhile.
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        const VirtualHidDevice &d = *it.value();
        if (d.hasVanished())
            continue;
        const int generation = d.generation();
        const QList<HidDeviceInfo> interfaces = d.interfaces();
        for (int i = 0; i < interfaces.size(); ++i) {
            HidDeviceInfo info = interfaces.at(i);
            info.path = QStringLiteral("sim:%1.%2/%3").arg(it.key()).arg(generation).arg(i);
            out->append(info);
        }
    }
    return true;
}

bool VirtualHidBus::parsePath(const QString &path, Address *address)
{
    static const QRegularExpression re(QStringLiteral("^sim:(\\d+)\\.(\\d+)/(\\d+)$"));
    const QRegularExpressionMatch m = re.match(path);
    if (!m.hasMatch())
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    address->id = m.captured(1).toInt(&ok1);
    address->generation = m.captured(2).toInt(&ok2);
    address->index = m.captured(3).toInt(&ok3);
    return ok1 && ok2 && ok3;
}

std::shared_ptr<VirtualHidDevice> VirtualHidBus::deviceFor(const Address &address) const
{
    std::shared_ptr<VirtualHidDevice> device;
    {
        QMutexLocker lock(&m_mutex);
        device = m_devices.value(address.id);
    }
    if (!device || !device->reachable(address.generation)
        || address.index >= device->interfaces().size())
        return nullptr;
    return device;
}

bool VirtualHidBus::probe(const QString &path)
{
    Address a;
    if (!parsePath(path, &a))
        return false;
    const auto device = deviceFor(a);
    return device && !device->probeFails(a.index);
}

std::unique_ptr<HidConnection> VirtualHidBus::openPath(const QString &path)
{
    Address a;
    if (!parsePath(path, &a))
        return nullptr;
    auto device = deviceFor(a);
    if (!device || device->openFails(a.index))
        return nullptr;
    return std::make_unique<VirtualHidConnection>(m_wire, std::move(device), a.index,
                                                  a.generation, path);
}

int VirtualHidBus::Wire::run(VirtualHidDevice &device, VirtualHidDevice::Transfer kind,
                             int index, int generation, const QByteArray &in, BYTE reportId,
                             int length, QByteArray *out, int timeoutMs)
{
    using T = VirtualHidDevice::Transfer;
    const int r = device.transfer(kind, index, generation, in, reportId, length, out);
    VirtualClock *clock = Pacer::virtualClock();
    if (kind == T::ReadInputReport && r == 0) {
        // Nothing to deliver: the host would have waited out its timeout.
        if (clock)
            clock->advanceMs(timeoutMs);
        else
            Pacer::sleepMs(timeoutMs);
        return 0;
    }
    if (r < 0 && !device.reachable(generation))
        return r; // nothing went over the wire
    ++transfers;
    const bool hostToDevice = kind == T::OutputReport || kind == T::SetFeature;
    const int bytes = hostToDevice ? in.size() : qMax(r, 1);
    if (r >= 0) {
        if (hostToDevice)
            bytesOut += in.size();
        else
            bytesIn += r;
    }
    CostModel model;
    {
        QMutexLocker lock(&mutex);
        model = cost;
    }
    if (model && clock)
        clock->advanceMs(model(kind, bytes));
    return r;
}
