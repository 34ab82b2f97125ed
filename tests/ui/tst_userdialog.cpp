// The login dialog against a real account server: local checks, the answers of the service,
// page navigation and the stored login.

#include "common/texttable.h"
#include "net/account/accountstatus.h"
#include "support/pagerig.h"
#include "support/serverrig.h"
#include "ui/dialogs/userdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

void type(UserDialog &d, const char *field, const QString &text)
{
    auto *e = d.findChild<QLineEdit *>(field);
    QVERIFY2(e, field);
    e->setText(text);
}

void click(UserDialog &d, const char *button)
{
    auto *b = d.findChild<QPushButton *>(button);
    QVERIFY2(b && b->isEnabled(), button);
    QTest::mouseClick(b, Qt::LeftButton);
}

// Waits until the dialog's request has been answered (its button is enabled again).
bool answered(UserDialog &d, const char *button)
{
    auto *b = d.findChild<QPushButton *>(button);
    return QTest::qWaitFor([b] { return b->isEnabled(); }, 20000);
}

} // namespace

class TestUserDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void registrationCheckedLocally_data();
    void registrationCheckedLocally();
    void registrationAndLogin();
    void passwordReset();
    void backButton_data();
    void backButton();
    void loginPageShot();

private:
    std::unique_ptr<PageRig> m_rig;
    std::unique_ptr<ServerRig> m_server;
};

void TestUserDialog::initTestCase()
{
    TextTable::set(TextTable::loadFile(QStringLiteral(QK_TRANSLATE_JSON), TextTable::kFallbackIndex));
    QVERIFY(TextTable::text(489) == "Account");
}

void TestUserDialog::init()
{
    m_rig = std::make_unique<PageRig>();
    m_server = std::make_unique<ServerRig>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
    qputenv("QKDRIVER_SERVER_URL", m_server->baseUrl().toUtf8());
}

void TestUserDialog::cleanup()
{
    qunsetenv("QKDRIVER_SERVER_URL");
    m_server.reset();
    m_rig.reset();
}

void TestUserDialog::registrationCheckedLocally_data()
{
    QTest::addColumn<QString>("nick");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("again");
    QTest::addColumn<int>("text");
    QTest::newRow("repetition differs") << "Ann" << "ann@example.com" << "secret1" << "secret2" << 229;
    QTest::newRow("5 characters") << "Ann" << "ann@example.com" << "12345" << "12345" << 285;
    QTest::newRow("17 characters") << "Ann" << "ann@example.com" << "12345678901234567" << "12345678901234567" << 286;
    QTest::newRow("no e-mail") << "Ann" << "" << "secret1" << "secret1" << 262;
    QTest::newRow("no nickname") << "" << "ann@example.com" << "secret1" << "secret1" << 262;
    QTest::newRow("nickname of 8") << "Annabell" << "ann@example.com" << "secret1" << "secret1" << 287;
}

void TestUserDialog::registrationCheckedLocally()
{
    QFETCH(QString, nick);
    QFETCH(QString, email);
    QFETCH(QString, password);
    QFETCH(QString, again);
    QFETCH(int, text);
    UserDialog d;
    QVERIFY(m_rig->show(&d));
    click(d, "ChooseRegisterButton");
    type(d, "UserRegisterNickNameLineEdit", nick);
    type(d, "UserRegisterEmailLineEdit", email);
    type(d, "UserRegisterPasswordLineEdit", password);
    type(d, "UserRegisterRePasswordLineEdit", again);
    click(d, "UserRegisterButton");
    QCOMPARE(d.statusText(UserDialog::RegisterPage), TextTable::text(text));
    // Editing clears the message; a valid form then is the only registration the server sees.
    type(d, "UserRegisterNickNameLineEdit", "Bob");
    QCOMPARE(d.statusText(UserDialog::RegisterPage), QString());
    type(d, "UserRegisterEmailLineEdit", "bob@example.com");
    type(d, "UserRegisterPasswordLineEdit", "secret1");
    type(d, "UserRegisterRePasswordLineEdit", "secret1");
    QSignalSpy warning(&d, &UserDialog::sig_ShowWarningDialog);
    click(d, "UserRegisterButton");
    QVERIFY(warning.wait(20000));
    QCOMPARE(warning.first().first().toInt(), 45);
    QCOMPARE(m_server->log().count("request POST /v1/user/register "), 1);
}

void TestUserDialog::registrationAndLogin()
{
    UserDialog d;
    QVERIFY(m_rig->show(&d));
    QSignalSpy events(&d, &UserDialog::sig_SendUIEventMessageToGA);
    click(d, "ChooseRegisterButton");
    type(d, "UserRegisterNickNameLineEdit", "Ann");
    type(d, "UserRegisterEmailLineEdit", "ann@example.com");
    type(d, "UserRegisterPasswordLineEdit", "secret1");
    type(d, "UserRegisterRePasswordLineEdit", "secret1");
    click(d, "UserRegisterButton");
    QTRY_VERIFY_WITH_TIMEOUT(!d.isVisible(), 20000);
    QCOMPARE(d.result(), int(QDialog::Accepted));

    // Reopened on the login page with the new e-mail filled in.
    QVERIFY(m_rig->show(&d));
    QCOMPARE(d.currentPage(), int(UserDialog::LoginPage));
    QCOMPARE(d.findChild<QLineEdit *>("UserLoginNameLineEdit")->text(), QString("ann@example.com"));
    type(d, "UserLoginPasswordLineEdit", "wrong12");
    click(d, "UserLoginButton");
    QVERIFY(answered(d, "UserLoginButton"));
    QCOMPARE(d.statusText(UserDialog::LoginPage), TextTable::text(311));
    QVERIFY(d.isVisible());
    QVERIFY(!AccountStatus::loggedIn());

    QSignalSpy succeeded(&d, &UserDialog::loginSucced);
    QSignalSpy nick(&d, &UserDialog::sig_loggedIn);
    type(d, "UserLoginPasswordLineEdit", "secret1");
    QCOMPARE(d.statusText(UserDialog::LoginPage), QString());
    click(d, "UserLoginButton");
    QVERIFY(succeeded.wait(20000));
    QCOMPARE(nick.first().first().toString(), QString("Ann"));
    QVERIFY(!d.isVisible());
    QVERIFY(AccountStatus::loggedIn());
    QCOMPARE(AccountStatus::email(), QString("ann@example.com"));
    QCOMPARE(events.size(), 4); // choose register, register, log in twice

    QSignalSpy out(&d, &UserDialog::sig_loggedOut);
    d.slot_QuitUser();
    QCOMPARE(out.size(), 1);
    QVERIFY(!AccountStatus::loggedIn());
    QCOMPARE(AccountStatus::nickName(), QString());
}

void TestUserDialog::passwordReset()
{
    {
        UserDialog registration;
        QVERIFY(m_rig->show(&registration));
        click(registration, "ChooseRegisterButton");
        type(registration, "UserRegisterNickNameLineEdit", "Ann");
        type(registration, "UserRegisterEmailLineEdit", "ann@example.com");
        type(registration, "UserRegisterPasswordLineEdit", "secret1");
        type(registration, "UserRegisterRePasswordLineEdit", "secret1");
        click(registration, "UserRegisterButton");
        QTRY_VERIFY_WITH_TIMEOUT(!registration.isVisible(), 20000);
    }
    UserDialog d;
    QVERIFY(m_rig->show(&d));
    type(d, "UserLoginNameLineEdit", "ann@example.com");
    click(d, "ForgetPasswordButton");
    QCOMPARE(d.currentPage(), int(UserDialog::IdentifyEmailPage));
    type(d, "UserIdentifyEmailLineEdit", "");
    click(d, "UserIdentifyEmailButton");
    QCOMPARE(d.statusText(UserDialog::IdentifyEmailPage), TextTable::text(259));
    type(d, "UserIdentifyEmailLineEdit", "nobody@example.com");
    click(d, "UserIdentifyEmailButton");
    QCOMPARE(d.statusText(UserDialog::IdentifyEmailPage), TextTable::text(260));
    QVERIFY(answered(d, "UserIdentifyEmailButton"));
    QCOMPARE(d.statusText(UserDialog::IdentifyEmailPage), TextTable::text(309));
    type(d, "UserIdentifyEmailLineEdit", "ann@example.com");
    click(d, "UserIdentifyEmailButton");
    QTRY_COMPARE_WITH_TIMEOUT(d.currentPage(), int(UserDialog::IdentifyCodePage), 20000);

    click(d, "UserSendIdetifyCodeButton");
    QCOMPARE(d.statusText(UserDialog::IdentifyCodePage), TextTable::text(261));
    const QString code = m_server->lastMailedCode();
    QCOMPARE(code.size(), 6);
    type(d, "UserIdentifyCodeLineEdit", code);
    click(d, "UserSendIdetifyCodeButton");
    QTRY_COMPARE_WITH_TIMEOUT(d.currentPage(), int(UserDialog::NewPasswordPage), 20000);

    type(d, "UserNewPasswordLineEdit", "renewed1");
    type(d, "UserNewRePasswordLineEdit", "renewed2");
    click(d, "UserResetPasswordOkButton");
    QCOMPARE(d.statusText(UserDialog::NewPasswordPage), TextTable::text(229));
    type(d, "UserNewRePasswordLineEdit", "renewed1");
    QSignalSpy warning(&d, &UserDialog::sig_ShowWarningDialog);
    click(d, "UserResetPasswordOkButton");
    QVERIFY(warning.wait(20000));
    QCOMPARE(warning.first().first().toInt(), 46);
    QVERIFY(!d.isVisible());

    // The new password logs in.
    QVERIFY(m_rig->show(&d));
    type(d, "UserLoginPasswordLineEdit", "renewed1");
    QSignalSpy succeeded(&d, &UserDialog::loginSucced);
    click(d, "UserLoginButton");
    QVERIFY(succeeded.wait(20000));
}

void TestUserDialog::backButton_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<int>("after");
    QTest::newRow("login page") << QStringList() << 0;
    QTest::newRow("register page") << QStringList{"ChooseRegisterButton"} << 1;
    QTest::newRow("e-mail page") << QStringList{"ForgetPasswordButton"} << 0;
    QTest::newRow("notice page") << QStringList{"ForgetPasswordButton", "code", "SeeNoticeDetialButton"} << 3;
}

void TestUserDialog::backButton()
{
    QFETCH(QStringList, path);
    QFETCH(int, after);
    UserDialog d;
    QVERIFY(m_rig->show(&d));
    for (const QString &step : path) {
        if (step == "code") { // reach the code page through the service
            QVERIFY(QMetaObject::invokeMethod(&d, "slot_FindPasswordMessage", Q_ARG(int, 0), Q_ARG(QString, "")));
            continue;
        }
        click(d, qPrintable(step));
    }
    auto *back = d.findChild<QPushButton *>("pushButton");
    QVERIFY(back->accessibleName() == TextTable::text(504));
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(d.currentPage(), after);
}

void TestUserDialog::loginPageShot()
{
    UserDialog d;
    QVERIFY(m_rig->show(&d));
    m_rig->shot(&d, "userdialog-login");
    click(d, "ChooseRegisterButton");
    click(d, "UserRegisterButton");
    m_rig->shot(&d, "userdialog-register");
    QVERIFY(QMetaObject::invokeMethod(&d, "slot_FindPasswordMessage", Q_ARG(int, 0), Q_ARG(QString, "")));
    QCoreApplication::processEvents(); // the layout drops the hidden tabs
    m_rig->shot(&d, "userdialog-code");
    // Keyboard: Tab runs through the fields of the login page in reading order.
    click(d, "ChooseLoginButton");
    auto *email = d.findChild<QLineEdit *>("UserLoginNameLineEdit");
    QCOMPARE(QApplication::focusWidget(), email);
    QCOMPARE(email->nextInFocusChain(), d.findChild<QLineEdit *>("UserLoginPasswordLineEdit"));
}

QTEST_MAIN(TestUserDialog)
#include "tst_userdialog.moc"
