#include "support/sessionrig.h"

#include "sim/simulation.h"

SessionRig::SessionRig(DCDataHandle::ManagerFactory factory)
    : m_session(std::make_unique<DeviceSession>(std::move(factory)))
{
    m_session->setAutoOpen(false);
}

SessionRig::~SessionRig()
{
    m_session.reset(); // its threads end before the bus and the clock go
}

std::shared_ptr<VirtualHidDevice> SessionRig::create(const QString &name)
{
    return Simulation::createDevice(name);
}

USHORT SessionRig::productIdOf(const QString &name)
{
    const auto device = create(name);
    if (!device || device->interfaces().isEmpty())
        return 0;
    return device->interfaces().first().productId;
}

RequestOutcome SessionRig::open(const QString &name)
{
    return m_session->wait(m_session->openDevice(productIdOf(name)));
}

void SessionRig::startWatching()
{
    m_session->setAutoOpen(true);
    m_session->setWatchInterval(10);
    m_session->start();
}
