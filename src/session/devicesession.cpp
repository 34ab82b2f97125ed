#include "session/devicesession.h"

#include "device/watcher/checkdevice.h"
#include "session/managerfactory.h"

DeviceSession::DeviceSession(DCDataHandle::ManagerFactory factory, QObject *parent) : QObject(parent)
{
    registerQkMetaTypes();
    m_coordinator = new DCDataHandle;
    m_coordinator->setManagerFactory(factory ? std::move(factory) : defaultManagerFactory());
    m_coordinator->moveToThread(&m_coordinatorThread);
    m_coordinatorThread.setObjectName(QStringLiteral("DCDataHandle"));

    m_watcher = new CheckDevice;
    m_watcher->stopTheTimer(); // started explicitly by start()
    m_watcher->moveToThread(&m_watcherThread);
    m_watcherThread.setObjectName(QStringLiteral("CheckDevice"));

    DCDataHandle *c = m_coordinator;
    connect(this, &DeviceSession::sig_OpenDevice, c, &DCDataHandle::slot_OpenDevice);
    connect(this, &DeviceSession::sig_LoadFileAndeWriteIntoMouse, c,
            &DCDataHandle::slot_LoadLocalConfigFileAndWriteIntoMouse, Qt::QueuedConnection);
    connect(this, &DeviceSession::sig_LoadOnlyMouseFileIntoMouse, c,
            &DCDataHandle::slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse, Qt::QueuedConnection);
    connect(this, &DeviceSession::sig_LoadCurrentConfigImage, c, &DCDataHandle::slot_WriteImageToMouse);
    connect(this, &DeviceSession::sig_ResetAllConfigFile, c, &DCDataHandle::slot_ResetConfigToOriginal);
    connect(this, &DeviceSession::sig_GetBatteryPower, c, &DCDataHandle::slot_GetBatteryPower);
    connect(this, &DeviceSession::sig_startCode, c, &DCDataHandle::slot_startCode);
    connect(this, &DeviceSession::sig_stopCode, c, &DCDataHandle::slot_stopCode);
    connect(this, &DeviceSession::sig_DissMissAllThings, c, &DCDataHandle::destroyUselessThings);
    connect(this, &DeviceSession::sig_ConstructAllThings, c, &DCDataHandle::connectSignal);
    connect(this, &DeviceSession::sig_ChangeCPIListValue, c, &DCDataHandle::slot_setCPIListValueOnMouse);
    connect(this, &DeviceSession::sig_ChangeUSBReportRate, c, &DCDataHandle::slot_ChangeUsbReportRate);
    connect(this, &DeviceSession::sig_MouseColor, c, &DCDataHandle::slot_SetMouseColor);
    connect(this, &DeviceSession::sig_MouseLightMode, c, &DCDataHandle::slot_setMouseLightMode);
    connect(this, &DeviceSession::sig_MouseContinueLightDegree, c, &DCDataHandle::slot_MouseContinueLightDegree);
    connect(this, &DeviceSession::sig_MouseBreathSpeed, c, &DCDataHandle::slot_MouseBreathSpeed);
    connect(this, &DeviceSession::sig_ChangeButtonToKey, c, &DCDataHandle::slot_ChangeButtonToKey);
    connect(this, &DeviceSession::sig_WriteSingleMacro, c, &DCDataHandle::slot_WriteSingleMacro);
    connect(this, &DeviceSession::sig_WriteListMacro, c, &DCDataHandle::slot_WriteListMacro);
    connect(this, &DeviceSession::sig_SaveProfileToConfig1, c, &DCDataHandle::slot_SaveProfileToConfig1);
    connect(this, &DeviceSession::sig_RemoveOldFile, c, &DCDataHandle::slot_removeOldTxtFile);
    connect(this, &DeviceSession::sig_Update, c, &DCDataHandle::slot_UpdateFirmwareKelvo);

    connect(c, &DCDataHandle::sig_StartCheckDeviceTimer, m_watcher, &CheckDevice::startTheTimer);
    connect(c, &DCDataHandle::sig_StopCheckDeviceTimer, m_watcher, &CheckDevice::stopTheTimer);
    connect(m_watcher, &CheckDevice::sigFound, this, &DeviceSession::onFound);

    m_coordinatorThread.start(QThread::InheritPriority);
    m_watcherThread.start(QThread::InheritPriority);
}

DeviceSession::~DeviceSession()
{
    QMetaObject::invokeMethod(m_watcher, [w = m_watcher] {
        w->stopTheTimer();
        delete w;
    }, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(m_coordinator, [c = m_coordinator] { delete c; },
                              Qt::BlockingQueuedConnection);
    m_watcherThread.quit();
    m_coordinatorThread.quit();
    m_watcherThread.wait();
    m_coordinatorThread.wait();
}

void DeviceSession::setWatchInterval(int ms)
{
    QMetaObject::invokeMethod(m_watcher, [w = m_watcher, ms] { w->setTickInterval(ms); },
                              Qt::BlockingQueuedConnection);
}

void DeviceSession::start()
{
    QMetaObject::invokeMethod(m_watcher, &CheckDevice::startTheTimer, Qt::QueuedConnection);
}

void DeviceSession::onFound(bool found, uint pid, uint vid)
{
    if (found) {
        if (m_autoOpen)
            Q_EMIT sig_OpenDevice(pid, vid);
        Q_EMIT deviceFound(pid, vid);
    } else {
        if (m_autoOpen)
            Q_EMIT sig_DissMissAllThings();
        Q_EMIT deviceLost(pid, vid);
    }
}
