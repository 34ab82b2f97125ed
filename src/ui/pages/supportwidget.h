#pragma once
// The support page: the mouse's firmware version and the program's, the checks for newer ones
// (answered through the main window's version checker), the download of a newer firmware into
// the update folder, the maker's web site, and whether usage reports are sent and where.

#include "net/analytics/analyticssettings.h"

#include <QString>
#include <QWidget>

class DeviceSession;
class FileDownloader;
class QCheckBox;
class QLabel;
class QPushButton;

class SupportWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SupportWidget(DeviceSession *session, QWidget *parent = nullptr);

    // The usage-report box and the line saying where reports go, or why none are sent.
    void setAnalyticsState(const AnalyticsSettings &settings);
    FileDownloader *downloader() const { return m_downloader; }
    QString pendingDownload() const { return m_address; }

Q_SIGNALS:
    void sig_ShowWarningWidgetOnSupportWidget(int type);
    void sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(int type, QString message);
    void sig_closeUpdateWidget();
    void sig_CheckLastFirmVersion(QString modelName);
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
    void sig_CheckSoftwareIsLastVersion();
    void sig_SendUIEventMessageToGA(QString category, QString action, QString label, QString viewScreen);
    // The user turned usage reports on or off.
    void analyticsChosen(bool on);

public Q_SLOTS:
    void setVersionNumber(int versionNumber);
    void slot_StartUpdateFirmWare();
    void on_CheckUpdateButton_clicked();
    void slot_LastVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate);
    void slot_saveFile(bool ok);
    void on_OfficialWebsiteButton_clicked();
    void on_CheckSoftwareUpdateButton_clicked();
    // The program check has been answered: its button works again.
    void slot_UpdateButtonEnable();

private:
    void refresh();

    DeviceSession *m_session;
    FileDownloader *m_downloader;
    QLabel *m_firmware = nullptr;
    QLabel *m_program = nullptr;
    QPushButton *m_checkFirmware = nullptr;
    QPushButton *m_checkProgram = nullptr;
    QCheckBox *m_reports = nullptr;
    QLabel *m_reportsWhere = nullptr;
    QString m_address;
    QString m_versionDate;
    int m_modelCode = 0;
    int m_downloadModel = 0;
};
