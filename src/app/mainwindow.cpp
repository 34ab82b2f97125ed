#include "app/mainwindow.h"

#include "app/platform/pointersettings.h"
#include "app/platform/restarter.h"
#include "common/apppaths.h"
#include "common/mousetype.h"
#include "common/pacer.h"
#include "common/texttable.h"
#include "common/warning.h"
#include "device/watcher/checkdevice.h"
#include "device/watcher/deviceaccess.h"
#include "device/watcher/producttable.h"
#include "session/devicesession.h"
#include "storage/storagepaths.h"
#include "net/analytics/analyticssettings.h"
#include "net/analytics/ganalytics.h"
#include "net/update/filedownloader.h"
#include "net/update/lastversion.h"
#include "net/update/updatefolder.h"
#include "net/account/accountstatus.h"
#include "ui/dialogs/drawdialog.h"
#include "ui/dialogs/userdialog.h"
#include "ui/dialogs/keysettingdialog.h"
#include "ui/pages/cloudsyncwidget.h"
#include "ui/pages/codewidget.h"
#include "ui/pages/lightsettingwidget.h"
#include "ui/pages/macroeditwidget.h"
#include "ui/pages/mainsettingwidget.h"
#include "ui/pages/supportwidget.h"
#include "ui/dialogs/needdevicedialog.h"
#include "ui/widgets/titlewidget.h"
#include "ui/widgets/warningdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace {
// Texts of the window itself (docs/texts.md).
enum ShellText {
    kTextLogin = 371,
    kTextLogOut = 372,
    kTextReset = 373,
    kTextProfiles = 374,
    kTextMinimise = 375,
    kTextClose = 376,
    kTextBattery = 377,
    kTextWired = 378,
    kTextWireless = 379,
};

constexpr int kTitleHeight = 48;
constexpr int kTabBarHeight = 56;
constexpr int kProfileBarHeight = 64;
constexpr int kInsertionWindowMs = 60 * 1000;

// The navigation tabs: object name, caption and page-view text.
struct Tab { const char *name; int text; };
constexpr Tab kTabs[] = {
    {"MainSettingButton", 189}, {"LightSettingButton", 190}, {"MacroEditButton", 191},
    {"SupportButton", 192},     {"CloudSyncButton", 198},
};

QString borderImage(const QString &path)
{
    return QStringLiteral("background:transparent;border-image: url(%1);").arg(path);
}

// The battery icon and whether the label shows the percentage, by reported value.
struct BatteryLook { const char *icon; bool percentage; };
BatteryLook batteryLook(DWORD value)
{
    if (value == 0 || value == 103)
        return {"top_icon_battery0.png", false};
    if (value <= 20)
        return {"top_icon_battery.png", true};
    if (value <= 40)
        return {"top_icon_battery2.png", true};
    if (value <= 60)
        return {"top_icon_battery3.png", true};
    if (value <= 80)
        return {"top_icon_battery4.png", true};
    if (value == 101)
        return {"top_icon_charging.png", false};
    if (value == 102)
        return {"top_icon_charging_full.png", false};
    return {"top_icon_battery5.png", true};
}
} // namespace

MainWindow::MainWindow(DeviceSession &session, Services services, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_services(std::move(services))
{
    if (!m_services.pointer)
        m_services.pointer = platform::PointerSettings::create();
    if (!m_services.restarter)
        m_services.restarter = platform::Restarter::create();

    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("QKDriver"));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    central->setAttribute(Qt::WA_StyledBackground, true);
    central->setFixedSize(960, 640);
    setCentralWidget(central);

    buildTitle();
    buildNavigation();
    m_pages = new QStackedWidget(central);
    m_pages->setObjectName(QStringLiteral("PageStack"));
    buildProfiles();
    buildPages();

    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_title);
    column->addWidget(m_tabs.first()->parentWidget());
    column->addWidget(m_pages, 1);
    column->addWidget(m_profiles.first()->parentWidget());

    buildTray();
    setWindowIcon(QIcon(QStringLiteral(":/icon/picture/48-icon.png")));
    setWindowFlags(Qt::WindowFlags(0xE801));
    setFixedSize(960, 640);

    wireSession();

    m_needDevice = new NeedDeviceDialog(central);
    m_needDevice->setGeometry(0, 0, 960, 640);
    connect(m_needDevice, &NeedDeviceDialog::sig_closeWindow, this, &MainWindow::slot_needDeviceDialogClienk);
    connect(m_needDevice, &NeedDeviceDialog::sig_ShowUpdateWidget, this, &MainWindow::slot_ShowUpdateFirmwareWidget);
    showNeedDevice();

    SetMenuButtonStyleSheet(MainPage);
    showCurrentConfigButton(1);
    checkTokenIsExit();

    wireSupportPage();
    applyAnalyticsSettings();

    m_batteryTimer.setInterval(kBatteryPollMs);
    m_batteryTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_batteryTimer, &QTimer::timeout, this, [this] {
        if (m_session.state().isOpen() && m_session.state().isWireless())
            m_session.readBattery();
    });
}

MainWindow::~MainWindow()
{
    m_session.setAnalyticsSink(nullptr);
    // The session outlives the window: nothing of it may call back into this object.
    disconnect(&m_session, nullptr, this, nullptr);
    disconnect(m_session.stateObject(), nullptr, this, nullptr);
    disconnect(m_session.coordinator(), nullptr, this, nullptr);
    disconnect(m_session.watcher(), nullptr, this, nullptr);
}

// ---- construction --------------------------------------------------------------------------

void MainWindow::buildTitle()
{
    m_title = new TitleWidget(centralWidget());
    m_title->setFixedHeight(kTitleHeight);
    connect(m_title, &TitleWidget::sendMovePosition, this, [this](QPoint delta) { move(pos() + delta); });

    m_logo = new QLabel(m_title);
    m_logo->setObjectName(QStringLiteral("LogoLabel"));
    m_logo->setFixedSize(160, 38);
    auto *name = new QLabel(QStringLiteral("QKDriver"), m_title);
    name->setObjectName(QStringLiteral("TitleLabel"));
    name->setProperty("role", QStringLiteral("title"));

    m_login = new QPushButton(TextTable::text(kTextLogin), m_title);
    m_login->setObjectName(QStringLiteral("LoginButton"));
    m_userName = new QLabel(m_title);
    m_userName->setObjectName(QStringLiteral("UserNameLabel"));
    m_userName->hide();
    m_quitUser = new QPushButton(TextTable::text(kTextLogOut), m_title);
    m_quitUser->setObjectName(QStringLiteral("QuitUserButton"));
    m_quitUser->hide();
    connect(m_quitUser, &QPushButton::clicked, this, [this] { slot_showWarningDialog(toInt(Warning::ConfirmLogOut)); });
    connect(m_login, &QPushButton::clicked, this, &MainWindow::on_LoginButton_clicked);

    m_batteryIconLabel = new QLabel(m_title);
    m_batteryIconLabel->setObjectName(QStringLiteral("BatteryIconLabel"));
    m_batteryIconLabel->setFixedSize(34, 18);
    m_batteryIconLabel->setAccessibleName(TextTable::text(kTextBattery));
    m_batteryLabel = new QLabel(m_title);
    m_batteryLabel->setObjectName(QStringLiteral("BatteryLabel"));
    m_batteryLabel->setMinimumWidth(40);
    m_connection = new QLabel(m_title);
    m_connection->setObjectName(QStringLiteral("ConnectionLabel"));
    m_connection->setFixedSize(24, 24);

    auto *minimum = new QPushButton(QStringLiteral("\u2013"), m_title);
    minimum->setObjectName(QStringLiteral("minimumButton"));
    minimum->setToolTip(TextTable::text(kTextMinimise));
    minimum->setAccessibleName(TextTable::text(kTextMinimise));
    auto *quit = new QPushButton(QStringLiteral("\u2715"), m_title);
    quit->setObjectName(QStringLiteral("quitButton"));
    quit->setToolTip(TextTable::text(kTextClose));
    quit->setAccessibleName(TextTable::text(kTextClose));
    connect(minimum, &QPushButton::clicked, this, &MainWindow::on_minimumButton_clicked);
    connect(quit, &QPushButton::clicked, this, &MainWindow::on_quitButton_clicked);

    auto *bar = new QHBoxLayout(m_title);
    bar->setContentsMargins(16, 0, 4, 0);
    bar->setSpacing(8);
    bar->addWidget(m_logo);
    bar->addWidget(name);
    bar->addStretch();
    bar->addWidget(m_login);
    bar->addWidget(m_userName);
    bar->addWidget(m_quitUser);
    bar->addSpacing(16);
    bar->addWidget(m_batteryIconLabel);
    bar->addWidget(m_batteryLabel);
    bar->addWidget(m_connection);
    bar->addSpacing(8);
    bar->addWidget(minimum);
    bar->addWidget(quit);
}

void MainWindow::buildNavigation()
{
    auto *bar = new QWidget(centralWidget());
    bar->setObjectName(QStringLiteral("NavigationBar"));
    bar->setFixedHeight(kTabBarHeight);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(30, 0, 30, 0);
    row->setSpacing(0);
    for (int i = 0; i < int(std::size(kTabs)); ++i) {
        auto *tab = new QPushButton(TextTable::text(kTabs[i].text), bar);
        tab->setObjectName(QString::fromLatin1(kTabs[i].name));
        tab->setFixedSize(180, kTabBarHeight);
        tab->setGraphicsEffect(new QGraphicsOpacityEffect(tab));
        row->addWidget(tab);
        m_tabs << tab;
    }
    connect(m_tabs[0], &QPushButton::clicked, this, &MainWindow::on_MainSettingButton_clicked);
    connect(m_tabs[1], &QPushButton::clicked, this, &MainWindow::on_LightSettingButton_clicked);
    connect(m_tabs[2], &QPushButton::clicked, this, &MainWindow::on_MacroEditButton_clicked);
    connect(m_tabs[3], &QPushButton::clicked, this, &MainWindow::on_SupportButton_clicked);
    connect(m_tabs[4], &QPushButton::clicked, this, &MainWindow::on_CloudSyncButton_clicked);
}

void MainWindow::buildProfiles()
{
    auto *bar = new QWidget(centralWidget());
    bar->setObjectName(QStringLiteral("ProfileBar"));
    bar->setFixedHeight(kProfileBarHeight);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(30, 0, 30, 0);
    row->setSpacing(8);
    auto *caption = new QLabel(TextTable::text(kTextProfiles), bar);
    caption->setProperty("role", QStringLiteral("secondary"));
    row->addWidget(caption);
    for (int n = 1; n <= 5; ++n) {
        auto *button = new QPushButton(QString::number(n), bar);
        button->setObjectName(QStringLiteral("ConfigureButton_%1").arg(n));
        button->setFixedSize(n == 5 ? 96 : 64, 36);
        button->setAccessibleName(TextTable::text(192 + n));
        button->setToolTip(TextTable::text(192 + n));
        connect(button, &QPushButton::clicked, this, [this, n] { on_ConfigureButton_clicked(n); });
        row->addWidget(button);
        m_profiles << button;
    }
    row->addStretch();
    m_reset = new QPushButton(TextTable::text(kTextReset), bar);
    m_reset->setObjectName(QStringLiteral("ResetToOriginalButton"));
    m_reset->setProperty("role", QStringLiteral("danger"));
    connect(m_reset, &QPushButton::clicked, this, &MainWindow::on_ResetToOriginalButton_clicked);
    row->addWidget(m_reset);
}

void MainWindow::buildTray()
{
    if (!m_services.tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return; // without a tray, closing the window quits
    m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/icon/picture/128-128.png")), this);
    m_tray->setToolTip(QStringLiteral("QKDriver"));
    auto *menu = new QMenu(this);
    QAction *show = menu->addAction(TextTable::text(297));
    menu->addSeparator();
    QAction *exit = menu->addAction(TextTable::text(298));
    connect(show, &QAction::triggered, this, &MainWindow::bringToFront);
    connect(exit, &QAction::triggered, this, &MainWindow::slot_needDeviceDialogClienk);
    m_tray->setContextMenu(menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            bringToFront();
    });
    m_tray->show();
}

void MainWindow::wireSession()
{
    m_session.setAutoOpen(false); // the window decides (the insertion guard, loader mode)
    connect(&m_session, &DeviceSession::deviceFound, this,
            [this](uint pid, uint vid) { slot_WarningDeviceNotInsert(true, pid, vid); });
    connect(&m_session, &DeviceSession::deviceLost, this,
            [this](uint pid, uint vid) { slot_WarningDeviceNotInsert(false, pid, vid); });
    connect(m_session.watcher(), &CheckDevice::sigBlootDescriptor, this, &MainWindow::slot_SetKelvoMouseBooltDescriptor);
    DCDataHandle *c = m_session.coordinator();
    connect(c, &DCDataHandle::sig_ShowWarningDialog, this, &MainWindow::slot_showWarningDialog);
    connect(c, &DCDataHandle::sig_OpenDeviceResult, this, &MainWindow::slot_OpenDeviceResult);
    connect(c, &DCDataHandle::sig_VersionNumber, this, &MainWindow::slot_GetCurrentFirmVersion);
    connect(c, &DCDataHandle::sig_SetCurrentConfigure, this, &MainWindow::showCurrentConfigButton);
    connect(c, &DCDataHandle::sig_ShowUpdateWidget, this, &MainWindow::slot_ShowUpdateFirmwareWidget);
    connect(c, &DCDataHandle::sig_closeUpdatingWidget, this, [this] {
        if (m_warning)
            m_warning->close();
    });
    connect(&m_session, &DeviceSession::firmwareProgress, this, [this](int percent) {
        if (m_warning)
            m_warning->setProgressValue(percent);
    });
    connect(m_session.stateObject(), &DeviceState::changed, this, &MainWindow::onStateChanged);
    connect(&m_session, &DeviceSession::requestFinished, this, &MainWindow::onRequestFinished);
    connect(this, &MainWindow::sig_WarningTypeOnMainWindow, this, &MainWindow::slot_showWarningDialog);
    connect(this, &MainWindow::sig_ShowWarningWidgetWithSpecifyMessage, this,
            &MainWindow::slot_showWarningDialogWithSpecifyMessage);
}

void MainWindow::buildPages()
{
    m_main = new MainSettingWidget(&m_session);
    addPage(MainPage, m_main);
    connect(m_main, &MainSettingWidget::sig_showKeySettingDialog, this, &MainWindow::slot_showKeySettingDialog);
    connect(m_main, &MainSettingWidget::sig_SetPointSpeed, this, &MainWindow::slot_SetSysPointSpeed);
    connect(m_main, &MainSettingWidget::sig_SetTrolleySpeed, this, &MainWindow::slot_SetSysTrolleyValue);
    connect(m_main, &MainSettingWidget::sig_showDrawDialog, this, &MainWindow::showDrawBorder);
    connect(m_main, &MainSettingWidget::sig_SendEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    const platform::PointerValue speed = m_services.pointer->pointerSpeed();
    const platform::PointerValue lines = m_services.pointer->wheelLines();
    m_main->setPointerSettings(speed.available && lines.available, speed.available ? lines.reason : speed.reason,
                               speed.value, lines.value);

    auto *lighting = new LightSettingWidget(&m_session);
    addPage(LightingPage, lighting);
    connect(lighting, &LightSettingWidget::sig_SendEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);

    m_macro = new MacroEditWidget(&m_session);
    addPage(MacroPage, m_macro);
    connect(m_macro, &MacroEditWidget::sig_HeaderButtonEnable, this, &MainWindow::slot_SetHeaderButtonEnabled);
    connect(m_macro, &MacroEditWidget::sig_BanClickTopButton, this, &MainWindow::slot_BanTopButtonClick);
    connect(m_macro, &MacroEditWidget::sig_ShowWarningWidgetOnMacroEditWidget, this, &MainWindow::slot_showWarningDialog);
    connect(m_macro, &MacroEditWidget::sig_SendEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);

    m_support = new SupportWidget(&m_session);
    addPage(SupportPage, m_support);

    m_cloud = new CloudSyncWidget(&m_session);
    addPage(CloudPage, m_cloud);
    connect(m_cloud, &CloudSyncWidget::sig_ShowWarningDialogOnCloudSyncWidget, this, &MainWindow::slot_showWarningDialog);
    connect(m_cloud, &CloudSyncWidget::sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget, this,
            &MainWindow::slot_showWarningDialogWithSpecifyMessage);
    connect(m_cloud, &CloudSyncWidget::sig_LoadConfigFileAfterDownloadSucced, this,
            &MainWindow::slot_LoadConfigFileAfterDownloadSucced);
    connect(m_cloud, &CloudSyncWidget::sig_LoadMacroFile, this, [this] {
        if (m_macro)
            m_macro->slot_reLoadMacroNamelist();
    });
    connect(m_cloud, &CloudSyncWidget::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);

    m_pairing = new CodeWidget(&m_session);
    addPage(PairingPage, m_pairing);
    connect(m_pairing, &CodeWidget::sig_codeStarted, this, &MainWindow::slot_startCode);
    connect(m_pairing, &CodeWidget::sig_codeFinished, this, &MainWindow::slot_finishCode);
    connect(m_pairing, &CodeWidget::sig_stopCode, this, &MainWindow::on_MainSettingButton_clicked);
    connect(m_pairing, &CodeWidget::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    connect(this, &MainWindow::sig_stopCode, m_pairing, &CodeWidget::slot_stopCode);
}

void MainWindow::slot_showKeySettingDialog(int changedButton, int buttonChangeType, int buttonTrueValue,
                                           int modifyKeyValue)
{
    if (m_keyDialog)
        m_keyDialog->close();
    auto *d = new KeySettingDialog(&m_session, changedButton, buttonChangeType, buttonTrueValue, modifyKeyValue, this);
    m_keyDialog = d;
    d->setAttribute(Qt::WA_DeleteOnClose);
    connect(d, &KeySettingDialog::sig_ShowWarningDialog, this, &MainWindow::slot_showWarningDialog);
    connect(d, &KeySettingDialog::sig_SendEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    connect(this, &MainWindow::sig_CloseKeySettingDialog, d, &QWidget::close);
    d->open();
}

void MainWindow::showDrawBorder()
{
    if (m_drawDialog)
        m_drawDialog->close();
    auto *d = new DrawDialog(&m_session, this);
    m_drawDialog = d;
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setConfigNumber(QString::number(m_currentConfig));
    connect(d, &DrawDialog::sig_SendEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    connect(this, &MainWindow::sig_RemoveWarningWidget, d, &QWidget::close);
    d->open();
}

void MainWindow::wireSupportPage()
{
    // The version checker: replies arrive asynchronously on this thread.
    m_softwareCheck = new LastVersion(this);
    m_firmwareCheck = new LastVersion(this);
    connect(this, &MainWindow::sig_CheckLastSoftwareVersion, m_softwareCheck, &LastVersion::KvLastSoftwareVersionJson);
    connect(m_softwareCheck, &LastVersion::sigLastVersionRet, this, &MainWindow::slot_LastSoftWareVersionRet);
    connect(this, &MainWindow::sig_CheckLastFirmVersion, m_firmwareCheck, &LastVersion::KvLastFirmVersionJson);
    connect(m_firmwareCheck, &LastVersion::sigLastVersionRet, m_support, &SupportWidget::slot_LastVersionRet);
    SupportWidget *p = m_support;
    connect(p, &SupportWidget::sig_ShowWarningWidgetOnSupportWidget, this, &MainWindow::slot_showWarningDialog);
    connect(p, &SupportWidget::sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget, this,
            &MainWindow::slot_showWarningDialogWithSpecifyMessage);
    connect(p, &SupportWidget::sig_closeUpdateWidget, this, [this] {
        if (m_warning)
            m_warning->close();
    });
    connect(p, &SupportWidget::sig_ShowUpdateWidget, this, &MainWindow::slot_ShowUpdateFirmwareWidget);
    connect(p, &SupportWidget::sig_CheckLastFirmVersion, this, &MainWindow::sig_CheckLastFirmVersion);
    connect(p, &SupportWidget::sig_CheckSoftwareIsLastVersion, this, [this] {
        m_manualCheck = true;
        Q_EMIT sig_CheckLastSoftwareVersion(QStringLiteral("qk"));
    });
    connect(p, &SupportWidget::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    connect(this, &MainWindow::sig_UpdateButtonEnable, p, &SupportWidget::slot_UpdateButtonEnable);
    connect(p->downloader(), &FileDownloader::progress, this, [this](qint64 received, qint64 total) {
        if (m_warning && total > 0)
            m_warning->setProgressValue(int(received * 100 / total));
    });
    connect(p, &SupportWidget::analyticsChosen, this, [this](bool on) {
        if (!AnalyticsSettings::setEnabled(on))
            qWarning() << "usage report choice not stored:" << AnalyticsSettings::filePath();
        applyAnalyticsSettings();
    });
}

void MainWindow::applyAnalyticsSettings()
{
    const AnalyticsSettings settings = AnalyticsSettings::load();
    if (!settings.active()) {
        m_session.setAnalyticsSink(nullptr);
        m_sink = nullptr;
        m_analytics.reset();
    } else if (!m_analytics) {
        m_analytics = std::make_unique<GoogleAnalyticsAdaptor>(settings.trackingId, settings.endpoint);
        m_analytics->setSendInterval(5000);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            m_analytics->analytics()->setScreenResolution(screen->size());
        m_sink = m_analytics.get();
        m_session.setAnalyticsSink(m_analytics.get());
        m_analytics->analytics()->startSession();
    }
    m_support->setAnalyticsState(settings);
}

// ---- pages and tabs ------------------------------------------------------------------------

int MainWindow::currentPage() const
{
    return m_pages->currentIndex();
}

void MainWindow::addPage(Page index, QWidget *page)
{
    Q_ASSERT(m_pages->count() == index); // the pages go in in the order of Page
    m_pages->addWidget(page);
}

void MainWindow::SetMenuButtonStyleSheet(int index)
{
    for (int i = 0; i < m_tabs.size(); ++i) {
        const QString position = i == 0 ? QStringLiteral("tab_btn_left")
                               : i == m_tabs.size() - 1 ? QStringLiteral("tab_btn_right")
                                                         : QStringLiteral("tab_btn_centre");
        const bool active = i == index;
        m_tabs[i]->setStyleSheet(
            active ? QStringLiteral("QPushButton{border-image: url(:/picture/picture/%1_s.png);"
                                    "color: #FFFFFF; font-weight: bold; font-size: 23px; border: none; padding: 0px;}")
                         .arg(position)
                   : QStringLiteral("QPushButton{border-image: url(:/picture/picture/%1.png);"
                                    "color: #40C5DD; font-size: 20px; border: none; padding: 0px;}"
                                    "QPushButton:hover{color: #FFFFFF;}"
                                    "QPushButton:focus{color: #FFFFFF; text-decoration: underline;}")
                         .arg(position));
        static_cast<QGraphicsOpacityEffect *>(m_tabs[i]->graphicsEffect())->setOpacity(active ? 1.0 : 0.8);
    }
}

void MainWindow::switchTo(int index, int screenText)
{
    if (m_macro && m_pages->currentIndex() == MacroPage && index != MacroPage)
        m_macro->stopRecording();
    if (m_macro && index == MacroPage)
        m_macro->slot_reLoadMacroNamelist();
    slot_SendMessageToGA(QString(), QString(), QString(), TextTable::text(screenText)); // a page view
    SetMenuButtonStyleSheet(index);
    m_pages->setCurrentIndex(index);
}

void MainWindow::on_MainSettingButton_clicked() { switchTo(MainPage, 189); }
void MainWindow::on_LightSettingButton_clicked() { switchTo(LightingPage, 190); }
void MainWindow::on_MacroEditButton_clicked() { switchTo(MacroPage, 191); }
void MainWindow::on_SupportButton_clicked() { switchTo(SupportPage, 192); }

void MainWindow::on_CloudSyncButton_clicked()
{
    if (!m_loggedIn) {
        slot_showWarningDialog(toInt(Warning::LoginNeeded));
        return;
    }
    switchTo(CloudPage, 198);
}

void MainWindow::slot_GoToMatchCodePage()
{
    SetMenuButtonStyleSheet(-1);
    m_pages->setCurrentIndex(PairingPage);
}

// ---- profiles ------------------------------------------------------------------------------

void MainWindow::on_ConfigureButton_clicked(int number)
{
    setCurrentConfigure(number);
}

void MainWindow::setCurrentConfigure(int number)
{
    slot_SendMessageToGA(QStringLiteral("Mouse"), TextTable::text(192 + number), QString(), QString());
    showCurrentConfigButton(number);
    m_session.loadConfiguration(number);
}

void MainWindow::showCurrentConfigButton(int configureButton)
{
    if (configureButton < 1 || configureButton > 5)
        return;
    m_currentConfig = configureButton;
    for (int n = 1; n <= m_profiles.size(); ++n) {
        const QString image = n == 5 ? QStringLiteral("set_btn_2") : QStringLiteral("set_btn_1");
        QPushButton *button = m_profiles[n - 1];
        button->setStyleSheet(
            n == configureButton
                ? QStringLiteral("QPushButton{border-image: url(:/picture/picture/%1_s.png); color: #FFFFFF; border: none;}"
                                 "QPushButton:focus{text-decoration: underline;}")
                      .arg(image)
                : QStringLiteral("QPushButton{border-image: url(:/picture/picture/%1.png); color: rgba(64,197,221,1); border: none;}"
                                 "QPushButton:hover{border-image: url(:/picture/picture/%1_hl.png); color: #FFFFFF;}"
                                 "QPushButton:focus{border-image: url(:/picture/picture/%1_hl.png); color: #FFFFFF;}")
                      .arg(image));
        button->setProperty("selected", n == configureButton);
    }
}

void MainWindow::slot_LoadConfigFileAfterDownloadSucced(int configureButton)
{
    showCurrentConfigButton(configureButton);
    m_session.loadConfiguration(configureButton);
}

void MainWindow::on_ResetToOriginalButton_clicked()
{
    slot_showWarningDialog(toInt(Warning::ConfirmFactoryReset));
}

void MainWindow::slot_ResetMouseToOriginal()
{
    qInfo() << "ResetMouse";
    m_session.factoryReset();
    qDebug() << "deleteHighestFile";
    const QString highest = StoragePaths::highestFunctionIniFile();
    if (QFile::exists(highest) && QFile::remove(highest))
        qDebug() << "deleteHighestFile ok";
}

// ---- the mouse arriving and leaving --------------------------------------------------------

void MainWindow::slot_WarningDeviceNotInsert(bool isfind, uint Pid, uint Vid)
{
    qDebug() << "slot_WarningDeviceNotInsert";
    qDebug().noquote() << QString::asprintf("vid %x, pid %x ", Vid, Pid);
    qDebug() << "=======================";
    m_productId = Pid;
    if (!isfind) {
        if (currentPage() == PairingPage) {
            Q_EMIT sig_stopCode();
            m_session.stopPairing();
            m_pages->setCurrentIndex(SupportPage);
            SetMenuButtonStyleSheet(SupportPage);
        }
        showNeedDevice();
        m_session.closeDevice();
        Q_EMIT sig_RemoveWarningWidget();
        Q_EMIT sig_CloseKeySettingDialog();
        stopBatteryPoll();
        return;
    }
    // A mouse waiting in its boot loader (an update stopped half way): offer the repair at once,
    // unless it is our own update that restarted it there.
    const bool falconLoader = Pid == ProductTable::kFalconBootProductId;
    const bool ospreyLoader = Pid == ProductTable::kLoaderProductId;
    if ((falconLoader || ospreyLoader) && m_firmwareRequest == 0) {
        slot_ShowUpdateFirmwareWidget(true, true, m_bootType ? m_bootType : m_mouseType, true);
        return;
    }
    if (!countInsertion()) {
        showNeedDevice();
        Q_EMIT sig_WarningTypeOnMainWindow(toInt(Warning::TooManyInsertions));
        return;
    }
    m_session.openDevice(Pid);
    startBatteryPoll();
}

bool MainWindow::countInsertion()
{
    const qint64 now = Pacer::nowMs();
    m_insertions << now;
    while (!m_insertions.isEmpty() && now - m_insertions.first() >= kInsertionWindowMs)
        m_insertions.removeFirst();
    return m_insertions.size() <= kInsertionsPerMinute;
}

void MainWindow::slot_SetKelvoMouseBooltDescriptor(int mouseType)
{
    qDebug() << "slot_SetKelvoMouseBooltDescriptor" << mouseType;
    m_bootType = mouseType;
}

void MainWindow::slot_OpenDeviceResult(bool result, int mouseType, bool isWirelessState)
{
    qDebug() << "slot_OpenDeviceResult" << result << mouseType << isWirelessState;
    if (!result) {
        m_needDevice->setHint(DeviceAccess::systemAccessFix().join(QLatin1Char('\n')));
        return;
    }
    m_mouseType = mouseType;
    Q_EMIT sig_CheckLastSoftwareVersion(QStringLiteral("qk"));
    m_manualCheck = false;
    m_needDevice->hide();
    setDeviceControlsEnabled(true);
    wiredMouseOnSupportPage(isWirelessState);
    if (currentPage() != MainPage)
        switchTo(MainPage, 189);
    showModelLogo(mouseType);
}

void MainWindow::wiredMouseOnSupportPage(bool isWirelessState)
{
    m_batteryIconLabel->setVisible(isWirelessState);
    m_batteryLabel->setVisible(isWirelessState);
    m_connectionIcon = isWirelessState ? QStringLiteral(":/picture/picture/Falcon/wireless.png")
                                       : QStringLiteral(":/picture/picture/Falcon/wire.png");
    m_connection->setStyleSheet(borderImage(m_connectionIcon));
    const QString name = TextTable::text(isWirelessState ? kTextWireless : kTextWired);
    m_connection->setAccessibleName(name);
    m_connection->setToolTip(name);
}

void MainWindow::showModelLogo(int mouseType)
{
    const QString family = MouseType::familyResourceName(mouseType);
    m_logoImage = QStringLiteral(":/picture/%1/picture/%2/logo_kelvo.png").arg(family, family.toUpper());
    m_logo->setStyleSheet(QStringLiteral("border-image: url(%1);").arg(m_logoImage));
    m_logo->setAccessibleName(MouseType::modelName(mouseType));
    m_logo->show();
}

void MainWindow::showNeedDevice()
{
    setDeviceControlsEnabled(false); // keyboard focus stays out of what the layer covers
    // A supported mouse whose device node this user may not open looks like no mouse: say so
    // and how to fix it.
    m_needDevice->setHint(DeviceAccess::systemAccessFix().join(QLatin1Char('\n')));
    m_needDevice->show();
    m_needDevice->raise();
    clearBattery();
    m_logo->hide();
    m_connection->setStyleSheet(QString());
    m_connectionIcon.clear();
}

void MainWindow::setDeviceControlsEnabled(bool enabled)
{
    m_tabs.first()->parentWidget()->setEnabled(enabled);
    m_pages->setEnabled(enabled);
    m_profiles.first()->parentWidget()->setEnabled(enabled);
}

void MainWindow::clearBattery()
{
    m_batteryLabel->clear();
    m_batteryIconLabel->setStyleSheet(QString());
    m_batteryIcon.clear();
    m_lastBattery = -1;
}

void MainWindow::slot_BatteryPower(DWORD value)
{
    qDebug() << "slot_BatteryPower" << value;
    const BatteryLook look = batteryLook(value);
    m_batteryIcon = QStringLiteral(":/picture/picture/") + QLatin1String(look.icon);
    m_batteryIconLabel->setStyleSheet(borderImage(m_batteryIcon));
    m_batteryLabel->setText(look.percentage ? QStringLiteral("%1%").arg(value) : QString());
    m_batteryIconLabel->setToolTip(look.percentage ? m_batteryLabel->text() : QString());
}

QString MainWindow::batteryText() const
{
    return m_batteryLabel->text();
}

void MainWindow::startBatteryPoll()
{
    m_batteryTimer.start();
    qDebug() << "MainWindow::startTimeCount" << m_batteryTimer.timerId();
}

void MainWindow::stopBatteryPoll()
{
    qDebug() << "MainWindow::stopTimeCount" << m_batteryTimer.timerId();
    m_batteryTimer.stop();
}

void MainWindow::onStateChanged()
{
    const DeviceState &state = m_session.state();
    if (state.isOpen() && state.isWireless() && state.batteryLevel() >= 0 && state.batteryLevel() != m_lastBattery) {
        m_lastBattery = state.batteryLevel();
        slot_BatteryPower(DWORD(m_lastBattery));
    }
    if (state.isOpen() && state.configNumber() >= 1 && state.configNumber() != m_currentConfig)
        showCurrentConfigButton(state.configNumber());
}

// ---- warnings ------------------------------------------------------------------------------

void MainWindow::slot_showWarningDialog(int warningType)
{
    Q_EMIT sig_RemoveReloadWidget(); // closes (and so deletes) the previous warning dialog
    auto *d = new WarningDialog(this);
    m_warning = d;
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->SetPid(int(m_session.state().isOpen() ? m_session.state().productId() : m_productId));
    d->setDownloadAddress(m_downloadPath);
    d->setWarningType(warningType);
    connect(d, &WarningDialog::sig_QuitUser, this, &MainWindow::slot_quitUser);
    connect(d, &WarningDialog::sig_ResetMouseToOriginal, this, &MainWindow::slot_ResetMouseToOriginal);
    connect(d, &WarningDialog::sig_GetMouseProfileAgain, this, [this] { m_session.refreshProfile(); });
    connect(d, &WarningDialog::sig_SaveCurrentProfileFileToConfig1, this, [this] { m_session.saveToConfiguration1(); });
    connect(d, &WarningDialog::sig_ConfigRevcover, this, [this](int) { on_ConfigureButton_clicked(1); });
    connect(d, &WarningDialog::sig_GoToMatchCodePage, this, &MainWindow::slot_GoToMatchCodePage);
    connect(d, &WarningDialog::sig_GoToSupportWidget, this, &MainWindow::on_SupportButton_clicked);
    connect(d, &WarningDialog::sig_ShowUpdateWidget, this, &MainWindow::slot_ShowUpdateFirmwareWidget);
    connect(d, &WarningDialog::sig_UpdateButtonEnable, this, &MainWindow::sig_UpdateButtonEnable);
    connect(d, &WarningDialog::sig_DownloadAndUpdateFirmwareNow, m_support, &SupportWidget::slot_StartUpdateFirmWare);
    connect(d, &WarningDialog::sig_ChangeConfiFileBeforeStartToUploadFile, m_cloud, &CloudSyncWidget::slot_startToUploadConfigFiles);
    connect(d, &WarningDialog::sig_StarToDownloadFile, m_cloud, &CloudSyncWidget::slot_startToDownLoadFiles);
    connect(d, &WarningDialog::sig_UpdateFirmwareNow, this, [this] {
        if (m_updateDialog)
            m_updateDialog->slot_UpdateFirmware();
    });
    connect(d, &WarningDialog::sig_UpdateFirmwareNow_Halden, this, [this] {
        if (m_updateDialog)
            m_updateDialog->slot_runMakersUpdater();
    });
    connect(d, &WarningDialog::sig_OpenMouseAgain, this, [this] {
        // After an update the session opens the mouse again by itself; a mouse that is still
        // not open (updated from its boot loader) is opened once more here.
        if (!m_session.state().isOpen() && m_productId)
            m_session.openDevice(m_productId);
    });
    connect(d, &WarningDialog::sig_exitSoftware, this, &MainWindow::slot_needDeviceDialogClienk);
    connect(d, &WarningDialog::sig_RestartSoftware, this, &MainWindow::slot_startWattingProcess);
    connect(d, &WarningDialog::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    connect(this, &MainWindow::sig_RemoveWarningWidget, d, &QWidget::close);
    connect(this, &MainWindow::sig_RemoveReloadWidget, d, &QWidget::close);
    d->move(mapToGlobal(QPoint(0, 0)));
    d->show();
    d->raise();
}

void MainWindow::slot_showWarningDialogWithSpecifyMessage(int warningType, QString warningMessage)
{
    slot_showWarningDialog(warningType);
    m_warning->setWarningMessage(warningType, warningMessage);
}

void MainWindow::slotMessageReceived(const QString &message)
{
    qDebug() << "slotMessageReceived" << message;
    bringToFront();
    if (message != QCoreApplication::applicationFilePath()) {
        auto *box = new QMessageBox(QMessageBox::NoIcon, TextTable::text(343), TextTable::text(342), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void MainWindow::slot_SendMessageToGA(QString category, QString action, QString label, QString viewScreen)
{
    if (m_sink)
        m_sink->send(AnalyticsEvent{category, action, label, viewScreen});
}

// ---- pairing -------------------------------------------------------------------------------

void MainWindow::slot_startCode(bool ok)
{
    if (ok)
        return;
    slot_showWarningDialog(toInt(Warning::PairingFailed));
    on_MainSettingButton_clicked();
}

void MainWindow::slot_finishCode(bool ok)
{
    on_MainSettingButton_clicked();
    if (!ok) {
        slot_showWarningDialog(toInt(Warning::PairingFailed));
        return;
    }
    showCurrentConfigButton(1);
    slot_showWarningDialog(toInt(Warning::PairingSucceeded));
    // Open the newly paired mouse behind the receiver.
    slot_WarningDeviceNotInsert(true, m_productId, ProductTable::vendorId());
}

// ---- versions and firmware -----------------------------------------------------------------

void MainWindow::slot_GetCurrentFirmVersion(int version)
{
    qDebug() << "slot_GetCurrentFirmVersion" << version;
    m_firmwareVersion = version;
    qDebug() << "compareFirmWareVersion" << m_mouseType << version;
}

void MainWindow::slot_LastFirmWareVersionRet(int rCode, QString rMsg, QString version, QString path)
{
    qDebug() << "FirmWare slot_LastVersionRet " << rCode << rMsg << version << path;
    bool ok = false;
    const int server = version.toInt(&ok);
    if (rCode == 0 && !version.isEmpty() && ok && m_firmwareVersion < server)
        slot_showWarningDialog(toInt(Warning::NewerFirmwareAtConnection));
}

void MainWindow::slot_LastSoftWareVersionRet(int rCode, QString rMsg, QString version, QString path,
                                              QString versionDate)
{
    qDebug() << "Software slot_LastVersionRet " << rCode << rMsg << version << path << versionDate
             << QCoreApplication::applicationVersion();
    Q_EMIT sig_UpdateButtonEnable();
    const bool manual = m_manualCheck;
    m_manualCheck = false;
    if (rCode != 0) {
        if (manual)
            Q_EMIT sig_ShowWarningWidgetWithSpecifyMessage(toInt(Warning::ServerMessage), rMsg);
        return;
    }
    // A text comparison: "1.00" is another version than "1.0".
    if (!version.isEmpty() && version != QCoreApplication::applicationVersion()) {
        if (manual) {
            m_downloadPath = path;
            slot_showWarningDialog(toInt(Warning::NewerProgramVersionOnRequest));
            return;
        }
        QSettings remind(StoragePaths::noLongerRemindIniFile(), QSettings::IniFormat);
        if (remind.value(QStringLiteral("NotRemind")).toInt() != 1) {
            m_downloadPath = path;
            slot_showWarningDialog(toInt(Warning::NewerProgramVersion));
        }
    } else if (manual) {
        slot_showWarningDialog(toInt(Warning::ProgramUpToDate));
    }
}

void MainWindow::slot_ShowUpdateFirmwareWidget(bool isChangeable, bool isLocalUpdateState, int mouseType,
                                               bool isUpdateNow)
{
    qDebug() << "slot_ShowUpdateFirmwareWidget" << isChangeable << isLocalUpdateState << mouseType << isUpdateNow;
    if (mouseType)
        m_bootType = mouseType;
    if (m_updateDialog)
        m_updateDialog->close();
    auto *d = new UpdateMouseDialog(isChangeable, isLocalUpdateState, this);
    m_updateDialog = d;
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setCurrentMouseType(mouseType ? mouseType : m_mouseType);
    connect(d, &UpdateMouseDialog::sig_ShowWarningDialog, this, &MainWindow::slot_showWarningDialog);
    connect(d, &UpdateMouseDialog::sig_ShowWarningDialogWithMessage, this, &MainWindow::slot_showWarningDialogWithSpecifyMessage);
    connect(d, &UpdateMouseDialog::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    connect(this, &MainWindow::sig_UpdateButtonEnable, d, &UpdateMouseDialog::slot_UpdateButtonEnable);
    connect(d, &UpdateMouseDialog::sig_UpdateFirmwareKelvo, this, [this](const QString &path, const QString &model) {
        if (QFileInfo::exists(path)) {
            updateFirmwareFrom(path, model);
            return;
        }
        // No image of that model in the update folder (a repair with nothing downloaded): the
        // user picks the file.
        auto *chooser = new QFileDialog(this, QString(), QDir::homePath(), QStringLiteral("*.bin"));
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->setFileMode(QFileDialog::ExistingFile);
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        connect(chooser, &QFileDialog::fileSelected, this, [this, model](const QString &file) { updateFirmwareFrom(file, model); });
        chooser->open();
    });
    d->move(mapToGlobal(QPoint((width() - d->width()) / 2, (height() - d->height()) / 2)));
    d->show();
    if (isUpdateNow)
        d->slot_UpdateFirmware();
}

void MainWindow::updateFirmwareFrom(const QString &imagePath, const QString &model)
{
    const bool mouseOpen = m_session.state().isOpen();
    const QString target = !model.isEmpty() ? model : mouseOpen ? QString() : MouseType::modelName(m_bootType);
    m_firmwareRequest = m_session.updateFirmware(imagePath, target);
}

void MainWindow::onRequestFinished(quint64 id)
{
    if (id != m_firmwareRequest)
        return;
    m_firmwareRequest = 0;
    const RequestOutcome outcome = m_session.wait(id);
    Q_EMIT firmwareUpdateFinished(outcome.ok);
}

// ---- account -------------------------------------------------------------------------------

void MainWindow::checkTokenIsExit()
{
    if (!AccountStatus::loggedIn())
        return;
    qDebug() << "TokenIsExit";
    setLoggedIn(AccountStatus::nickName());
}

void MainWindow::on_LoginButton_clicked()
{
    auto *d = new UserDialog(this);
    d->setAttribute(Qt::WA_DeleteOnClose);
    connect(d, &UserDialog::sig_loggedIn, this, &MainWindow::setLoggedIn);
    connect(d, &UserDialog::sig_ShowWarningDialog, this, &MainWindow::slot_showWarningDialog);
    connect(d, &UserDialog::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    d->move(mapToGlobal(QPoint((width() - d->width()) / 2, (height() - d->height()) / 2)));
    d->open();
}

void MainWindow::setLoggedIn(const QString &nickname)
{
    m_loggedIn = true;
    const QString shown = nickname.size() > 7 ? nickname.left(7) + QStringLiteral("...") : nickname;
    m_userName->setText(shown);
    if (m_cloud) {
        m_cloud->setUserNameLineEdit(nickname);
        m_cloud->setAccountEmail(AccountStatus::email());
    }
    m_userName->setToolTip(nickname);
    m_userName->show();
    m_quitUser->show();
    m_login->hide();
}

void MainWindow::showLoggedOut()
{
    m_login->show();
    m_userName->hide();
    m_quitUser->hide();
    m_loggedIn = false;
}

void MainWindow::slot_quitUser()
{
    showLoggedOut();
    if (!AccountStatus::logout())
        qWarning() << "slot_quitUser: the stored login could not be removed";
    on_MainSettingButton_clicked();
}

// ---- desktop -------------------------------------------------------------------------------

void MainWindow::slot_SetSysPointSpeed(int value)
{
    const QString why = m_services.pointer->setPointerSpeed(value);
    if (!why.isEmpty())
        qWarning() << "slot_SetSysPointSpeed" << why;
}

void MainWindow::slot_SetSysTrolleyValue(int value)
{
    const QString why = m_services.pointer->setWheelLines(value);
    if (!why.isEmpty())
        qWarning() << "slot_SetSysTrolleyValue" << why;
}

void MainWindow::slot_SetHeaderButtonEnabled(bool state)
{
    for (QPushButton *b : qAsConst(m_profiles))
        b->setEnabled(state);
    m_reset->setEnabled(state);
}

void MainWindow::slot_BanTopButtonClick(bool state, bool isTransparent)
{
    for (QPushButton *tab : qAsConst(m_tabs)) {
        tab->setEnabled(!state);
        static_cast<QGraphicsOpacityEffect *>(tab->graphicsEffect())
            ->setOpacity(isTransparent && state ? 0.4 : (tab == m_tabs.value(currentPage()) ? 1.0 : 0.8));
    }
}

void MainWindow::slot_startWattingProcess()
{
    m_needDevice->hide();
    if (!m_services.restarter->restartThisProgram())
        qWarning() << "slot_startWattingProcess: the restart helper did not start";
    Q_EMIT QuitTheApplication();
}

void MainWindow::slot_needDeviceDialogClienk()
{
    Q_EMIT QuitTheApplication();
}

void MainWindow::on_minimumButton_clicked()
{
    slot_SendMessageToGA(QStringLiteral("Normal"), QStringLiteral("Minimize"), QString(), QString());
    showMinimized();
}

void MainWindow::on_quitButton_clicked()
{
    slot_SendMessageToGA(QStringLiteral("Normal"), QStringLiteral("Close"), QString(), QString());
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_tray && m_tray->isVisible()) {
        hide(); // the program keeps running in the tray
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT QuitTheApplication();
}

void MainWindow::bringToFront()
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    show();
    setWindowFlags(windowFlags() & ~Qt::WindowStaysOnTopHint);
    showNormal();
    raise();
    activateWindow();
}
