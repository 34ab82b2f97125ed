#include "session/firmwareupdaterun.h"

#include "common/warning.h"
#include "common/pacer.h"
#include "device/firmware/fwupdate.h"
#include "device/watcher/producttable.h"

#include <QDebug>

FirmwareUpdateRun::FirmwareUpdateRun(QObject *parent) : QObject(parent) {}

FirmwareUpdateRun::~FirmwareUpdateRun() = default;

void FirmwareUpdateRun::run(const QString &path, int mouseType, bool wireless, bool mouseOpen)
{
    m_running = true;
    ++m_attempts;
    qDebug() << "UpdateTimes" << m_attempts;
    if (m_attempts > kMaxAttempts) {
        Q_EMIT warning(toInt(Warning::TooManyUpdateAttempts));
        m_running = false;
        return;
    }
    Q_EMIT stopCheckDeviceTimer();
    if (wireless) {
        // Firmware only goes over the cable.
        Q_EMIT startCheckDeviceTimer();
        Q_EMIT closeUpdateMouseDialog();
        Q_EMIT warning(toInt(Warning::UpdateRefusedThroughReceiver));
        m_running = false;
        return;
    }
    Q_EMIT warning(toInt(Warning::FirmwareUpdating));
    update(path, mouseType, mouseOpen);
    m_running = false;
}

void FirmwareUpdateRun::update(const QString &path, int mouseType, bool mouseOpen)
{
    m_updater.reset();
    m_updater = m_updaterFactory ? m_updaterFactory() : std::make_unique<FwUpdate>();
    QString mouseSelector, bootSelector;
    if (!FwUpdate::selectorsForModel(mouseType, &mouseSelector, &bootSelector) && !mouseOpen) {
        // No mouse is open: one left in its boot loader is updated there (the boot loader has
        // the same product id for the whole family, and no restart request is needed).
        bootSelector = ProductTable::selector(ProductTable::vendorId(), ProductTable::kFalconBootProductId);
    }
    m_updater->setSelectors(mouseSelector, bootSelector);
    connect(m_updater.get(), &FwUpdate::sigPercent, this, [this](uint value) {
        qDebug() << "updateFirmwareFalcon percent" << value;
        Q_EMIT percent(int(value));
    });
    connect(m_updater.get(), &FwUpdate::sigUpdateResult, this, &FirmwareUpdateRun::finish);
    // Blocks this thread for the whole update; the watcher is stopped meanwhile.
    m_updater->slotUpdate(path);
}

void FirmwareUpdateRun::finish(bool ok)
{
    qDebug() << "FirmWareUpdateResult" << ok;
    Pacer::sleepMs(500);
    Q_EMIT closeUpdatingWidget();
    if (ok) {
        qDebug() << "firmWareUpdateResult TRUE";
        Q_EMIT warning(toInt(Warning::FirmwareUpdateSucceeded));
        Q_EMIT closeUpdateMouseDialog();
    } else {
        qDebug() << "firmWareUpdateResult FALSE";
        Q_EMIT warning(toInt(Warning::FirmwareUpdateFailed));
    }
    Q_EMIT outcome(ok ? QStringLiteral("FirmwareUpdated") : QStringLiteral("FirmwareUpdateFailed"));
    Q_EMIT startCheckDeviceTimer();
    Pacer::sleepMs(100);
}
