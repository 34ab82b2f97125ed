// The account client against a real qkdriver-server on a free loopback port.

#include "net/account/accountcodes.h"
#include "net/account/findpasswd.h"
#include "net/account/kvaccountmanage.h"
#include "net/account/loginaccount.h"
#include "net/account/newpassword.h"
#include "net/account/registeraccount.h"
#include "net/account/validatepassword.h"
#include "storage/operatetoken.h"
#include "storage/storagepaths.h"
#include "support/serverrig.h"
#include "support/temphome.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

const QFileDevice::Permissions kOwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;

// Waits for the one result signal of a request; (code, message).
template <typename Signal, typename Object>
QPair<int, QString> result(Object *object, Signal signal)
{
    QSignalSpy spy(object, signal);
    if (!spy.wait(20000) || spy.isEmpty())
        return {-100, QStringLiteral("no answer")};
    return {spy.first().at(0).toInt(), spy.first().at(1).toString()};
}

// An HTTP server that is not the account service: whatever is asked, it answers 200 with a
// fixed body (a proxy's web page, a broken deployment).
class FixedAnswer : public QTcpServer
{
public:
    explicit FixedAnswer(const QByteArray &body) : m_body(body)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                m_received += s->readAll();
                if (!m_received.contains("\r\n\r\n"))
                    return;
                s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                         + QByteArray::number(m_body.size()) + "\r\n\r\n" + m_body);
                s->disconnectFromHost();
            });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    // The request as it arrived, header lines included.
    QByteArray received() const { return m_received; }

private:
    QByteArray m_body;
    QByteArray m_received;
};

} // namespace

class TestAccountClient : public QObject
{
    Q_OBJECT
private slots:
    void endpointTable();
    void codeTexts_data();
    void codeTexts();
    void loginStoresTheAccount();
    void everyRequestCarriesAuthorization();
    void serverDown();
    void notTheService_data();
    void notTheService();
    void passwordResetFlow();
};

void TestAccountClient::endpointTable()
{
    TempHome home;
    qputenv("QKDRIVER_SERVER_URL", "http://example.test:9000/");
    KVAccountManage base;
    qunsetenv("QKDRIVER_SERVER_URL");
    QCOMPARE(base.baseUrl(), QString("http://example.test:9000"));
    QCOMPARE(base.url(0), QString("http://example.test:9000/v1/user/login"));
    QCOMPARE(base.url(11), QString("http://example.test:9000/v1/driver/version"));
    QCOMPARE(base.url(12), QString());
    QCOMPARE(base.url(-1), QString());
    QCOMPARE(KVAccountManage::defaultBaseUrl(), QString("http://127.0.0.1:8737"));
}

void TestAccountClient::codeTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("text");
    QTest::newRow("-2") << -2 << 299;
    QTest::newRow("-1") << -1 << 300;
    QTest::newRow("0") << 0 << 301;
    QTest::newRow("7") << 7 << 308;
    QTest::newRow("8") << 8 << 299;
    QTest::newRow("10000") << 10000 << 299;
    QTest::newRow("10001") << 10001 << 309;
    QTest::newRow("10011") << 10011 << 319;
    QTest::newRow("10031") << 10031 << 339;
    QTest::newRow("10032") << 10032 << 299;
    QTest::newRow("10050") << 10050 << 340;
    QTest::newRow("20004") << 20004 << 299;
}

void TestAccountClient::codeTexts()
{
    QFETCH(int, code);
    QFETCH(int, text);
    QCOMPARE(AccountCodes::textNumber(code), text);
}

void TestAccountClient::loginStoresTheAccount()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    qputenv("QKDRIVER_SERVER_URL", server.baseUrl().toUtf8());
    // A settings file from before, readable by everybody, with a setting of its own.
    QVERIFY(home.write("/system/system.ini", "[PATH]\nmid_web_url=https://example.com\n"));
    QFile::setPermissions(StoragePaths::systemIniFile(), kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);

    RegisterAccount registration;
    registration.KvPostRegisiterJson("Ann", "ann@example.com", "secret1", "secret1");
    QCOMPARE(result(&registration, &RegisterAccount::sigRegisterRet).first, 0);
    LoginAccount login;
    login.KvPostLoginJson("ann@example.com", "wrong12");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet).first, 10003);
    QCOMPARE(OperateToken().GetToken(), QString());
    login.KvPostLoginJson("ann@example.com", "secret1");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet), qMakePair(0, QString("Ann")));
    qunsetenv("QKDRIVER_SERVER_URL");

    OperateToken stored;
    QCOMPARE(stored.GetToken().size(), 64);
    QCOMPARE(stored.GetEmail(), QString("ann@example.com"));
    QCOMPARE(stored.GetNickName(), QString("Ann"));
    QCOMPARE(QFileInfo(StoragePaths::systemIniFile()).permissions(), kOwnerOnly);
    QVERIFY(home.read("/system/system.ini").contains("mid_web_url=https://example.com"));
}

void TestAccountClient::everyRequestCarriesAuthorization()
{
    TempHome home;
    // Before any login the header goes out empty, the first login included.
    {
        FixedAnswer wire(R"({"code":10003,"msg":"no"})");
        LoginAccount login;
        login.setBaseUrl(wire.url());
        login.KvPostLoginJson("ann@example.com", "secret1");
        QCOMPARE(result(&login, &LoginAccount::sigLoginRet).first, 10003);
        QVERIFY2(wire.received().contains("\r\nAuthorization: \r\n"), wire.received().constData());
    }
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    qputenv("QKDRIVER_SERVER_URL", server.baseUrl().toUtf8());
    RegisterAccount registration;
    LoginAccount login;
    FindPasswd find;
    qunsetenv("QKDRIVER_SERVER_URL");
    registration.KvPostRegisiterJson("Ann", "ann@example.com", "secret1", "secret1");
    QCOMPARE(result(&registration, &RegisterAccount::sigRegisterRet).first, 0);
    login.KvPostLoginJson("ann@example.com", "secret1");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet).first, 0);
    find.KvFindPasswdJson("ann@example.com");
    QCOMPARE(result(&find, &FindPasswd::sigFindPwdRet).first, 0);

    // After the login every request carries the stored token, also one not about the account.
    const QByteArray log = server.log();
    QVERIFY2(log.contains("request POST /v1/user/login from 127.0.0.1 authorization none"), log.constData());
    QVERIFY(log.contains("request POST /v1/user/findPassword from 127.0.0.1 authorization given"));
    FixedAnswer wire(R"({"code":0,"msg":""})");
    find.setBaseUrl(wire.url());
    find.KvFindPasswdJson("ann@example.com");
    QCOMPARE(result(&find, &FindPasswd::sigFindPwdRet).first, 0);
    QVERIFY(wire.received().contains("\r\nAuthorization: " + OperateToken().GetToken().toUtf8() + "\r\n"));
}

void TestAccountClient::serverDown()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QString url = server.baseUrl();
    server.stop();
    LoginAccount login;
    RegisterAccount registration;
    login.setBaseUrl(url);
    registration.setBaseUrl(url);
    login.KvPostLoginJson("ann@example.com", "secret1");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet), qMakePair(-1, QString("Network Error, please try again later")));
    registration.KvPostRegisiterJson("Ann", "ann@example.com", "secret1", "secret1");
    QCOMPARE(result(&registration, &RegisterAccount::sigRegisterRet), qMakePair(-1, QString("Network Error")));
}

void TestAccountClient::notTheService_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QString serverText = "Server error, please try again later";
    QTest::newRow("web page") << QByteArray("<html>Bad gateway</html>") << -1 << serverText;
    QTest::newRow("empty") << QByteArray() << -1 << serverText;
    QTest::newRow("array") << QByteArray("[0]") << -1 << serverText;
    QTest::newRow("object without code") << QByteArray(R"({"msg":"ok"})") << -1 << serverText;
    QTest::newRow("code as text") << QByteArray(R"({"code":"0","msg":"ok"})") << -1 << serverText;
    QTest::newRow("service answer") << QByteArray(R"({"code":10003,"msg":"wrong password"})") << 10003 << "wrong password";
}

void TestAccountClient::notTheService()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, message);
    TempHome home;
    FixedAnswer proxy(body);
    LoginAccount login;
    login.setBaseUrl(proxy.url());
    login.KvPostLoginJson("ann@example.com", "secret1");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet), qMakePair(code, message));
    QCOMPARE(OperateToken().GetToken(), QString());
}

void TestAccountClient::passwordResetFlow()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    qputenv("QKDRIVER_SERVER_URL", server.baseUrl().toUtf8());
    RegisterAccount registration;
    FindPasswd find;
    ValidatePassword validate;
    NewPassword renew;
    LoginAccount login;
    qunsetenv("QKDRIVER_SERVER_URL");
    registration.KvPostRegisiterJson("Ann", "ann@example.com", "secret1", "secret1");
    QCOMPARE(result(&registration, &RegisterAccount::sigRegisterRet).first, 0);
    find.KvFindPasswdJson("ann@example.com");
    QCOMPARE(result(&find, &FindPasswd::sigFindPwdRet).first, 0);
    const QString code = server.lastMailedCode();
    QCOMPARE(code.size(), 6);
    validate.KvValidatePasswordJson("ann@example.com", code);
    QCOMPARE(result(&validate, &ValidatePassword::sigValidateCodeRet).first, 0);
    renew.KvNewPasswordJson("ann@example.com", code, "renewed1");
    QCOMPARE(result(&renew, &NewPassword::sigAlterPwdRet).first, 0);
    login.KvPostLoginJson("ann@example.com", "secret1");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet).first, 10003);
    login.KvPostLoginJson("ann@example.com", "renewed1");
    QCOMPARE(result(&login, &LoginAccount::sigLoginRet), qMakePair(0, QString("Ann")));
}

QTEST_GUILESS_MAIN(TestAccountClient)
#include "tst_accountclient.moc"
