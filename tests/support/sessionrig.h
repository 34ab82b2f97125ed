#pragma once
// A device session on its threads over a virtual bus, for one test: a temporary application
// folder, the virtual pacing clock and the virtual bus installed as the HID backend for the
// rig's lifetime, and simulated devices plugged by their demonstration names ("kitec",
// "kitec-receiver", "osprey", "heron", ...; see sim/simulation.h).
//
// The session does not open what is plugged by itself (autoOpen off, watcher not started):
// tests open through the request API, or call startWatching() for the presence path.

#include "session/devicesession.h"
#include "support/busrig.h"

#include <memory>

class SessionRig : private BusRig
{
public:
    // factory: the coordinator's manager factory (the real managers when empty).
    explicit SessionRig(DCDataHandle::ManagerFactory factory = {});
    ~SessionRig();
    SessionRig(const SessionRig &) = delete;
    SessionRig &operator=(const SessionRig &) = delete;

    TempHome &home() { return BusRig::home; }
    VirtualClock &clock() { return BusRig::clock(); }
    VirtualHidBus &bus() { return BusRig::bus; }
    DeviceSession &session() { return *m_session; }
    DCDataHandle *coordinator() const { return m_session->coordinator(); }
    const DeviceState &state() const { return m_session->state(); }

    // Creates the named device and plugs it in; nullptr (nothing plugged) for an unknown name
    // or a device of another class than T.
    template <typename T = VirtualHidDevice>
    std::shared_ptr<T> plug(const QString &name)
    {
        auto device = std::dynamic_pointer_cast<T>(create(name));
        if (device)
            BusRig::bus.plug(device);
        return device;
    }
    // The product id a name plugs (0 for an unknown name).
    static USHORT productIdOf(const QString &name);
    // Opens the named device's product id through the request API and waits for the outcome.
    RequestOutcome open(const QString &name);
    // Waits for a request (DeviceSession::wait()).
    RequestOutcome wait(DeviceSession::RequestId id) { return m_session->wait(id); }
    // The presence path: automatic open on arrival, teardown on removal, 10 ms ticks.
    void startWatching();

private:
    static std::shared_ptr<VirtualHidDevice> create(const QString &name);

    std::unique_ptr<DeviceSession> m_session;
};
