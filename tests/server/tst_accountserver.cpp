// The account server as the program meets it: HTTP requests to a real qkdriver-server (SQLite,
// or PostgreSQL under with-postgresql.sh), checking the documented result codes and that the
// server keeps answering after every kind of bad request.

#include "support/serverrig.h"

#include <QEventLoop>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryFile>
#include <QTest>

namespace {

struct Answer
{
    int status = 0;
    QJsonObject body;
    QByteArray raw;
    QByteArray authorization;
    int code() const { return body.value("code").toInt(-1); }
};

class Client
{
public:
    explicit Client(const QString &base) : m_base(base) {}

    Answer post(const QString &path, const QByteArray &body, const QByteArray &token = QByteArray(),
                const QByteArray &contentType = "application/json")
    {
        QNetworkRequest request(QUrl(m_base + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        request.setRawHeader("Authorization", token);
        return wait(m_manager.post(request, body));
    }
    Answer postJson(const QString &path, const QJsonObject &body, const QByteArray &token = QByteArray())
    {
        return post(path, QJsonDocument(body).toJson(QJsonDocument::Compact), token);
    }
    // The program's upload: one part "file" with the token as a header of that part.
    Answer upload(const QByteArray &bytes, const QByteArray &token)
    {
        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QVariant("form-data; name=\"file\"; filename=\"LocalFile.zip\""));
        part.setRawHeader("Authorization", token);
        part.setBody(bytes);
        multi->append(part);
        QNetworkReply *reply = m_manager.post(QNetworkRequest(QUrl(m_base + "/v1/file/upload")), multi);
        multi->setParent(reply);
        return wait(reply);
    }
    QByteArray get(const QString &url)
    {
        return wait(m_manager.get(QNetworkRequest(QUrl(url)))).raw;
    }
    QByteArray login(const QString &email, const QString &password)
    {
        const Answer a = postJson("/v1/user/login", {{"email", email}, {"password", password}});
        return a.code() == 0 ? a.authorization : QByteArray();
    }
    int registerUser(const QString &email, const QString &password = "secret1", const QString &nick = "nick")
    {
        return postJson("/v1/user/register",
                        {{"nickname", nick}, {"email", email}, {"password", password}, {"rePassword", password}})
            .code();
    }
    // True when the server still answers a plain request.
    bool alive()
    {
        return postJson("/v1/driver/version", {{"versionType", "falcon-firmware"}}).code() == 10025;
    }

private:
    Answer wait(QNetworkReply *reply)
    {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        Answer a;
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.raw = reply->readAll();
        a.body = QJsonDocument::fromJson(a.raw).object();
        a.authorization = reply->rawHeader("Authorization");
        reply->deleteLater();
        return a;
    }

    QString m_base;
    QNetworkAccessManager m_manager;
};

const QByteArray kZip = QByteArray("PK\x03\x04") + " a zip archive";

} // namespace

class TestAccountServer : public QObject
{
    Q_OBJECT
private slots:
    void registration_data();
    void registration();
    void login_data();
    void login();
    void failedLoginsLockTheAccount();
    void failedLoginsLockTheAddress();
    void tokens_data();
    void tokens();
    void malformedBodies_data();
    void malformedBodies();
    void malformedUploads_data();
    void malformedUploads();
    void oversizeUpload();
    void settingsRoundTrip();
    void passwordChange();
    void passwordReset();
    void versionRecord();
    void passwordsStayOutOfDatabaseAndLog();
};

void TestAccountServer::registration_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::newRow("valid") << QByteArray(R"({"nickname":"ann","email":"ann@example.com","password":"secret1","rePassword":"secret1"})") << 0;
    QTest::newRow("same e-mail, other case") << QByteArray(R"({"nickname":"ann","email":"TAKEN@example.com","password":"secret1","rePassword":"secret1"})") << 10002;
    QTest::newRow("no e-mail shape") << QByteArray(R"({"nickname":"ann","email":"ann.example.com","password":"secret1","rePassword":"secret1"})") << 10004;
    QTest::newRow("no domain dot") << QByteArray(R"({"nickname":"ann","email":"ann@localhost","password":"secret1","rePassword":"secret1"})") << 10004;
    QTest::newRow("nickname of 8") << QByteArray(R"({"nickname":"abcdefgh","email":"b@example.com","password":"secret1","rePassword":"secret1"})") << 10008;
    QTest::newRow("blank nickname") << QByteArray(R"({"nickname":"  ","email":"b@example.com","password":"secret1","rePassword":"secret1"})") << 10008;
    QTest::newRow("passwords differ") << QByteArray(R"({"nickname":"ann","email":"b@example.com","password":"secret1","rePassword":"secret2"})") << 10006;
    QTest::newRow("password of 5") << QByteArray(R"({"nickname":"ann","email":"b@example.com","password":"12345","rePassword":"12345"})") << 10005;
    QTest::newRow("password of 17") << QByteArray(R"({"nickname":"ann","email":"b@example.com","password":"12345678901234567","rePassword":"12345678901234567"})") << 10005;
    QTest::newRow("number for a string") << QByteArray(R"({"nickname":"ann","email":"b@example.com","password":123456,"rePassword":"123456"})") << 10027;
    QTest::newRow("member missing") << QByteArray(R"({"email":"b@example.com","password":"secret1","rePassword":"secret1"})") << 10027;
}

void TestAccountServer::registration()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("taken@example.com"), 0);
    const Answer a = client.post("/v1/user/register", body);
    QCOMPARE(a.status, 200);
    QCOMPARE(a.code(), code);
    QVERIFY(!a.body.value("msg").toString().isEmpty());
}

void TestAccountServer::login_data()
{
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("code");
    QTest::newRow("right") << "Ann@Example.com" << "secret1" << 0;
    QTest::newRow("wrong password") << "ann@example.com" << "secret2" << 10003;
    QTest::newRow("unknown e-mail") << "bob@example.com" << "secret1" << 10001;
    QTest::newRow("not an e-mail") << "ann" << "secret1" << 10004;
}

void TestAccountServer::login()
{
    QFETCH(QString, email);
    QFETCH(QString, password);
    QFETCH(int, code);
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com", "secret1", "Ann"), 0);
    const Answer a = client.postJson("/v1/user/login", {{"email", email}, {"password", password}});
    QCOMPARE(a.code(), code);
    QCOMPARE(a.body.value("data").toObject().value("nickname").toString(), code == 0 ? QString("Ann") : QString());
    QCOMPARE(a.authorization.size(), code == 0 ? 64 : 0);
}

void TestAccountServer::failedLoginsLockTheAccount()
{
    ServerRig server({"--max-failed-logins", "3"});
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    QCOMPARE(client.registerUser("bob@example.com"), 0);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(client.postJson("/v1/user/login", {{"email", "ann@example.com"}, {"password", "wrong1"}}).code(), 10003);
    // Locked: even the right password is refused, without a token.
    const Answer locked = client.postJson("/v1/user/login", {{"email", "ann@example.com"}, {"password", "secret1"}});
    QCOMPARE(locked.code(), 10013);
    QVERIFY(locked.authorization.isEmpty());
    // Another account from the same address is not affected.
    QVERIFY(!client.login("bob@example.com", "secret1").isEmpty());
}

void TestAccountServer::failedLoginsLockTheAddress()
{
    ServerRig server({"--max-failed-logins-per-address", "4"});
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    // Guessing across accounts (unknown ones included) counts for the address.
    for (const char *email : {"a1@example.com", "a2@example.com", "a3@example.com", "a4@example.com"})
        QCOMPARE(client.postJson("/v1/user/login", {{"email", email}, {"password", "secret1"}}).code(), 10001);
    QCOMPARE(client.postJson("/v1/user/login", {{"email", "ann@example.com"}, {"password", "secret1"}}).code(), 10013);
}

void TestAccountServer::tokens_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("token"); // "login": the token of a fresh login
    QTest::addColumn<int>("code");
    QTest::newRow("valid") << QStringList() << QByteArray("login") << 0;
    QTest::newRow("bearer form") << QStringList() << QByteArray("Bearer login") << 0;
    QTest::newRow("expired") << QStringList{"--token-lifetime", "0"} << QByteArray("login") << 10011;
    QTest::newRow("unknown") << QStringList() << QByteArray(64, 'a') << 10011;
    QTest::newRow("empty") << QStringList() << QByteArray() << 10011;
}

void TestAccountServer::tokens()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, token);
    QFETCH(int, code);
    ServerRig server(arguments);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    const QByteArray fresh = client.login("ann@example.com", "secret1");
    QVERIFY(!fresh.isEmpty());
    token.replace("login", fresh);
    // Uploads and saves need the login; the upload carries it in its file part.
    const Answer up = client.upload(kZip, token);
    QCOMPARE(up.code(), code);
    const Answer save = client.postJson("/v1/driver/config2/save",
                                        {{"filePath", code == 0 ? up.body["data"].toObject()["filePath"].toString() : QString()},
                                         {"configContent", ""}, {"configType", "falcon"}}, token);
    QCOMPARE(save.code(), code);
}

void TestAccountServer::malformedBodies_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::newRow("not JSON") << "/v1/user/login" << QByteArray("email=a&password=b") << 200;
    QTest::newRow("cut off") << "/v1/user/register" << QByteArray(R"({"email":"a@example.com")") << 200;
    QTest::newRow("array") << "/v1/user/login" << QByteArray("[1,2]") << 200;
    QTest::newRow("string") << "/v1/driver/version" << QByteArray("\"qk-software\"") << 200;
    QTest::newRow("empty") << "/v1/user/findPassword" << QByteArray() << 200;
    QTest::newRow("binary") << "/v1/user/newPassword" << QByteArray("\x00\xff\xfe{\"a\x01", 7) << 200;
    QTest::newRow("object as member") << "/v1/user/login" << QByteArray(R"({"email":{"a":1},"password":"x"})") << 200;
    QTest::newRow("member too long") << "/v1/user/findPassword" << QByteArray("{\"email\":\"" + QByteArray(2000, 'a') + "@example.com\"}") << 200;
    QTest::newRow("body over 64 KiB") << "/v1/user/login" << QByteArray("{\"email\":\"" + QByteArray(70000, 'a') + "\"}") << 200;
    QTest::newRow("unknown address") << "/v1/user/delete" << QByteArray("{}") << 404;
}

void TestAccountServer::malformedBodies()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    const Answer a = client.post(path, body);
    QCOMPARE(a.status, status);
    QCOMPARE(a.code(), 10027);
    QVERIFY(client.alive());
}

void TestAccountServer::malformedUploads_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    const QByteArray head = "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.zip\"\r\n";
    QTest::newRow("well formed") << QByteArray("multipart/form-data; boundary=XyZ") << head + "\r\n" + kZip + "\r\n--XyZ--\r\n" << 0;
    QTest::newRow("not multipart") << QByteArray("application/json") << QByteArray("{}") << 10017;
    QTest::newRow("no boundary") << QByteArray("multipart/form-data") << head + "\r\n" + kZip + "\r\n--XyZ--\r\n" << 10017;
    QTest::newRow("other boundary") << QByteArray("multipart/form-data; boundary=Other") << head + "\r\n" + kZip + "\r\n--XyZ--\r\n" << 10017;
    QTest::newRow("cut off") << QByteArray("multipart/form-data; boundary=XyZ") << head + "\r\n" + kZip << 10017;
    QTest::newRow("no blank line") << QByteArray("multipart/form-data; boundary=XyZ") << head + kZip + "\r\n--XyZ--\r\n" << 10017;
    QTest::newRow("no part named file") << QByteArray("multipart/form-data; boundary=XyZ")
                                        << QByteArray("--XyZ\r\nContent-Disposition: form-data; name=\"other\"\r\n\r\n") + kZip + "\r\n--XyZ--\r\n" << 10017;
    QTest::newRow("not a zip") << QByteArray("multipart/form-data; boundary=XyZ") << head + "\r\nhello\r\n--XyZ--\r\n" << 10019;
}

void TestAccountServer::malformedUploads()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    const QByteArray token = client.login("ann@example.com", "secret1");
    const Answer a = client.post("/v1/file/upload", body, token, contentType);
    QCOMPARE(a.code(), code);
    QCOMPARE(a.body.value("data").toObject().value("filePath").toString().startsWith(server.baseUrl() + "/files/"), code == 0);
    QVERIFY(client.alive());
}

void TestAccountServer::oversizeUpload()
{
    ServerRig server({"--max-upload", "4096"});
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    const QByteArray token = client.login("ann@example.com", "secret1");
    QCOMPARE(client.upload(kZip + QByteArray(4096 - kZip.size(), 'x'), token).code(), 0);
    QCOMPARE(client.upload(kZip + QByteArray(4097 - kZip.size(), 'x'), token).code(), 10018);
    // Far past the limit: the body is not even kept.
    QCOMPARE(client.upload(kZip + QByteArray(200000, 'x'), token).code(), 10018);
    QVERIFY(client.alive());
}

void TestAccountServer::settingsRoundTrip()
{
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    QCOMPARE(client.registerUser("bob@example.com"), 0);
    const QByteArray ann = client.login("ann@example.com", "secret1");
    const QByteArray bob = client.login("bob@example.com", "secret1");

    // Nothing stored yet: code 0 with an empty address, configType as asked.
    Answer got = client.postJson("/v1/driver/macro/config/get", {}, ann);
    QCOMPARE(got.code(), 0);
    QCOMPARE(got.body.value("configType").toString(), QString("macro"));
    QCOMPARE(got.body["data"].toObject()["filePath"].toString(), QString());

    const QByteArray local = kZip + "local";
    const QByteArray macros = kZip + "macros";
    const QString localPath = client.upload(local, ann).body["data"].toObject()["filePath"].toString();
    const QString macroPath = client.upload(macros, ann).body["data"].toObject()["filePath"].toString();
    QCOMPARE(client.postJson("/v1/driver/config2/save", {{"filePath", localPath}, {"configContent", ""}, {"configType", "falcon"}}, ann).code(), 0);
    QCOMPARE(client.postJson("/v1/driver/macro/config/save", {{"filePath", macroPath}, {"configContent", ""}, {"configType", ""}}, ann).code(), 0);
    // Another user cannot register ann's upload as his own, nor invent a path.
    QCOMPARE(client.postJson("/v1/driver/config2/save", {{"filePath", localPath}, {"configType", "falcon"}}, bob).code(), 10020);
    QCOMPARE(client.postJson("/v1/driver/config2/save", {{"filePath", "/etc/passwd"}, {"configType", "falcon"}}, ann).code(), 10020);
    QCOMPARE(client.postJson("/v1/driver/config2/save", {{"filePath", localPath}, {"configType", "../x"}}, ann).code(), 10023);

    got = client.postJson("/v1/driver/config2/get", {{"configType", "falcon"}}, ann);
    QCOMPARE(got.body.value("configType").toString(), QString("falcon"));
    QCOMPARE(client.get(got.body["data"].toObject()["filePath"].toString()), local);
    got = client.postJson("/v1/driver/macro/config/get", {}, ann);
    QCOMPARE(client.get(got.body["data"].toObject()["filePath"].toString()), macros);
    // Per model and per user.
    QCOMPARE(client.postJson("/v1/driver/config2/get", {{"configType", "osprey"}}, ann).body["data"].toObject()["filePath"].toString(), QString());
    QCOMPARE(client.postJson("/v1/driver/config2/get", {{"configType", "falcon"}}, bob).body["data"].toObject()["filePath"].toString(), QString());
    QCOMPARE(client.get(server.baseUrl() + "/files/" + QString(64, '0')), QByteArray("not found\n"));
}

void TestAccountServer::passwordChange()
{
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    QCOMPARE(client.registerUser("bob@example.com"), 0);
    const QByteArray token = client.login("ann@example.com", "secret1");
    auto change = [&](const QString &email, const QString &old, const QString &next) {
        return client.postJson("/v1/user/updatePassword", {{"email", email}, {"password", old}, {"rePassword", next}}, token).code();
    };
    QCOMPARE(change("ann@example.com", "wrong1", "newpass1"), 10003);
    QCOMPARE(change("bob@example.com", "secret1", "newpass1"), 10003); // not ann's account
    QCOMPARE(change("ann@example.com", "secret1", "short"), 10005);
    QCOMPARE(change("ann@example.com", "secret1", "secret1"), 10016);
    QCOMPARE(change("ann@example.com", "secret1", "newpass1"), 0);
    // The change ends the login that made it.
    QCOMPARE(client.upload(kZip, token).code(), 10011);
    QVERIFY(client.login("ann@example.com", "secret1").isEmpty());
    QVERIFY(!client.login("ann@example.com", "newpass1").isEmpty());
    QVERIFY(!client.login("bob@example.com", "secret1").isEmpty());
}

void TestAccountServer::passwordReset()
{
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com"), 0);
    const QByteArray oldToken = client.login("ann@example.com", "secret1");
    QCOMPARE(client.postJson("/v1/user/findPassword", {{"email", "nobody@example.com"}}).code(), 10001);
    QCOMPARE(client.postJson("/v1/user/findPassword", {{"email", "ann@example.com"}}).code(), 0);
    const QString code = server.lastMailedCode();
    QCOMPARE(code.size(), 6);
    QVERIFY(server.log().contains(code.toLatin1()));
    // A second request within the minute keeps the first code.
    QCOMPARE(client.postJson("/v1/user/findPassword", {{"email", "ann@example.com"}}).code(), 20004);
    QCOMPARE(server.lastMailedCode(), code);

    const QString wrong = code == "000000" ? "111111" : "000000";
    QCOMPARE(client.postJson("/v1/user/validatePassword", {{"email", "ann@example.com"}, {"captcha", wrong}}).code(), 10009);
    QCOMPARE(client.postJson("/v1/user/validatePassword", {{"email", "ann@example.com"}, {"captcha", code}}).code(), 0);
    QCOMPARE(client.postJson("/v1/user/newPassword", {{"email", "ann@example.com"}, {"captcha", code}, {"password", "abc"}}).code(), 10005);
    QCOMPARE(client.postJson("/v1/user/newPassword", {{"email", "ann@example.com"}, {"captcha", code}, {"password", "renewed1"}}).code(), 0);
    // Single use, and the earlier login ends.
    QCOMPARE(client.postJson("/v1/user/newPassword", {{"email", "ann@example.com"}, {"captcha", code}, {"password", "again12"}}).code(), 10010);
    QCOMPARE(client.upload(kZip, oldToken).code(), 10011);
    QVERIFY(!client.login("ann@example.com", "renewed1").isEmpty());

    // Five wrong tries use a code up.
    QCOMPARE(client.postJson("/v1/user/findPassword", {{"email", "ann@example.com"}}).code(), 0);
    const QString second = server.lastMailedCode();
    const QString miss = second == "000000" ? "111111" : "000000";
    for (int i = 0; i < 5; ++i)
        QCOMPARE(client.postJson("/v1/user/validatePassword", {{"email", "ann@example.com"}, {"captcha", miss}}).code(), 10009);
    QCOMPARE(client.postJson("/v1/user/validatePassword", {{"email", "ann@example.com"}, {"captcha", second}}).code(), 10010);
}

void TestAccountServer::versionRecord()
{
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QTemporaryFile firmware;
    QVERIFY(firmware.open());
    const QByteArray image(300, '\x5a');
    firmware.write(image);
    firmware.flush();
    QVERIFY(server.publish("firmware", "falcon", "23", "2026-11-02", firmware.fileName()));
    QVERIFY(server.publish("software", "qk", "1.2.0", "2026-11-30", firmware.fileName()));
    QVERIFY(!server.publish("hardware", "qk", "1", "", firmware.fileName()));
    Client client(server.baseUrl());
    const Answer a = client.postJson("/v1/driver/version", {{"versionType", "falcon-firmware"}});
    QCOMPARE(a.code(), 0);
    const QJsonObject data = a.body.value("data").toObject();
    QCOMPARE(data.value("version").toString(), QString("23"));
    QCOMPARE(data.value("versionDate").toString(), QString("2026-11-02"));
    QCOMPARE(client.get(data.value("downloadUrl").toString()), image);
    QCOMPARE(client.postJson("/v1/driver/version", {{"versionType", "qk-software"}}).body["data"].toObject()["version"].toString(), QString("1.2.0"));
    QCOMPARE(client.postJson("/v1/driver/version", {{"versionType", "osprey-firmware"}}).code(), 10025);
    QCOMPARE(client.postJson("/v1/driver/version", {{"versionType", "falcon"}}).code(), 10026);
}

void TestAccountServer::passwordsStayOutOfDatabaseAndLog()
{
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    Client client(server.baseUrl());
    QCOMPARE(client.registerUser("ann@example.com", "Pw4Needle"), 0);
    QVERIFY(!client.login("ann@example.com", "Pw4Needle").isEmpty());
    QCOMPARE(client.postJson("/v1/user/login", {{"email", "ann@example.com"}, {"password", "Pw5Needle"}}).code(), 10003);
    const QByteArray token = client.login("ann@example.com", "Pw4Needle");
    QCOMPARE(client.postJson("/v1/user/updatePassword", {{"email", "ann@example.com"}, {"password", "Pw4Needle"}, {"rePassword", "Pw6Needle"}}, token).code(), 0);
    QVERIFY(server.stop());
    for (const char *secret : {"Pw4Needle", "Pw5Needle", "Pw6Needle"}) {
        QVERIFY2(server.filesContaining(secret).isEmpty(), qPrintable(server.filesContaining(secret).join(", ")));
        QVERIFY(!server.log().contains(secret));
    }
    // Nor the token: only its digest is stored.
    QVERIFY(server.filesContaining(token).isEmpty());
}

QTEST_GUILESS_MAIN(TestAccountServer)
#include "tst_accountserver.moc"
