#pragma once
// DCDataHandle: the one object through which the user interface talks to the connected mouse.
// It lives on a worker thread of its own; pages and the main window reach it only through
// queued signals. It picks and owns the device manager for the plugged-in model, forwards each
// request to it inside a loading indication (one helper, request(), for every request slot), and
// reports results, warnings and analytics events through its signals. It filters the battery
// level; wireless pairing (PairingRun) and firmware updates (FirmwareUpdateRun) are runs of
// their own that it owns and whose signals it re-emits as its own.
//
// QtCore only: it runs unchanged under the GUI, the command-line tool and the tests.

#include "session/batteryfilter.h"
#include "session/firmwareupdaterun.h"
#include "session/pairingrun.h"
#include "common/qktypes.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class GearHandle;
class JsonHandle;
class USBDriverManger;

class DCDataHandle : public QObject
{
    Q_OBJECT
public:
    // What the open algorithm decides for a product id.
    struct ManagerChoice
    {
        enum class Family { Falcon, Osprey, Heron };
        Family family = Family::Falcon;
        int mouseType = 0;
        bool wireless = false;
        QString wiredSelector;    // Falcon family: "VID_vvvv&PID_pppp" of the cable mouse
        QString wirelessSelector; // Falcon family: of the receiver
    };
    // The manager (owning its driver) for a choice; nullptr when no manager can be built. The
    // receiver commands of pairing go through the manager (USBDriverManger's receiver
    // operations): no driver is handed out.
    using ManagerFactory = std::function<std::unique_ptr<USBDriverManger>(const ManagerChoice &)>;
    // The firmware updater for one run (tests may replace it).
    using UpdaterFactory = FirmwareUpdateRun::UpdaterFactory;

    static constexpr int kProfileIndex = 1; // the profile argument of every manager call
    static constexpr int kPairingTicks = PairingRun::kTicks;                   // 200 × 100 ms
    static constexpr int kMaxUpdateAttempts = FirmwareUpdateRun::kMaxAttempts; // the 36th is refused

    explicit DCDataHandle(QObject *parent = nullptr);
    ~DCDataHandle() override;

    // The choice for a product id of the table; nothing for an id the program does not drive.
    static std::optional<ManagerChoice> chooseManager(USHORT productId);
    // The firmware version a model reports when its profile cannot be read.
    static int defaultFirmwareVersion(int mouseType);
    // The page's DPI rows as the mouse keeps them after a write: the enabled rows beyond the
    // model's stage count (the sixth and seventh on a five-stage model) become 0.
    static QList<DWORD> storedDpiRows(int mouseType, QList<DWORD> rows);

    void setManagerFactory(ManagerFactory factory) { m_managerFactory = std::move(factory); }
    void setUpdaterFactory(UpdaterFactory factory) { m_update->setUpdaterFactory(std::move(factory)); }

    // State, for the harness and tests (read them on the coordinator's thread or when idle).
    USBDriverManger *manager() const { return m_manager.get(); }
    USHORT currentProductId() const { return m_productId; }
    bool isWireless() const { return m_wireless; }
    int mouseType() const { return m_mouseType; }
    int currentConfigNumber() const { return m_configNumber; }
    DWORD firmwareVersion() const { return m_firmwareVersion; }
    bool updateRunning() const { return m_update->running(); }
    int updateAttempts() const { return m_update->attempts(); }
    const QJsonObject &gearObject() const { return m_gearObject; }
    // Remembers the value the DPI page shows on a row (gear 0..6) in the current gear document
    // and, when a configuration matches, its gear file. False for a row outside 0..6.
    bool setGearCurrentValue(int gear, int value);

Q_SIGNALS:
    void sig_SetCurrentCpiListValueOnPage(QList<DWORD> list);
    void sig_SetCurrentReportRate(int value);
    void sig_SetLightParameterOnPage(LightColorParam param);
    void sig_ShowWarningDialog(int warningType);
    void sig_closeUpdatingWidget();
    void sig_VersionNumber(int version);
    void sig_SetCurrentConfigure(int configNumber);
    void sig_CoverFirstConfigure(int configNumber);
    void sig_CurrentButtonIsOriginalButton(bool state, int button);
    void sig_OpenDeviceResult(bool result, int mouseType, bool isWireless);
    void sig_RemoveReloadWidget();
    void sig_startTimer(int ms);
    void sig_stopTimer();
    void sig_startCode(bool started);
    void sig_finishCode(bool paired);
    void sig_BatteryPower(DWORD level);
    void sig_Update(QString path);
    void sig_ProcessVaule(int percent);
    void sig_CloseUpdateMouseDialog();
    void sig_StartCheckDeviceTimer();
    void sig_StopCheckDeviceTimer();
    void sig_ShowLoadingDialog();
    void sig_EndLoadingDialog();
    void sig_TrueMouseValue(int currentButton, int changeType, int trueMouseValue, int modifyKey);
    void sig_StartToUploadFile();
    void sig_SendOperationEventMessageToGA(QString category, QString action, QString Label,
                                           QString viewScreen);
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType,
                              bool isUpdateNow);
    // A file (configuration, gear file, ...) could not be written while a request ran: which
    // one and why. The mouse half of the request is reported as usual; when it succeeded, the
    // read/write warning 32 follows.
    void sig_SaveFailed(QString path, QString reason);
    // A request that shows no warning of its own failed (action: its analytics action); the
    // session counts it as failed all the same.
    void sig_RequestFailedQuietly(QString action);

public Q_SLOTS:
    void slot_OpenDevice(uint Pid, uint Vid);
    void slot_OpenDeviceAgain();
    void connectSignal();
    void destroyUselessThings();
    void releaseObject();

    void setCPIValueOnPage();
    void setUsbReportRateOnPage();
    void setLightParameterOnPage();
    void setMouseButtonOnPage();
    void SetSilentHeightOnPage();
    void slotSetMouseSilentHeigh(int value);

    void slot_setCPIListValueOnMouse(QList<DWORD> dwordList);
    void slot_ChangeUsbReportRate(int value);
    void slot_SetMouseColor(bool isWheelLightChange, QList<COLORREF> colorList);
    void slot_setMouseLightMode(bool isWheelLightChange, int mode);
    void slot_MouseContinueLightDegree(bool isWheelLightChange, int degree);
    void slot_MouseBreathSpeed(bool isWheelLightChange, int speed);
    void slot_ChangeButtonToKey(int button, uint vkCode, int modifyKey, int changeType);
    void slot_ChangeButtonToMacro(int macroType, int button, uint address);
    void slot_WriteSingleMacro(int button, QString path);
    void slot_WriteListMacro(QStringList macroList);
    void slot_LoadLocalConfigFileAndWriteIntoMouse(int number);
    void slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse(int number);
    void slot_SaveProfileToConfig1();
    void slot_ResetConfigToOriginal();
    void slot_WriteImageToMouse(QString configNumber);
    void slot_OLEDScreenpParameter(int behaviour);
    void slot_SetOLEDScreenLightIntensity(int intensity);
    void slot_GetBatteryPower();
    void slot_GetProfileFromMouse();
    void GetProfileFromMouse();
    void slot_startCode();
    void slot_stopCode();
    void slot_codetimerout();
    void slot_UpdateFirmwareKelvo(QString path, QString mouseType);
    void slot_TurnNewFileToOldFile();
    void slot_removeOldTxtFile();
    void warningReadOrWriteError();
    // The manager's firmware result (and FwUpdate's).
    void slot_FirmwareUpdateResult(bool ok);

private:
    // How a request slot ends when the manager fails: the read/write error path (Warn) or
    // nothing (Quiet); and when its analytics event goes out: before the request, after it, or
    // not at all.
    enum class OnFailure { Warn, Quiet };
    enum class EventAt { First, Last, None };
    // The body every request slot shares: nothing when no manager is open; otherwise the
    // analytics event action (joined to the model folder), op inside the loading indication
    // and, when op fails, the error path. Returns op's verdict (false when nothing is open).
    bool request(const QString &action, const std::function<bool()> &op,
                 OnFailure onFailure = OnFailure::Warn, EventAt eventAt = EventAt::First);

    bool receiverPairingCheck(USHORT receiverId);
    // Lift-off on every family: the value reaches the mouse or nothing changes.
    bool setSilentHeight(int value);
    void refreshPages();
    void loadGearForConfig(int configNumber, bool found);
    void sendEvent(const QString &action, const QString &second = QString());
    QString modelFolder() const;
    void loadProfile(int number, bool onlyMouse);

    ManagerFactory m_managerFactory;
    std::unique_ptr<USBDriverManger> m_manager;
    QList<QMetaObject::Connection> m_managerConnections;
    USHORT m_productId = 0;
    bool m_wireless = false;
    int m_mouseType = 0;
    int m_configNumber = 1;
    int m_openCount = 0;
    DWORD m_firmwareVersion = 1;
    PairingRun *m_pairing;       // children: they move to the coordinator's thread with it
    FirmwareUpdateRun *m_update;
    std::unique_ptr<GearHandle> m_gear;
    std::unique_ptr<JsonHandle> m_json;
    QJsonObject m_gearObject;
    BatteryFilter m_battery;
};
