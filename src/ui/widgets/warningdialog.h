#pragma once
// The program's one modal message box. The warning number alone decides the title, the
// message, which buttons appear with which captions and which outcome signal each button
// emits; every text comes from the text table by number.

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QWidget;

class WarningDialog : public QDialog
{
    Q_OBJECT
public:
    // The maker's pages, opened for a newer program without a download address and by the
    // support button.
    static const char kDownloadPage[];
    static const char kWebSite[];

    explicit WarningDialog(QWidget *parent = nullptr);

    // Fills the dialog for a warning number (the progress numbers 12, 13 and 42 switch to the
    // progress panel).
    void setWarningType(int type);
    // Shows a message as it came (one button), titled by the number: 9, 16, 19, 54.
    void setWarningMessage(int type, QString message);
    // Product id of the attached mouse; decides whether the read/write warning offers wake-up.
    void SetPid(int productId);
    // Address of a newer program, opened by the OK button of warnings 1 and 52.
    void setDownloadAddress(const QString &address);
    // The progress panel for warnings 12, 13 and 42, in place of the warning panel.
    void showProgressPanel(int type);
    void setProgressValue(int percent);

    int warningType() const { return m_type; }
    // How addresses are opened; the desktop's browser unless replaced (tests record them).
    void setUrlOpener(std::function<bool(const QUrl &)> opener);

signals:
    void sig_QuitUser();
    void sig_ResetMouseToOriginal();
    void sig_ChangeConfiFileBeforeStartToUploadFile();
    void sig_StarToDownloadFile();
    void sig_GetMouseProfileAgain();
    void sig_GoToMatchCodePage();
    void sig_DownloadAndUpdateFirmwareNow();
    void sig_UpdateFirmwareNow();
    void sig_UpdateFirmwareNow_Halden();
    void sig_SaveCurrentProfileFileToConfig1();
    void sig_ConfigRevcover(int i);
    void sig_GoToSupportWidget();
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
    void sig_UpdateButtonEnable();
    void sig_OpenMouseAgain();
    void sig_exitSoftware();
    void sig_RestartSoftware();
    void sig_SendUIEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public slots:
    void on_OkButton_clicked();
    void on_Cancle_Button_clicked();
    void on_WakeUpMouseFailePushButton_clicked();
    void on_SupportButton_clicked();

protected:
    // Esc cancels when there is a Cancel button; a one-button or progress dialog stays up.
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Layout { None, One, Two };
    void resetPanel();
    void setLayout(Layout layout);
    void fitCaptions();
    void fill(int title, int message, Layout layout, int ok = 0, int cancel = 0);
    void storeReminderChoice();
    void openUrl(const QUrl &url);
    void reportPress(const QPushButton *button);

    int m_type = -1;
    int m_pid = 0;
    QString m_downloadAddress;
    std::function<bool(const QUrl &)> m_openUrl;

    QWidget *m_layer = nullptr;
    QWidget *m_panel = nullptr;
    QLabel *m_title = nullptr;
    QTextEdit *m_text = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_wakeUp = nullptr;
    QPushButton *m_support = nullptr;
    QCheckBox *m_noLongerRemind = nullptr;
    QWidget *m_updatePanel = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_updatingLabel = nullptr;
    QWidget *m_batteryPanel = nullptr;
};
