#pragma once
// UserDialog: the account dialog. Log in, register, and recover a forgotten password with an
// e-mailed code, on one stack of pages:
//   0 log in, 1 register, 2 e-mail for the reset, 3 code entry, 4 notice about missing codes,
//   5 new password.
// Local checks refuse a form before anything is sent; every answer of the service is shown as
// the program's own text for its code (AccountCodes) under the form.
//
// The window creates it modal over itself and connects loginSucced / sig_loggedIn (show the
// nickname), sig_ShowWarningDialog (warnings 45 and 46) and sig_SendUIEventMessageToGA.
// Logging out belongs to the window: the warning dialog's sig_QuitUser goes to slot_QuitUser,
// which forgets the stored login and emits sig_loggedOut.

#include <QDialog>
#include <QString>

class FindPasswd;
class LoginAccount;
class NewPassword;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class RegisterAccount;
class ValidatePassword;

class UserDialog : public QDialog
{
    Q_OBJECT
public:
    enum Page {
        LoginPage = 0,
        RegisterPage = 1,
        IdentifyEmailPage = 2,
        IdentifyCodePage = 3,
        NoticePage = 4,
        NewPasswordPage = 5,
    };

    explicit UserDialog(QWidget *parent = nullptr);
    ~UserDialog() override;

    int currentPage() const;
    // The status text under the form of page (empty when nothing is shown).
    QString statusText(int page) const;

signals:
    void loginSucced();
    // With the nickname of the account that just logged in.
    void sig_loggedIn(const QString &nickName);
    void sig_loggedOut();
    void sig_ShowWarningDialog(int type);
    void sig_SendUIEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public slots:
    // Forgets the stored login (token, e-mail, nickname) and emits sig_loggedOut.
    void slot_QuitUser();

    void slot_LoginMessage(int rCode, QString rMsg);
    void slot_RegisterMessage(int rCode, QString rMsg);
    void slot_FindPasswordMessage(int rCode, QString rMsg);
    void slot_ValidatePasswordMessage(int rCode, QString rMsg);
    void slot_ResetPasswordMessage(int rCode, QString rMsg);

private slots:
    void on_UserLoginButton_clicked();
    void on_UserRegisterButton_clicked();
    void on_UserIdentifyEmailButton_clicked();
    void on_UserSendIdetifyCodeButton_clicked();
    void on_UserResetPasswordOkButton_clicked();
    void on_ChooseLoginButton_clicked();
    void on_ChooseRegisterButton_clicked();
    void on_ForgetPasswordButton_clicked();
    void on_UserBackToIdentifyButton_clicked();
    void on_SeeNoticeDetialButton_clicked();
    void on_CloseUserDialogButton_clicked();
    void on_pushButton_clicked();

private:
    void goToPage(int page);
    void showStatus(int page, const QString &text, bool failure = true);
    void clearStatus(int page);
    void showCode(int page, int code);
    void track(const QString &button);
    QLineEdit *field(const char *name, int textNumber, bool password);
    QPushButton *button(const char *name, int textNumber, const char *role);

    QStackedWidget *m_pages = nullptr;
    QLabel *m_title = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_chooseLogin = nullptr;
    QPushButton *m_chooseRegister = nullptr;
    QWidget *m_tabs = nullptr;
    QLabel *m_status[6] = {};
    QPushButton *m_default[6] = {};

    QLineEdit *m_loginEmail = nullptr;
    QLineEdit *m_loginPassword = nullptr;
    QLineEdit *m_registerNick = nullptr;
    QLineEdit *m_registerEmail = nullptr;
    QLineEdit *m_registerPassword = nullptr;
    QLineEdit *m_registerRePassword = nullptr;
    QLineEdit *m_identifyEmail = nullptr;
    QLineEdit *m_identifyCode = nullptr;
    QLineEdit *m_newPassword = nullptr;
    QLineEdit *m_newRePassword = nullptr;

    LoginAccount *m_login = nullptr;
    RegisterAccount *m_register = nullptr;
    FindPasswd *m_find = nullptr;
    ValidatePassword *m_validate = nullptr;
    NewPassword *m_newPasswordRequest = nullptr;
};
