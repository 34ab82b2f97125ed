#include "ui/dialogs/userdialog.h"

#include "common/texttable.h"
#include "common/warning.h"
#include "net/account/accountcodes.h"
#include "net/account/accountstatus.h"
#include "net/account/findpasswd.h"
#include "net/account/loginaccount.h"
#include "net/account/newpassword.h"
#include "net/account/registeraccount.h"
#include "net/account/validatepassword.h"
#include "ui/theme/theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kWidth = 400, kHeight = 460;

// Text numbers.
constexpr int kTitle = 489, kLogIn = 490, kRegister = 491, kEmail = 492, kPassword = 493,
              kNickname = 494, kRepeat = 495, kForgot = 496, kResetTitle = 497, kSendCode = 498,
              kCode = 499, kConfirm = 500, kNewPassword = 501, kNoCode = 502, kNotice = 503,
              kBack = 504, kSendNewCode = 505, kEmailHelp = 506, kCodeHelp = 507, kNewHelp = 508,
              kClose = 279;
constexpr int kEmpty = 262, kNickTooLong = 287, kNoEmail = 259, kSending = 260, kNoCode2 = 261;

QString text(int n)
{
    return TextTable::text(n);
}

QLabel *paragraph(int textNumber, QWidget *parent)
{
    auto *l = new QLabel(text(textNumber), parent);
    l->setWordWrap(true);
    l->setProperty("role", "secondary");
    return l;
}
} // namespace

UserDialog::UserDialog(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("UserDialog"));
    setAttribute(Qt::WA_StyledBackground);
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAccessibleName(text(kTitle));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 12, 16, 16);
    outer->setSpacing(8);

    // Title row: back, title, close.
    auto *titleRow = new QHBoxLayout;
    m_back = new QPushButton(QStringLiteral("\u2039"), this);
    m_back->setObjectName(QStringLiteral("pushButton"));
    m_back->setAccessibleName(text(kBack));
    m_back->setToolTip(text(kBack));
    m_back->setProperty("iconOnly", true);
    m_title = new QLabel(text(kTitle), this);
    m_title->setObjectName(QStringLiteral("UserTitleLabel"));
    m_title->setProperty("role", "title");
    m_title->setAlignment(Qt::AlignCenter);
    auto *close = new QPushButton(QStringLiteral("\u2715"), this);
    close->setObjectName(QStringLiteral("CloseUserDialogButton"));
    close->setAccessibleName(text(kClose));
    close->setToolTip(text(kClose));
    close->setProperty("iconOnly", true);
    titleRow->addWidget(m_back);
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(close);
    outer->addLayout(titleRow);

    // Log in / register switch (pages 0 and 1).
    m_tabs = new QWidget(this);
    m_tabs->setObjectName(QStringLiteral("UserTabs"));
    auto *tabRow = new QHBoxLayout(m_tabs);
    tabRow->setContentsMargins(0, 8, 0, 8);
    tabRow->setSpacing(8);
    m_chooseLogin = button("ChooseLoginButton", kLogIn, nullptr);
    m_chooseRegister = button("ChooseRegisterButton", kRegister, nullptr);
    for (QPushButton *b : {m_chooseLogin, m_chooseRegister}) {
        b->setParent(m_tabs);
        b->setCheckable(true);
        b->setAutoDefault(false);
        tabRow->addWidget(b);
    }
    outer->addWidget(m_tabs);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("UserStackedWidget"));
    outer->addWidget(m_pages, 1);

    auto newPage = [this](int index) {
        auto *page = new QWidget(m_pages);
        page->setObjectName(QStringLiteral("UserPage%1").arg(index));
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        m_pages->addWidget(page);
        return layout;
    };
    auto status = [this](int index, QVBoxLayout *layout) {
        m_status[index] = new QLabel(layout->parentWidget());
        m_status[index]->setObjectName(QStringLiteral("UserStatusLabel%1").arg(index));
        m_status[index]->setWordWrap(true);
        m_status[index]->setMinimumHeight(36);
        m_status[index]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        layout->addWidget(m_status[index]);
    };
    auto place = [](QVBoxLayout *layout, QWidget *w) {
        w->setParent(layout->parentWidget());
        layout->addWidget(w);
    };

    // 0: log in
    QVBoxLayout *p = newPage(LoginPage);
    place(p, m_loginEmail = field("UserLoginNameLineEdit", kEmail, false));
    place(p, m_loginPassword = field("UserLoginPasswordLineEdit", kPassword, true));
    QPushButton *forgot = button("ForgetPasswordButton", kForgot, "link");
    place(p, forgot);
    p->setAlignment(forgot, Qt::AlignRight);
    status(LoginPage, p);
    p->addStretch(1);
    place(p, m_default[LoginPage] = button("UserLoginButton", kLogIn, "primary"));

    // 1: register
    p = newPage(RegisterPage);
    place(p, m_registerNick = field("UserRegisterNickNameLineEdit", kNickname, false));
    place(p, m_registerEmail = field("UserRegisterEmailLineEdit", kEmail, false));
    place(p, m_registerPassword = field("UserRegisterPasswordLineEdit", kPassword, true));
    place(p, m_registerRePassword = field("UserRegisterRePasswordLineEdit", kRepeat, true));
    status(RegisterPage, p);
    p->addStretch(1);
    place(p, m_default[RegisterPage] = button("UserRegisterButton", kRegister, "primary"));

    // 2: e-mail for the reset
    p = newPage(IdentifyEmailPage);
    place(p, paragraph(kEmailHelp, nullptr));
    place(p, m_identifyEmail = field("UserIdentifyEmailLineEdit", kEmail, false));
    status(IdentifyEmailPage, p);
    p->addStretch(1);
    place(p, m_default[IdentifyEmailPage] = button("UserIdentifyEmailButton", kSendCode, "primary"));

    // 3: code entry
    p = newPage(IdentifyCodePage);
    place(p, paragraph(kCodeHelp, nullptr));
    place(p, m_identifyCode = field("UserIdentifyCodeLineEdit", kCode, false));
    m_identifyCode->setMaxLength(16);
    auto *links = new QHBoxLayout;
    QPushButton *noCode = button("SeeNoticeDetialButton", kNoCode, "link");
    QPushButton *again = button("UserBackToIdentifyButton", kSendNewCode, "link");
    links->addWidget(noCode);
    links->addStretch(1);
    links->addWidget(again);
    p->addLayout(links);
    noCode->setParent(p->parentWidget());
    again->setParent(p->parentWidget());
    status(IdentifyCodePage, p);
    p->addStretch(1);
    place(p, m_default[IdentifyCodePage] = button("UserSendIdetifyCodeButton", kConfirm, "primary"));

    // 4: notice about missing codes
    p = newPage(NoticePage);
    QLabel *notice = paragraph(kNotice, nullptr);
    notice->setObjectName(QStringLiteral("UserNoticeLabel"));
    place(p, notice);
    status(NoticePage, p);
    p->addStretch(1);

    // 5: new password
    p = newPage(NewPasswordPage);
    place(p, paragraph(kNewHelp, nullptr));
    place(p, m_newPassword = field("UserNewPasswordLineEdit", kNewPassword, true));
    place(p, m_newRePassword = field("UserNewRePasswordLineEdit", kRepeat, true));
    status(NewPasswordPage, p);
    p->addStretch(1);
    place(p, m_default[NewPasswordPage] = button("UserResetPasswordOkButton", kConfirm, "primary"));

    // The requests.
    m_login = new LoginAccount(this);
    m_register = new RegisterAccount(this);
    m_find = new FindPasswd(this);
    m_validate = new ValidatePassword(this);
    m_newPasswordRequest = new NewPassword(this);
    connect(m_login, &LoginAccount::sigLoginRet, this, &UserDialog::slot_LoginMessage);
    connect(m_register, &RegisterAccount::sigRegisterRet, this, &UserDialog::slot_RegisterMessage);
    connect(m_find, &FindPasswd::sigFindPwdRet, this, &UserDialog::slot_FindPasswordMessage);
    connect(m_validate, &ValidatePassword::sigValidateCodeRet, this, &UserDialog::slot_ValidatePasswordMessage);
    connect(m_newPasswordRequest, &NewPassword::sigAlterPwdRet, this, &UserDialog::slot_ResetPasswordMessage);

    // Buttons and fields.
    connect(m_default[LoginPage], &QPushButton::clicked, this, &UserDialog::on_UserLoginButton_clicked);
    connect(m_default[RegisterPage], &QPushButton::clicked, this, &UserDialog::on_UserRegisterButton_clicked);
    connect(m_default[IdentifyEmailPage], &QPushButton::clicked, this, &UserDialog::on_UserIdentifyEmailButton_clicked);
    connect(m_default[IdentifyCodePage], &QPushButton::clicked, this, &UserDialog::on_UserSendIdetifyCodeButton_clicked);
    connect(m_default[NewPasswordPage], &QPushButton::clicked, this, &UserDialog::on_UserResetPasswordOkButton_clicked);
    connect(m_chooseLogin, &QPushButton::clicked, this, &UserDialog::on_ChooseLoginButton_clicked);
    connect(m_chooseRegister, &QPushButton::clicked, this, &UserDialog::on_ChooseRegisterButton_clicked);
    connect(forgot, &QPushButton::clicked, this, &UserDialog::on_ForgetPasswordButton_clicked);
    connect(again, &QPushButton::clicked, this, &UserDialog::on_UserBackToIdentifyButton_clicked);
    connect(noCode, &QPushButton::clicked, this, &UserDialog::on_SeeNoticeDetialButton_clicked);
    connect(close, &QPushButton::clicked, this, &UserDialog::on_CloseUserDialogButton_clicked);
    connect(m_back, &QPushButton::clicked, this, &UserDialog::on_pushButton_clicked);
    // Editing a field clears the status text of its form.
    const QList<QPair<QLineEdit *, int>> fields{
        {m_loginEmail, LoginPage},           {m_loginPassword, LoginPage},
        {m_registerNick, RegisterPage},      {m_registerEmail, RegisterPage},
        {m_registerPassword, RegisterPage},  {m_registerRePassword, RegisterPage},
        {m_identifyEmail, IdentifyEmailPage}, {m_identifyCode, IdentifyCodePage},
        {m_newPassword, NewPasswordPage},    {m_newRePassword, NewPasswordPage}};
    for (const auto &f : fields)
        connect(f.first, &QLineEdit::textChanged, this, [this, page = f.second] { clearStatus(page); });

    goToPage(LoginPage);
}

UserDialog::~UserDialog() = default;

QLineEdit *UserDialog::field(const char *name, int textNumber, bool password)
{
    auto *e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    Theme::setPlaceholder(e, text(textNumber));
    e->setAccessibleName(text(textNumber));
    e->setMaxLength(password ? 64 : 254);
    if (password)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

QPushButton *UserDialog::button(const char *name, int textNumber, const char *role)
{
    auto *b = new QPushButton(text(textNumber), this);
    b->setObjectName(QLatin1String(name));
    if (role)
        b->setProperty("role", QLatin1String(role));
    b->setAutoDefault(false);
    return b;
}

int UserDialog::currentPage() const
{
    return m_pages->currentIndex();
}

QString UserDialog::statusText(int page) const
{
    return page >= 0 && page < 6 ? m_status[page]->text() : QString();
}

void UserDialog::goToPage(int page)
{
    m_pages->setCurrentIndex(page);
    const bool account = page == LoginPage || page == RegisterPage;
    m_tabs->setVisible(account);
    m_chooseLogin->setChecked(page == LoginPage);
    m_chooseRegister->setChecked(page == RegisterPage);
    m_title->setText(text(account ? kTitle : kResetTitle));
    m_back->setEnabled(!account);
    // Enter confirms the page's own action.
    for (QPushButton *b : m_default)
        if (b)
            b->setDefault(b == m_default[page]);
    if (QWidget *first = m_pages->currentWidget()->findChild<QLineEdit *>())
        first->setFocus();
}

void UserDialog::showStatus(int page, const QString &message, bool failure)
{
    m_status[page]->setText(message);
    m_status[page]->setProperty("failure", failure);
    // The property selects the colour in the page's sheet.
    m_status[page]->style()->unpolish(m_status[page]);
    m_status[page]->style()->polish(m_status[page]);
}

void UserDialog::clearStatus(int page)
{
    m_status[page]->clear();
}

void UserDialog::showCode(int page, int code)
{
    showStatus(page, AccountCodes::text(code));
}

void UserDialog::track(const QString &button)
{
    emit sig_SendUIEventMessageToGA(QStringLiteral("Account"), button, QString(), QStringLiteral("Login"));
}

void UserDialog::slot_QuitUser()
{
    AccountStatus::logout();
    emit sig_loggedOut();
}

// ---- forms ---------------------------------------------------------------------------------

void UserDialog::on_UserLoginButton_clicked()
{
    track(QStringLiteral("UserLoginButton"));
    clearStatus(LoginPage);
    m_default[LoginPage]->setEnabled(false);
    m_login->KvPostLoginJson(m_loginEmail->text().trimmed(), m_loginPassword->text());
}

void UserDialog::slot_LoginMessage(int rCode, QString rMsg)
{
    m_default[LoginPage]->setEnabled(true);
    if (rCode != 0) {
        showCode(LoginPage, rCode);
        return;
    }
    m_loginPassword->clear();
    emit loginSucced();
    emit sig_loggedIn(rMsg);
    accept();
}

void UserDialog::on_UserRegisterButton_clicked()
{
    track(QStringLiteral("UserRegisterButton"));
    const QString nick = m_registerNick->text().trimmed();
    const QString email = m_registerEmail->text().trimmed();
    const QString password = m_registerPassword->text();
    const QString again = m_registerRePassword->text();
    int refused = AccountCodes::passwordRefusal(password, again);
    if (!refused && (email.isEmpty() || nick.isEmpty() || password.isEmpty() || again.isEmpty()))
        refused = kEmpty;
    if (!refused && nick.size() > AccountCodes::kMaxNickname)
        refused = kNickTooLong;
    if (refused) {
        showStatus(RegisterPage, text(refused));
        return;
    }
    clearStatus(RegisterPage);
    m_default[RegisterPage]->setEnabled(false);
    m_register->KvPostRegisiterJson(nick, email, password, again);
}

void UserDialog::slot_RegisterMessage(int rCode, QString)
{
    m_default[RegisterPage]->setEnabled(true);
    if (rCode != 0) {
        showCode(RegisterPage, rCode);
        return;
    }
    // The new account logs in with the form's e-mail: it is carried over.
    m_loginEmail->setText(m_registerEmail->text().trimmed());
    m_registerPassword->clear();
    m_registerRePassword->clear();
    goToPage(LoginPage);
    accept();
    emit sig_ShowWarningDialog(toInt(Warning::RegistrationSucceeded));
}

void UserDialog::on_UserIdentifyEmailButton_clicked()
{
    track(QStringLiteral("UserIdentifyEmailButton"));
    const QString email = m_identifyEmail->text().trimmed();
    if (email.isEmpty()) {
        showStatus(IdentifyEmailPage, text(kNoEmail));
        return;
    }
    showStatus(IdentifyEmailPage, text(kSending), false);
    m_default[IdentifyEmailPage]->setEnabled(false);
    m_find->KvFindPasswdJson(email);
}

void UserDialog::slot_FindPasswordMessage(int rCode, QString)
{
    m_default[IdentifyEmailPage]->setEnabled(true);
    // 20004: a code went out less than a minute ago and stays valid; it is entered like a new one.
    if (rCode == 0 || rCode == 20004) {
        clearStatus(IdentifyEmailPage);
        goToPage(IdentifyCodePage);
        return;
    }
    showCode(IdentifyEmailPage, rCode);
}

void UserDialog::on_UserSendIdetifyCodeButton_clicked()
{
    track(QStringLiteral("UserSendIdetifyCodeButton"));
    const QString code = m_identifyCode->text().trimmed();
    if (code.isEmpty()) {
        showStatus(IdentifyCodePage, text(kNoCode2));
        return;
    }
    m_default[IdentifyCodePage]->setEnabled(false);
    m_validate->KvValidatePasswordJson(m_identifyEmail->text().trimmed(), code);
}

void UserDialog::slot_ValidatePasswordMessage(int rCode, QString)
{
    m_default[IdentifyCodePage]->setEnabled(true);
    if (rCode != 0) {
        showCode(IdentifyCodePage, rCode);
        return;
    }
    clearStatus(IdentifyCodePage);
    goToPage(NewPasswordPage);
}

void UserDialog::on_UserResetPasswordOkButton_clicked()
{
    track(QStringLiteral("UserResetPasswordOkButton"));
    const QString password = m_newPassword->text();
    if (const int refused = AccountCodes::passwordRefusal(password, m_newRePassword->text())) {
        showStatus(NewPasswordPage, text(refused));
        return;
    }
    m_default[NewPasswordPage]->setEnabled(false);
    m_newPasswordRequest->KvNewPasswordJson(m_identifyEmail->text().trimmed(), m_identifyCode->text().trimmed(),
                                            password);
}

void UserDialog::slot_ResetPasswordMessage(int rCode, QString)
{
    m_default[NewPasswordPage]->setEnabled(true);
    if (rCode != 0) {
        showCode(NewPasswordPage, rCode);
        return;
    }
    m_loginEmail->setText(m_identifyEmail->text().trimmed());
    m_identifyCode->clear();
    m_newPassword->clear();
    m_newRePassword->clear();
    goToPage(LoginPage);
    accept();
    emit sig_ShowWarningDialog(toInt(Warning::PasswordResetSucceeded));
}

// ---- navigation ----------------------------------------------------------------------------

void UserDialog::on_ChooseLoginButton_clicked()
{
    track(QStringLiteral("ChooseLoginButton"));
    goToPage(LoginPage);
}

void UserDialog::on_ChooseRegisterButton_clicked()
{
    track(QStringLiteral("ChooseRegisterButton"));
    goToPage(RegisterPage);
}

void UserDialog::on_ForgetPasswordButton_clicked()
{
    track(QStringLiteral("ForgetPasswordButton"));
    if (m_identifyEmail->text().isEmpty())
        m_identifyEmail->setText(m_loginEmail->text().trimmed());
    goToPage(IdentifyEmailPage);
}

void UserDialog::on_UserBackToIdentifyButton_clicked()
{
    track(QStringLiteral("UserBackToIdentifyButton"));
    goToPage(IdentifyEmailPage);
}

void UserDialog::on_SeeNoticeDetialButton_clicked()
{
    track(QStringLiteral("SeeNoticeDetialButton"));
    goToPage(NoticePage);
}

void UserDialog::on_CloseUserDialogButton_clicked()
{
    track(QStringLiteral("CloseUserDialogButton"));
    reject();
}

void UserDialog::on_pushButton_clicked()
{
    track(QStringLiteral("pushButton"));
    switch (currentPage()) {
    case LoginPage:
    case RegisterPage:
        return;
    case IdentifyEmailPage:
        goToPage(LoginPage);
        return;
    case NewPasswordPage:
        goToPage(IdentifyCodePage);
        return;
    default:
        goToPage(currentPage() - 1);
    }
}
