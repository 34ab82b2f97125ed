#include "benchrig.h"

#include "common/apppaths.h"
#include "session/dcdatahandle.h"
#include "sim/falconmousedevice.h"
#include "session/managerfactory.h"
#include "device/watcher/producttable.h"
#include "profile/usbdrivermanger.h"

BenchRig::BenchRig(const BenchOptions &options)
    : m_options(options), m_previousPacing(Pacer::pollPacing()), m_backend(&m_bus)
{
    Pacer::setPollPacing(m_options.describedPacing ? PollPacing::Described : PollPacing::Adaptive);
    AppPaths::setHomeOverride(m_home.path());
    m_meter = std::make_unique<BenchMeter>(m_bus, m_pacing.clock(), m_options.wireMs);
    m_coordinator = std::make_unique<DCDataHandle>();
    m_coordinator->setManagerFactory(defaultManagerFactory());
    QObject::connect(m_coordinator.get(), &DCDataHandle::sig_ShowWarningDialog,
                     [this](int warning) { m_warnings.append(warning); });
    QObject::connect(m_coordinator.get(), &DCDataHandle::sig_OpenDeviceResult,
                     [this](bool result, int, bool) { m_lastOpenResult = result; });
}

BenchRig::~BenchRig()
{
    // The coordinator closes its manager while the bus and the clock still exist.
    m_coordinator.reset();
    m_bus.unplugAll();
    AppPaths::setHomeOverride(QString());
    Pacer::setPollPacing(m_previousPacing);
}

std::shared_ptr<FalconMouseDevice> BenchRig::makeFalconMouse(USHORT cableProductId) const
{
    auto mouse = std::make_shared<FalconMouseDevice>(cableProductId);
    mouse->firmware().setWriteBusyMs(m_options.falconWriteBusyMs);
    return mouse;
}

bool BenchRig::managerAvailable(USHORT productId)
{
    const auto choice = DCDataHandle::chooseManager(productId);
    if (!choice)
        return false;
    return defaultManagerFactory()(*choice) != nullptr;
}

bool BenchRig::open(USHORT productId, QString *why)
{
    m_warnings.clear();
    m_lastOpenResult = false;
    m_coordinator->slot_OpenDevice(productId, ProductTable::vendorId());
    QString reason;
    if (!m_lastOpenResult || !m_coordinator->manager())
        reason = QStringLiteral("the open failed");
    else if (m_warnings.contains(32))
        reason = QStringLiteral("the profile read failed (warning 32)");
    if (why)
        *why = reason;
    return reason.isEmpty();
}

BenchFigures BenchRig::measure(const std::function<bool()> &body, bool *ok)
{
    m_warnings.clear();
    m_meter->begin();
    const bool result = body();
    const BenchFigures figures = m_meter->end();
    if (ok)
        *ok = result && !m_warnings.contains(32);
    return figures;
}
