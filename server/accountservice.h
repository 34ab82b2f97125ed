#pragma once
// AccountService: the requests of the account service, independent of the HTTP library.
// The HTTP front end (httpfrontend.cpp) hands each request over as an HttpRequest and sends back
// the HttpReply; everything else (validation, limits, storage, mail) happens here.
//
// Every reply to a /v1/ address is HTTP 200 with a JSON object {"code", "msg"[, "data"]}: the
// program reads a non-2xx status as a network failure and would hide the service's code.
// Requests are handled one at a time (one lock), which keeps the checks of a request and its
// writes together on both databases.
//
// Adding a request: one row in the routing table of accountservice.cpp and one handler.

#include "accountstore.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct HttpRequest
{
    QByteArray method; // "GET", "POST", ...
    QByteArray path;   // without the query
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    bool bodyTooLarge = false; // the front end stopped reading the body at the limit
    QString remoteAddress;
};

struct HttpReply
{
    int status = 200;
    QByteArray contentType = "application/json";
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

struct ServiceSettings
{
    QString dataDir;
    QString publicUrl;                  // base of download addresses; empty: from the Host header
    QString fallbackBase;               // "http://HOST:PORT" of the listening socket
    qint64 tokenLifetimeSeconds = 30LL * 24 * 3600;
    int maxFailedLoginsPerAccount = 5;  // within failedLoginWindowSeconds
    int maxFailedLoginsPerAddress = 20;
    qint64 failedLoginWindowSeconds = 15 * 60;
    qint64 maxJsonBody = 64 * 1024;
    qint64 maxUpload = 8 * 1024 * 1024;
    qint64 codeLifetimeSeconds = 15 * 60;
    qint64 codeResendSeconds = 60;
    int maxCodeTries = 5;
    QString sendmail;                   // program that takes a message on stdin ("sendmail -t")
};

class AccountService
{
public:
    AccountService(ServiceSettings settings, std::unique_ptr<AccountStore> store);
    ~AccountService();

    // Creates the data folders and the tables; false with *error when the service cannot run.
    bool start(QString *error);
    // "http://HOST:PORT" of the listening socket, for download addresses when a request has no
    // usable Host header.
    void setFallbackBase(const QString &base) { m_settings.fallbackBase = base; }
    // The largest body the front end should read before giving up on a request.
    qint64 maxBody() const;

    HttpReply handle(const HttpRequest &request);

    // Stores a release file and its version record ("publish" on the command line). type is
    // "firmware" or "software"; name the model folder name or "qk".
    bool publish(const QString &type, const QString &name, const QString &version,
                 const QString &date, const QString &file, QString *error);

    // Seconds since the epoch; replaceable for tests of expiry.
    std::function<qint64()> now;

private:
    struct Call;
    using Handler = HttpReply (AccountService::*)(Call &);
    struct Route
    {
        enum Body { Json, Multipart } body;
        bool needsLogin;
        Handler handler;
    };
    static const QMap<QByteArray, Route> &routes();

    // A refusal when email or address had too many failed logins lately (or the count failed).
    std::optional<HttpReply> refusedAfterFailures(const QString &email, const QString &address, qint64 t);
    HttpReply login(Call &);
    HttpReply registerUser(Call &);
    HttpReply updatePassword(Call &);
    HttpReply findPassword(Call &);
    HttpReply validatePassword(Call &);
    HttpReply newPassword(Call &);
    HttpReply upload(Call &);
    HttpReply saveLocalConfig(Call &);
    HttpReply saveMacroConfig(Call &);
    HttpReply getLocalConfig(Call &);
    HttpReply getMacroConfig(Call &);
    HttpReply version(Call &);

    HttpReply download(const HttpRequest &request);
    HttpReply saveConfig(Call &call, const QString &kind, const QString &configType);
    HttpReply getConfig(Call &call, const QString &kind, const QString &configType,
                        const QString &replyType);
    // Checks a verification code; Ok or the code to answer.
    int checkCode(const QString &email, const QString &code);
    bool deliverCode(const QString &email, const QString &code);
    QString downloadUrl(const Call &call, const QString &fileId) const;
    QString filesDir() const;

    ServiceSettings m_settings;
    std::unique_ptr<AccountStore> m_store;
    QMutex m_lock;
};
