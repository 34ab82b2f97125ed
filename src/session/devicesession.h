#pragma once
// The device half of the application, without any window: the presence watcher and the
// coordinator, each on a thread of its own, wired to each other and to the request signals
// the way the main window wires them. The main window, the command-line tool and the
// end-to-end tests all use this one wiring.
//
// Requests go in as the signals below (queued into the coordinator's thread); results come out
// of coordinator() and watcher() signals (connect to them; they arrive queued in the thread of
// the receiver). With autoOpen on, a device the watcher finds is opened at once and its removal
// tears the manager down, as the main window does.

#include "session/dcdatahandle.h"
#include "common/qktypes.h"

#include <QObject>
#include <QThread>
#include <memory>

class CheckDevice;
class HidBackend;

class DeviceSession : public QObject
{
    Q_OBJECT
public:
    // factory: the coordinator's manager factory (the real managers when empty).
    explicit DeviceSession(DCDataHandle::ManagerFactory factory = {}, QObject *parent = nullptr);
    // Stops the watcher and both threads and deletes their objects in their own threads.
    ~DeviceSession() override;

    DCDataHandle *coordinator() const { return m_coordinator; }
    CheckDevice *watcher() const { return m_watcher; }

    void setAutoOpen(bool on) { m_autoOpen = on; }
    bool autoOpen() const { return m_autoOpen; }
    // The watcher's tick interval (1000 ms unless changed; set before start()).
    void setWatchInterval(int ms);
    // Starts the watcher's timer.
    void start();

    // Runs f on the coordinator's thread and waits for it (tests, the command-line tool).
    template <typename F>
    void runOnCoordinator(F f)
    {
        QMetaObject::invokeMethod(m_coordinator, f, Qt::BlockingQueuedConnection);
    }

Q_SIGNALS:
    // Into the coordinator (named as the main window and the pages name them).
    void sig_OpenDevice(uint Pid, uint Vid);
    void sig_LoadFileAndeWriteIntoMouse(int configNumber);
    void sig_LoadOnlyMouseFileIntoMouse(int configNumber);
    void sig_LoadCurrentConfigImage(QString number);
    void sig_ResetAllConfigFile();
    void sig_GetBatteryPower();
    void sig_startCode();
    void sig_stopCode();
    void sig_DissMissAllThings();
    void sig_ConstructAllThings();
    void sig_ChangeCPIListValue(QList<DWORD> list);
    void sig_ChangeUSBReportRate(int value);
    void sig_MouseColor(bool isWheelLightChange, QList<COLORREF> colors);
    void sig_MouseLightMode(bool isWheelLightChange, int mode);
    void sig_MouseContinueLightDegree(bool isWheelLightChange, int degree);
    void sig_MouseBreathSpeed(bool isWheelLightChange, int speed);
    void sig_ChangeButtonToKey(int button, uint vkCode, int modifyKey, int changeType);
    void sig_WriteSingleMacro(int button, QString path);
    void sig_WriteListMacro(QStringList paths);
    void sig_SaveProfileToConfig1();
    void sig_RemoveOldFile();
    void sig_Update(QString path, QString mouseType);

    // What the watcher saw, after the automatic open or teardown was requested.
    void deviceFound(uint pid, uint vid);
    void deviceLost(uint pid, uint vid);

private:
    void onFound(bool found, uint pid, uint vid);

    QThread m_coordinatorThread;
    QThread m_watcherThread;
    DCDataHandle *m_coordinator = nullptr; // lives in m_coordinatorThread
    CheckDevice *m_watcher = nullptr;      // lives in m_watcherThread
    bool m_autoOpen = true;
};
