#pragma once
// The cloud page: a logged-in user uploads the attached model's configuration folder and the
// macro library to the account service, downloads them again over the local copies, and
// changes the account password.
//
// The page owns its request objects (UploadFile, SaveConfigInfo, GetDownLoadFilePath,
// UpdatePasswdAccount) and its FileDownloader and wires its request signals to them itself; the
// main window only answers the page's dialog signals. Upload and download run inside the slot
// that starts them and spin the event loop while they wait for each answer, so the result slots
// are delivered during the wait; the time is taken from the pacing clock (a virtual clock makes
// a time-out immediate in tests). Unpacking goes through the session, which refuses an archive
// with entries outside its folder and leaves the folder untouched when unpacking fails.

#include <QString>
#include <QWidget>

class DeviceSession;
class FileDownloader;
class GetDownLoadFilePath;
class PacingClock;
class QLabel;
class QLineEdit;
class QPushButton;
class SaveConfigInfo;
class UpdatePasswdAccount;
class UploadFile;

class CloudSyncWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CloudSyncWidget(DeviceSession *session, QWidget *parent = nullptr);

    // Waits of the sequences.
    static constexpr int kRequestTimeoutMs = 10000;
    static constexpr int kDownloadTimeoutMs = 20000;

    // The clock the waits measure their time-out with (not owned); nullptr: the pacing clock.
    void setWaitClock(PacingClock *clock) { m_clock = clock; }
    // The service address of the page's requests (tests; the default is the configured one).
    void setServerUrl(const QString &url);
    // The e-mail of the logged-in account, sent with a password change.
    void setAccountEmail(const QString &email) { m_email = email; }
    QString statusText() const;
    QString passwordStatusText() const;

Q_SIGNALS:
    void sig_ShowWarningDialogOnCloudSyncWidget(int type);
    void sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget(int type, QString message);
    void sig_LoadConfigFileAfterDownloadSucced(int i);
    void sig_LoadMacroFile();
    void sig_UpdatePassword(QString email, QString passwd, QString rePasswd);
    void sig_UploadConfigFile(QString fileName, bool state);
    void sig_SaveConfig(QString fileName, QString mouseType, QString type);
    void sig_GetDownLoadFilePath(QString mouseType);
    void sig_StartDownload(QString path);
    void sig_RemoveOldFile();
    void sig_ShowLoadingDialog();
    void sig_EndLoadingDialog();
    void sig_SendUIEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public Q_SLOTS:
    void setUserNameLineEdit(const QString &text);
    // Run after the user confirmed warning 2 / 4 (the warning dialog's
    // sig_ChangeConfiFileBeforeStartToUploadFile / sig_StarToDownloadFile).
    void slot_startToUploadConfigFiles();
    void slot_startToDownLoadFiles();
    void on_UploadButton_clicked();
    void on_DownloadButton_clicked();
    void on_ChangePasswordButton_clicked();
    void checkPasswordIsDone();
    void slot_changePasswordResult(int rCode, QString rMsg);
    void slot_upLoadResult(int rCode, QString rMsg, QString filePath);
    void slot_saveConfigResult(int rCode, QString rMsg);
    void slot_getDownLoadFilePathResult(int rCode, QString rConfigType, QString rMsg, QString path);
    void slot_saveFile(bool ok);

private:
    // Spins the event loop until *flag is non-zero or timeoutMs passed; the flag's value (0 after
    // a time-out). Only 1 counts as success.
    int waitFor(const int *flag, int timeoutMs);
    bool uploadPart(bool isMacro);
    bool downloadPart(const QString &mouseType, const QString &folderName, bool *nothingStored);
    bool discondenseDownLoadFile(const QString &folderName);
    void refresh();

    DeviceSession *m_session;
    PacingClock *m_clock = nullptr;
    UploadFile *m_upload;
    SaveConfigInfo *m_save;
    GetDownLoadFilePath *m_getPath;
    UpdatePasswdAccount *m_password;
    FileDownloader *m_downloader;

    int m_uploadFlag = 0;
    int m_pathFlag = 0;
    int m_downloadFlag = 0;
    bool m_downloadOk = false;
    bool m_running = false;
    bool m_loginExpired = false; // a request answered 10011: warning 18 replaces the failure warning
    QString m_uploadPath;
    QString m_downloadPath;
    QString m_message;
    QString m_email;

    QLineEdit *m_account = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_noMouse = nullptr;
    QPushButton *m_uploadButton = nullptr;
    QPushButton *m_downloadButton = nullptr;
    QLineEdit *m_oldPassword = nullptr;
    QLineEdit *m_newPassword = nullptr;
    QLineEdit *m_repeatPassword = nullptr;
    QPushButton *m_changeButton = nullptr;
    QLabel *m_passwordStatus = nullptr;
};
