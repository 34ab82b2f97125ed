#include "ui/pages/cloudsyncwidget.h"

#include "common/pacer.h"
#include "common/texttable.h"
#include "common/warning.h"
#include "net/account/accountcodes.h"
#include "net/account/updatepasswdaccount.h"
#include "net/cloud/getdownloadfilepath.h"
#include "net/cloud/saveconfiginfo.h"
#include "net/cloud/uploadfile.h"
#include "net/update/filedownloader.h"
#include "session/devicesession.h"
#include "session/devicestate.h"
#include "ui/widgets/card.h"
#include "ui/theme/theme.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

enum Text {
    kTextUploaded = 103,
    kTextChangingPassword = 230,
    kTextWrongPassword = 231,
    kTextBackupCard = 536,
    kTextBackupExplanation = 537,
    kTextAccount = 538,
    kTextUpload = 539,
    kTextDownload = 540,
    kTextPasswordCard = 541,
    kTextCurrentPassword = 542,
    kTextNewPassword = 543,
    kTextRepeatPassword = 544,
    kTextChangePassword = 545,
    kTextNeedMouse = 546,
};

const QString kScreen = QStringLiteral("Cloud");

QLineEdit *passwordField(int text, const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    Theme::setPlaceholder(edit, TextTable::text(text));
    edit->setAccessibleName(TextTable::text(text));
    edit->setMaxLength(64);
    return edit;
}

} // namespace

CloudSyncWidget::CloudSyncWidget(DeviceSession *session, QWidget *parent)
    : QWidget(parent), m_session(session), m_upload(new UploadFile(this)), m_save(new SaveConfigInfo(this)),
      m_getPath(new GetDownLoadFilePath(this)), m_password(new UpdatePasswdAccount(this)),
      m_downloader(new FileDownloader(this))
{
    setObjectName(QStringLiteral("CloudSyncWidget"));

    // Requests out, answers back. All objects live on this thread: the network calls are
    // asynchronous, and the waits below keep the event loop running.
    connect(this, &CloudSyncWidget::sig_UploadConfigFile, m_upload, &UploadFile::upload);
    connect(m_upload, &UploadFile::sigUploadFileRet, this, &CloudSyncWidget::slot_upLoadResult);
    connect(this, &CloudSyncWidget::sig_SaveConfig, m_save, &SaveConfigInfo::KvSaveConfigInfoJson);
    connect(m_save, &SaveConfigInfo::sigSaveConfRet, this, &CloudSyncWidget::slot_saveConfigResult);
    connect(this, &CloudSyncWidget::sig_GetDownLoadFilePath, m_getPath, &GetDownLoadFilePath::KvDownLoadFilePathJson);
    connect(m_getPath, &GetDownLoadFilePath::sig_DownLoadFilePathRet, this, &CloudSyncWidget::slot_getDownLoadFilePathResult);
    connect(this, &CloudSyncWidget::sig_UpdatePassword, m_password, &UpdatePasswdAccount::KvUpdatePasswdJson);
    connect(m_password, &UpdatePasswdAccount::sigUpdatePwdRet, this, &CloudSyncWidget::slot_changePasswordResult);
    connect(this, &CloudSyncWidget::sig_StartDownload, m_downloader, [this](const QString &path) { m_downloader->startDownlod(QUrl(path)); });
    connect(m_downloader, &FileDownloader::downloaded, this, &CloudSyncWidget::slot_saveFile);

    QVBoxLayout *backupBox = nullptr;
    QFrame *backupCard = Card::create(TextTable::text(kTextBackupCard), this, &backupBox);
    auto *explanation = new QLabel(TextTable::text(kTextBackupExplanation), backupCard);
    explanation->setWordWrap(true);
    explanation->setProperty("role", QStringLiteral("secondary"));
    backupBox->addWidget(explanation);
    auto *accountRow = new QHBoxLayout;
    auto *accountLabel = new QLabel(TextTable::text(kTextAccount), backupCard);
    m_account = new QLineEdit(backupCard);
    m_account->setObjectName(QStringLiteral("UserNameLineEdit"));
    m_account->setReadOnly(true);
    m_account->setFocusPolicy(Qt::NoFocus);
    m_account->setAccessibleName(TextTable::text(kTextAccount));
    accountLabel->setBuddy(m_account);
    accountRow->addWidget(accountLabel);
    accountRow->addWidget(m_account, 1);
    backupBox->addLayout(accountRow);
    auto *buttons = new QHBoxLayout;
    m_uploadButton = new QPushButton(TextTable::text(kTextUpload), backupCard);
    m_uploadButton->setObjectName(QStringLiteral("UploadButton"));
    m_uploadButton->setProperty("role", QStringLiteral("primary"));
    m_downloadButton = new QPushButton(TextTable::text(kTextDownload), backupCard);
    m_downloadButton->setObjectName(QStringLiteral("DownloadButton"));
    buttons->addWidget(m_uploadButton);
    buttons->addWidget(m_downloadButton);
    buttons->addStretch(1);
    backupBox->addLayout(buttons);
    m_noMouse = new QLabel(TextTable::text(kTextNeedMouse), backupCard);
    m_noMouse->setProperty("role", QStringLiteral("secondary"));
    backupBox->addWidget(m_noMouse);
    m_status = new QLabel(backupCard);
    m_status->setObjectName(QStringLiteral("CloudStatusLabel"));
    m_status->setWordWrap(true);
    backupBox->addWidget(m_status);
    backupBox->addStretch(1);

    QVBoxLayout *passwordBox = nullptr;
    QFrame *passwordCard = Card::create(TextTable::text(kTextPasswordCard), this, &passwordBox);
    m_oldPassword = passwordField(kTextCurrentPassword, QStringLiteral("OldPasswordLineEdit"), passwordCard);
    m_newPassword = passwordField(kTextNewPassword, QStringLiteral("NewPasswordLineEdit"), passwordCard);
    m_repeatPassword = passwordField(kTextRepeatPassword, QStringLiteral("RepeatPasswordLineEdit"), passwordCard);
    passwordBox->addWidget(m_oldPassword);
    passwordBox->addWidget(m_newPassword);
    passwordBox->addWidget(m_repeatPassword);
    m_changeButton = new QPushButton(TextTable::text(kTextChangePassword), passwordCard);
    m_changeButton->setObjectName(QStringLiteral("ChangePasswordButton"));
    m_changeButton->setProperty("role", QStringLiteral("primary"));
    auto *changeRow = new QHBoxLayout;
    changeRow->addWidget(m_changeButton);
    changeRow->addStretch(1);
    passwordBox->addLayout(changeRow);
    m_passwordStatus = new QLabel(passwordCard);
    m_passwordStatus->setObjectName(QStringLiteral("PasswordStatusLabel"));
    m_passwordStatus->setWordWrap(true);
    passwordBox->addWidget(m_passwordStatus);
    passwordBox->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    layout->addWidget(backupCard, 3);
    layout->addWidget(passwordCard, 2);

    setTabOrder(m_uploadButton, m_downloadButton);
    setTabOrder(m_downloadButton, m_oldPassword);
    setTabOrder(m_oldPassword, m_newPassword);
    setTabOrder(m_newPassword, m_repeatPassword);
    setTabOrder(m_repeatPassword, m_changeButton);

    connect(m_uploadButton, &QPushButton::clicked, this, &CloudSyncWidget::on_UploadButton_clicked);
    connect(m_downloadButton, &QPushButton::clicked, this, &CloudSyncWidget::on_DownloadButton_clicked);
    connect(m_changeButton, &QPushButton::clicked, this, &CloudSyncWidget::on_ChangePasswordButton_clicked);
    for (QLineEdit *edit : {m_oldPassword, m_newPassword, m_repeatPassword}) {
        connect(edit, &QLineEdit::textChanged, this, &CloudSyncWidget::checkPasswordIsDone);
        connect(edit, &QLineEdit::textEdited, m_passwordStatus, &QLabel::clear);
    }
    connect(m_session->stateObject(), &DeviceState::changed, this, &CloudSyncWidget::refresh);
    checkPasswordIsDone();
    refresh();
}

void CloudSyncWidget::setServerUrl(const QString &url)
{
    m_upload->setBaseUrl(url);
    m_save->setBaseUrl(url);
    m_getPath->setBaseUrl(url);
    m_password->setBaseUrl(url);
}

QString CloudSyncWidget::statusText() const
{
    return m_status->text();
}

QString CloudSyncWidget::passwordStatusText() const
{
    return m_passwordStatus->text();
}

void CloudSyncWidget::refresh()
{
    // Both sequences work on the attached model's folder: without a mouse there is none.
    const bool haveMouse = !m_session->cloudModelName().isEmpty();
    m_uploadButton->setEnabled(haveMouse && !m_running);
    m_downloadButton->setEnabled(haveMouse && !m_running);
    m_noMouse->setVisible(!haveMouse);
}

void CloudSyncWidget::setUserNameLineEdit(const QString &text)
{
    m_account->setText(text);
}

int CloudSyncWidget::waitFor(const int *flag, int timeoutMs)
{
    PacingClock &clock = m_clock ? *m_clock : Pacer::clock();
    const qint64 start = clock.nowMs();
    while (*flag == 0 && clock.nowMs() - start < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        if (*flag != 0)
            break;
        clock.sleepMs(5);
    }
    return *flag;
}

void CloudSyncWidget::on_UploadButton_clicked()
{
    emit sig_SendUIEventMessageToGA(QStringLiteral("Cloud"), QStringLiteral("Click"), QStringLiteral("Upload"), kScreen);
    emit sig_EndLoadingDialog();
    emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::ConfirmUpload));
}

void CloudSyncWidget::on_DownloadButton_clicked()
{
    emit sig_SendUIEventMessageToGA(QStringLiteral("Cloud"), QStringLiteral("Click"), QStringLiteral("Download"), kScreen);
    emit sig_EndLoadingDialog();
    emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::ConfirmDownload));
}

bool CloudSyncWidget::uploadPart(bool isMacro)
{
    const QString folder = isMacro ? DeviceSession::cloudMacroFolder() : m_session->cloudLocalFolder();
    m_uploadFlag = 0;
    m_message.clear();
    if (isMacro)
        qDebug() << "macroUploadFilePath  MacroFile " << folder;
    else
        qDebug() << "upLoadConfigLocalFileToServer  LocalFile " << folder;
    emit sig_UploadConfigFile(folder, isMacro);
    if (waitFor(&m_uploadFlag, kRequestTimeoutMs) != 1)
        return false;
    m_uploadFlag = 0;
    emit sig_SaveConfig(m_uploadPath, isMacro ? QString() : m_session->cloudModelName(),
                        isMacro ? QStringLiteral("MacroConfig") : QStringLiteral("LocalConfig"));
    return waitFor(&m_uploadFlag, kRequestTimeoutMs) == 1;
}

void CloudSyncWidget::slot_startToUploadConfigFiles()
{
    if (m_running || m_session->cloudModelName().isEmpty())
        return;
    m_running = true;
    refresh();
    emit sig_ShowLoadingDialog();
    qDebug() << "slot_startToUploadConfigFiles";
    m_uploadPath.clear();
    m_loginExpired = false;
    m_status->clear();
    bool ok = uploadPart(false) && uploadPart(true);
    if (ok) {
        emit sig_EndLoadingDialog();
        emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::UploadFinished));
        m_status->setText(TextTable::text(kTextUploaded));
    } else if (!m_loginExpired) {
        qDebug() << "checkUploadState waitFlagTimeOut";
        emit sig_EndLoadingDialog();
        emit sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget(int(Warning::UploadFailed), m_message);
    }
    emit sig_RemoveOldFile();
    emit sig_EndLoadingDialog();
    m_running = false;
    refresh();
}

void CloudSyncWidget::slot_upLoadResult(int rCode, QString rMsg, QString filePath)
{
    m_message = rMsg;
    if (rCode != 0) {
        m_uploadFlag = 2;
        return;
    }
    m_uploadPath = filePath;
    m_uploadFlag = 1;
}

void CloudSyncWidget::slot_saveConfigResult(int rCode, QString rMsg)
{
    m_message = rMsg;
    if (rCode == 0) {
        m_uploadFlag = 1;
    } else if (rCode == 10011) {
        // The login has expired: warning 18 says so, instead of the general failure.
        emit sig_EndLoadingDialog();
        emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::LoginExpired));
        m_loginExpired = true;
        m_uploadFlag = 2;
    } else {
        m_uploadFlag = 2;
    }
}

bool CloudSyncWidget::discondenseDownLoadFile(const QString &folderName)
{
    const bool ok = m_session->restoreCloudFolder(folderName, m_downloader->downloadedData());
    qDebug() << (ok ? "Succed to discondenseFile " : "Failed to discondenseFile ") << folderName;
    return ok;
}

bool CloudSyncWidget::downloadPart(const QString &mouseType, const QString &folderName, bool *nothingStored)
{
    m_pathFlag = 0;
    m_message.clear();
    emit sig_GetDownLoadFilePath(mouseType);
    const int path = waitFor(&m_pathFlag, kRequestTimeoutMs);
    if (path == 3 && nothingStored) {
        *nothingStored = true;
        return false;
    }
    if (path != 1) {
        if (!mouseType.isEmpty())
            qDebug() << "sig_GetDownLoadFilePath waitFlagTimeOut";
        return false;
    }
    m_downloadFlag = 0;
    m_downloadOk = false;
    emit sig_StartDownload(m_downloadPath);
    if (waitFor(&m_downloadFlag, kDownloadTimeoutMs) != 1 || !m_downloadOk)
        return false;
    return discondenseDownLoadFile(folderName);
}

void CloudSyncWidget::slot_startToDownLoadFiles()
{
    if (m_running || m_session->cloudModelName().isEmpty())
        return;
    m_running = true;
    m_loginExpired = false;
    refresh();
    emit sig_ShowLoadingDialog();
    qDebug() << "slot_startToDownLoadFiles";
    m_status->clear();

    bool nothingStored = false;
    // The macro library first: a model's settings may name its macros.
    bool ok = downloadPart(QString(), QStringLiteral("/MacroFiles"), nullptr);
    if (ok)
        ok = downloadPart(m_session->cloudModelName(), QStringLiteral("/LocalFile"), &nothingStored);
    // Macros stored but no configuration for this model: the macros alone are the result.
    if (ok || nothingStored) {
        emit sig_EndLoadingDialog();
        emit sig_LoadConfigFileAfterDownloadSucced(1);
        emit sig_LoadMacroFile();
        emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::DownloadFinished));
    } else {
        emit sig_EndLoadingDialog();
        if (!m_loginExpired)
            emit sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget(int(Warning::DownloadFailed), m_message);
    }
    m_running = false;
    refresh();
}

void CloudSyncWidget::slot_getDownLoadFilePathResult(int rCode, QString rConfigType, QString rMsg, QString path)
{
    qDebug() << "slot_getDownLoadFilePathResult Path" << rCode << rMsg << path;
    m_message = rMsg;
    if (rCode == 10011) {
        qDebug() << "slot_getDownLoadFilePathResult Login Failed";
        emit sig_EndLoadingDialog();
        emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::LoginExpired));
        m_loginExpired = true;
        m_pathFlag = 2;
    } else if (rCode == -1) {
        m_pathFlag = 4;
    } else if (rCode != 0) {
        m_pathFlag = 2;
    } else if (path.isEmpty()) {
        // Nothing stored: for the macro library that fails the download, for a model's
        // configuration the macros alone count.
        m_pathFlag = rConfigType == QLatin1String("macro") ? 2 : 3;
    } else {
        m_downloadPath = path;
        m_pathFlag = 1;
    }
}

void CloudSyncWidget::slot_saveFile(bool ok)
{
    m_downloadOk = ok;
    m_downloadFlag = 1;
}

void CloudSyncWidget::checkPasswordIsDone()
{
    m_changeButton->setVisible(!m_oldPassword->text().isEmpty() && !m_newPassword->text().isEmpty()
                               && !m_repeatPassword->text().isEmpty());
}

void CloudSyncWidget::on_ChangePasswordButton_clicked()
{
    emit sig_SendUIEventMessageToGA(QStringLiteral("Cloud"), QStringLiteral("Click"), QStringLiteral("ChangePassword"), kScreen);
    const QString next = m_newPassword->text();
    if (const int refused = AccountCodes::passwordRefusal(next, m_repeatPassword->text())) {
        m_passwordStatus->setText(TextTable::text(refused));
        return;
    }
    emit sig_UpdatePassword(m_email, m_oldPassword->text(), next);
    m_passwordStatus->setText(TextTable::text(kTextChangingPassword));
}

void CloudSyncWidget::slot_changePasswordResult(int rCode, QString rMsg)
{
    qDebug() << "slot_changePasswordResult" << rCode << rMsg;
    if (rCode == 0) {
        m_oldPassword->clear();
        m_newPassword->clear();
        m_repeatPassword->clear();
        m_passwordStatus->clear();
        emit sig_EndLoadingDialog();
        emit sig_ShowWarningDialogOnCloudSyncWidget(int(Warning::PasswordChanged));
    } else if (rCode == 10003) {
        m_passwordStatus->setText(TextTable::text(kTextWrongPassword));
    } else {
        m_passwordStatus->setText(AccountCodes::text(rCode));
    }
}
