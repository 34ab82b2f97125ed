#pragma once
// The virtual HID bus: a HidBackend whose devices are emulators. Devices are plugged and
// unplugged at run time from any thread while other threads enumerate and talk to them.
//
// Paths look like "sim:7.2/1" (device 7, its enumeration generation 2, interface 1), so a
// device that re-enumerates (boot loader <-> mouse) or is plugged again shows up under new
// paths and connections to the old ones fail, as on a real bus.
//
// Wire time: an optional cost model gives each transfer a duration that advances the virtual
// pacing clock (nothing happens under the real clock). An interrupt read that has nothing to
// deliver advances the virtual clock by its timeout instead of waiting.

#include "hid/hidbackend.h"
#include "sim/virtualhiddevice.h"

#include <QMap>
#include <QMutex>
#include <atomic>
#include <functional>
#include <memory>

class VirtualHidBus final : public HidBackend
{
public:
    // Milliseconds one transfer of `bytes` bytes (report id included) takes on the wire.
    using CostModel = std::function<int(VirtualHidDevice::Transfer kind, int bytes)>;

    VirtualHidBus();
    ~VirtualHidBus() override; // unplugs everything; open connections then fail

    // Plugs a device in (a device sits on one bus at a time). Returns its bus id (> 0), or 0
    // for a null device or one already plugged somewhere.
    int plug(std::shared_ptr<VirtualHidDevice> device);
    // Pulls a device out. Returns false when it was not plugged here.
    bool unplug(int id);
    bool unplug(const VirtualHidDevice *device);
    void unplugAll();
    // The plugged devices, in plug order.
    QList<std::shared_ptr<VirtualHidDevice>> devices() const;
    int deviceCount() const;

    // Makes the next `n` enumerations fail (the system could not list the devices).
    void failNextEnumerations(int n);

    void setCostModel(CostModel model);
    // USB full speed: 1 ms per started 64 bytes, at least 1 ms per transfer.
    static int fullSpeedCost(VirtualHidDevice::Transfer kind, int bytes);

    // Traffic over all devices since construction or resetCounters().
    qint64 transfers() const { return m_wire->transfers.load(); }
    qint64 bytesOut() const { return m_wire->bytesOut.load(); }
    qint64 bytesIn() const { return m_wire->bytesIn.load(); }
    int enumerations() const { return m_enumerations.load(); }
    void resetCounters();

    bool enumerate(QList<HidDeviceInfo> *out) override;
    bool probe(const QString &path) override;

    // What the bus's connections share with it (and keep alive should they outlive the bus):
    // the cost model and the traffic counters.
    struct Wire
    {
        // Runs one transfer on the device and charges its wire time.
        int run(VirtualHidDevice &device, VirtualHidDevice::Transfer kind, int index,
                int generation, const QByteArray &in, BYTE reportId, int length,
                QByteArray *out, int timeoutMs);

        QMutex mutex; // guards cost
        CostModel cost;
        std::atomic<qint64> transfers{0};
        std::atomic<qint64> bytesOut{0};
        std::atomic<qint64> bytesIn{0};
    };

protected:
    std::unique_ptr<HidConnection> openPath(const QString &path) override;

private:
    struct Address
    {
        int id = 0;
        int generation = 0;
        int index = 0;
    };
    static bool parsePath(const QString &path, Address *address);
    std::shared_ptr<VirtualHidDevice> deviceFor(const Address &address) const;

    mutable QMutex m_mutex; // guards the device map and the enumeration fault
    QMap<int, std::shared_ptr<VirtualHidDevice>> m_devices;
    int m_nextId = 1;
    int m_failEnumerations = 0;
    std::shared_ptr<Wire> m_wire;
    std::atomic<int> m_enumerations{0};
};
