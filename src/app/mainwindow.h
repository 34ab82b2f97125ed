#pragma once
// The program's only top-level window: a frameless 960 x 640 window with its own title bar
// (model logo, account area, battery and connection indicators, minimise and close), five
// navigation tabs over a stack of pages, the profile buttons 1-5 and the reset button. It reacts
// to the mouse arriving and leaving (need-device dialog, loader mode, the guard against a
// flapping device), hosts the warning dialog and every other modal dialog, compares versions,
// and applies the two desktop pointer settings. It reaches the mouse only through the
// DeviceSession it is given, and shows DeviceSession::state().

#include "app/platform/pointersettings.h"
#include "app/platform/restarter.h"
#include "common/analyticsevent.h"
#include "common/qktypes.h"
#include "ui/dialogs/drawdialog.h"
#include "ui/dialogs/keysettingdialog.h"
#include "ui/dialogs/updatemousedialog.h"
#include "ui/widgets/warningdialog.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

class DeviceSession;
class GoogleAnalyticsAdaptor;
class NeedDeviceDialog;
class SupportWidget;
class MainSettingWidget;
class LightSettingWidget;
class CodeWidget;
class MacroEditWidget;
class LastVersion;
class CloudSyncWidget;
class UpdateMouseDialog;
class QAbstractButton;
class QLabel;
class QPushButton;
class QStackedWidget;
class QSystemTrayIcon;
class TitleWidget;

// The platform services the window uses; tests hand in fakes.
struct MainWindowServices
{
    std::unique_ptr<platform::PointerSettings> pointer; // the platform's when empty
    std::unique_ptr<platform::Restarter> restarter;     // the platform's when empty
    bool tray = true;                                    // a tray icon where the desktop has one
};

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum Page { MainPage = 0, LightingPage, MacroPage, SupportPage, CloudPage, PairingPage, PageCount };
    static constexpr int kBatteryPollMs = 3000;
    // More insertions than this within one minute are refused (a flapping device or cable).
    static constexpr int kInsertionsPerMinute = 5;

    using Services = MainWindowServices;

    // session: the device session (not owned; it must outlive the window). The window opens
    // what the session's watcher finds itself (the session's automatic open is turned off) and
    // starts nothing: the caller starts the session's watcher.
    explicit MainWindow(DeviceSession &session, Services services = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    DeviceSession &session() const { return m_session; }
    int currentPage() const;
    int currentConfig() const { return m_currentConfig; }
    bool loggedIn() const { return m_loggedIn; }
    NeedDeviceDialog *needDeviceDialog() const { return m_needDevice; }
    // The warning dialog now shown, if any.
    WarningDialog *warningDialog() const { return m_warning; }
    // Appends a page to the stack at its place (the window owns it afterwards).
    void addPage(Page index, QWidget *page);
    // The text the battery label shows, and the image the battery icon shows.
    QString batteryText() const;
    QString batteryIcon() const { return m_batteryIcon; }
    QString connectionIcon() const { return m_connectionIcon; }
    QString logoImage() const { return m_logoImage; }
    // Receives the analytics events of the window and the pages (not owned; nullptr: none).
    void setAnalyticsSink(AnalyticsSink *sink) { m_sink = sink; }
    // Usage reports as the settings say (on with a collect address unless turned off): makes or
    // drops the report client and tells the support page.
    void applyAnalyticsSettings();
    SupportWidget *supportPage() const { return m_support; }
    MainSettingWidget *mainPage() const { return m_main; }
    MacroEditWidget *macroPage() const { return m_macro; }
    // The button assignment and picture dialogs now shown, if any.
    KeySettingDialog *keySettingDialog() const { return m_keyDialog; }
    DrawDialog *drawDialog() const { return m_drawDialog; }
    // Shows the window in front of other windows.
    void bringToFront();
    // Updates the mouse with a firmware image file, showing progress; the mouse is opened again
    // afterwards and its new version shown. The outcome arrives as firmwareUpdateFinished().
    // model: the model name the image is for (empty: the open mouse's).
    void updateFirmwareFrom(const QString &imagePath, const QString &model = QString());
    // The firmware update dialog now shown, if any.
    UpdateMouseDialog *updateDialog() const { return m_updateDialog; }

Q_SIGNALS:
    void QuitTheApplication();
    void sig_WarningTypeOnMainWindow(int warningType);
    void sig_ShowWarningWidgetWithSpecifyMessage(int type, QString message);
    void sig_CheckLastSoftwareVersion(QString versionType);
    void sig_RemoveReloadWidget();
    void sig_RemoveWarningWidget();
    void sig_CloseKeySettingDialog();
    void sig_startCode();
    void sig_stopCode();
    void sig_UpdateButtonEnable();
    // The support page asks for the newest firmware of a model (the version checker answers
    // with slot_LastFirmWareVersionRet's arguments into the support page).
    void sig_CheckLastFirmVersion(QString modelName);
    void firmwareUpdateFinished(bool ok);

public Q_SLOTS:
    void slotMessageReceived(const QString &message);
    void slot_showWarningDialog(int warningType);
    void slot_showWarningDialogWithSpecifyMessage(int warningType, QString warningMessage);
    void slot_SendMessageToGA(QString category, QString action, QString label, QString viewScreen);
    void slot_showKeySettingDialog(int changedButton, int buttonChangeType, int buttonTrueValue, int modifyKeyValue);
    void showDrawBorder();
    void slot_OpenDeviceResult(bool result, int mouseType, bool isWirelessState);
    void slot_BatteryPower(DWORD value);
    void slot_GetCurrentFirmVersion(int version);
    void showCurrentConfigButton(int configureButton);
    void slot_startCode(bool ok);
    void slot_finishCode(bool ok);
    void slot_ShowUpdateFirmwareWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
    void slot_WarningDeviceNotInsert(bool isfind, uint Pid, uint Vid);
    void slot_SetKelvoMouseBooltDescriptor(int mouseType);
    void slot_LastSoftWareVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate);
    void slot_LastFirmWareVersionRet(int rCode, QString rMsg, QString version, QString path);
    void slot_SetSysPointSpeed(int value);
    void slot_SetSysTrolleyValue(int value);
    void slot_LoadConfigFileAfterDownloadSucced(int configureButton);
    void slot_SetHeaderButtonEnabled(bool state);
    void slot_BanTopButtonClick(bool state, bool isTransparent);
    void slot_quitUser();
    void slot_ResetMouseToOriginal();
    void slot_GoToMatchCodePage();
    void slot_startWattingProcess();
    void slot_needDeviceDialogClienk();

    void on_MainSettingButton_clicked();
    void on_LightSettingButton_clicked();
    void on_MacroEditButton_clicked();
    void on_SupportButton_clicked();
    void on_CloudSyncButton_clicked();
    void on_ConfigureButton_clicked(int number);
    void on_ResetToOriginalButton_clicked();
    void on_LoginButton_clicked();
    void on_minimumButton_clicked();
    void on_quitButton_clicked();
    // Marks the user logged in under nickname (the account dialog and the stored token).
    void setLoggedIn(const QString &nickname);
    // The title bar's logged-out look; the stored login is left alone.
    void showLoggedOut();
    // Manual version check from the support page: the answer shows warning 52/53/54.
    void setManualCheck(bool manual) { m_manualCheck = manual; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildTitle();
    void buildNavigation();
    void buildProfiles();
    void buildTray();
    void wireSession();
    void wireSupportPage();
    void buildPages();
    void SetMenuButtonStyleSheet(int index);
    void switchTo(int index, int screenText);
    void setCurrentConfigure(int number);
    void wiredMouseOnSupportPage(bool isWirelessState);
    void showModelLogo(int mouseType);
    void showNeedDevice();
    void setDeviceControlsEnabled(bool enabled);
    void clearBattery();
    bool countInsertion();
    void checkTokenIsExit();
    void onStateChanged();
    void onRequestFinished(quint64 id);
    void startBatteryPoll();
    void stopBatteryPoll();

    DeviceSession &m_session;
    Services m_services;
    AnalyticsSink *m_sink = nullptr;
    std::unique_ptr<GoogleAnalyticsAdaptor> m_analytics;
    SupportWidget *m_support = nullptr;
    MainSettingWidget *m_main = nullptr;
    CodeWidget *m_pairing = nullptr;
    MacroEditWidget *m_macro = nullptr;
    CloudSyncWidget *m_cloud = nullptr;
    LastVersion *m_softwareCheck = nullptr; // the program's version (owned, parent this)
    LastVersion *m_firmwareCheck = nullptr; // a model's firmware, for the support page
    QPointer<KeySettingDialog> m_keyDialog;
    QPointer<DrawDialog> m_drawDialog;

    TitleWidget *m_title = nullptr;
    QLabel *m_logo = nullptr;
    QPushButton *m_login = nullptr;
    QLabel *m_userName = nullptr;
    QPushButton *m_quitUser = nullptr;
    QLabel *m_batteryIconLabel = nullptr;
    QLabel *m_batteryLabel = nullptr;
    QLabel *m_connection = nullptr;
    QList<QPushButton *> m_tabs;
    QList<QPushButton *> m_profiles;
    QPushButton *m_reset = nullptr;
    QStackedWidget *m_pages = nullptr;
    NeedDeviceDialog *m_needDevice = nullptr;
    QPointer<WarningDialog> m_warning;
    QPointer<UpdateMouseDialog> m_updateDialog;
    QSystemTrayIcon *m_tray = nullptr;

    int m_currentConfig = 1;
    uint m_productId = 0;
    int m_mouseType = 0;
    int m_bootType = 0;
    int m_firmwareVersion = -1;
    bool m_loggedIn = false;
    bool m_manualCheck = false;
    QString m_downloadPath;
    QList<qint64> m_insertions; // pacing-clock times of the recent insertions
    QTimer m_batteryTimer;
    QString m_batteryIcon;
    QString m_connectionIcon;
    QString m_logoImage;
    quint64 m_firmwareRequest = 0;
    int m_lastBattery = -1;
};
