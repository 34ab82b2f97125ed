#include "accountservice.h"
#include "collect.h"

#include "multipart.h"
#include "resultcode.h"
#include "secrets.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonValue>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>

#include <initializer_list>

namespace {

const QRegularExpression kEmail(QStringLiteral(R"(^[^@\s"<>()\[\],;:\\]{1,64}@[A-Za-z0-9](?:[A-Za-z0-9-]{0,62}[A-Za-z0-9])?(?:\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,62}[A-Za-z0-9])?)+$)"));
const QRegularExpression kModel(QStringLiteral("^[a-z0-9_]{1,32}$"));
const QRegularExpression kVersionType(QStringLiteral("^([a-z0-9_]{1,32})-(firmware|software)$"));
const QRegularExpression kFileId(QStringLiteral("^[0-9a-f]{64}$"));
const QRegularExpression kDigits(QStringLiteral("^[0-9]{6}$"));
const QRegularExpression kHost(QStringLiteral(R"(^[A-Za-z0-9.\-]+(:[0-9]{1,5})?$|^\[[0-9A-Fa-f:.]+\](:[0-9]{1,5})?$)"));

constexpr int kMaxMember = 1024;     // any member but "configContent"
constexpr int kMinPassword = 6;
constexpr int kMaxPassword = 16;
constexpr int kMaxNickname = 7;

HttpReply json(const QJsonObject &object, int status = 200)
{
    HttpReply r;
    r.status = status;
    r.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return r;
}

HttpReply answer(int code, const QString &msg, const QJsonObject &data = QJsonObject())
{
    QJsonObject o{{"code", code}, {"msg", msg}};
    if (!data.isEmpty())
        o.insert("data", data);
    return json(o);
}

HttpReply failed(int code, const QString &msg)
{
    return answer(code, msg);
}

HttpReply serverError()
{
    return failed(ResultCode::ServerError, QStringLiteral("server error, please try again later"));
}

// The token of an "Authorization" value: the value itself, or what follows "Bearer ".
QString tokenOf(const QByteArray &value)
{
    QByteArray v = value.trimmed();
    if (v.toLower().startsWith("bearer "))
        v = v.mid(7).trimmed();
    return QString::fromUtf8(v);
}

bool passwordLengthOk(const QString &p)
{
    return p.size() >= kMinPassword && p.size() <= kMaxPassword;
}

} // namespace

struct AccountService::Call
{
    const HttpRequest &request;
    QJsonObject body;
    QMap<QString, QString> member; // the string members that the handler asked for
    QList<Multipart::Part> parts;
    AccountStore::User user;       // set for requests that need a login
};

AccountService::AccountService(ServiceSettings settings, std::unique_ptr<AccountStore> store)
    : m_settings(std::move(settings)), m_store(std::move(store))
{
    now = [] { return QDateTime::currentSecsSinceEpoch(); };
}

AccountService::~AccountService() = default;

QString AccountService::filesDir() const
{
    return m_settings.dataDir + QStringLiteral("/files");
}

bool AccountService::start(QString *error)
{
    for (const char *sub : {"/files", "/outbox"}) {
        if (!QDir().mkpath(m_settings.dataDir + QLatin1String(sub))) {
            *error = QStringLiteral("cannot create %1").arg(m_settings.dataDir + QLatin1String(sub));
            return false;
        }
    }
    // Uploaded settings and mails with codes are the users' business only.
    QFile::setPermissions(m_settings.dataDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                  | QFileDevice::ExeOwner);
    if (!m_store->open(error))
        return false;
    m_store->removeExpiredTokens(now());
    return true;
}

qint64 AccountService::maxBody() const
{
    // A multipart body carries the file plus its part headers and delimiters.
    return qMax(m_settings.maxUpload, m_settings.maxJsonBody) + 64 * 1024;
}

const QMap<QByteArray, AccountService::Route> &AccountService::routes()
{
    static const QMap<QByteArray, Route> table{
        {"/v1/user/login", {Route::Json, false, &AccountService::login}},
        {"/v1/user/register", {Route::Json, false, &AccountService::registerUser}},
        {"/v1/user/updatePassword", {Route::Json, true, &AccountService::updatePassword}},
        {"/v1/user/findPassword", {Route::Json, false, &AccountService::findPassword}},
        {"/v1/user/validatePassword", {Route::Json, false, &AccountService::validatePassword}},
        {"/v1/user/newPassword", {Route::Json, false, &AccountService::newPassword}},
        {"/v1/file/upload", {Route::Multipart, true, &AccountService::upload}},
        {"/v1/driver/macro/config/save", {Route::Json, true, &AccountService::saveMacroConfig}},
        {"/v1/driver/config2/save", {Route::Json, true, &AccountService::saveLocalConfig}},
        {"/v1/driver/config2/get", {Route::Json, true, &AccountService::getLocalConfig}},
        {"/v1/driver/macro/config/get", {Route::Json, true, &AccountService::getMacroConfig}},
        {"/v1/driver/version", {Route::Json, false, &AccountService::version}},
    };
    return table;
}

namespace {

// Takes the named members of call's body as strings into call.member; the reply to send when
// one is missing, not a string or too long.
template <typename CallT>
std::optional<HttpReply> takeStrings(CallT &call, std::initializer_list<const char *> names,
                                     int maxLength = kMaxMember)
{
    for (const char *name : names) {
        const QJsonValue v = call.body.value(QLatin1String(name));
        if (!v.isString())
            return failed(ResultCode::BadRequest,
                          QStringLiteral("member \"%1\" missing or not a string").arg(QLatin1String(name)));
        if (v.toString().size() > maxLength)
            return failed(ResultCode::BadRequest, QStringLiteral("member \"%1\" too long").arg(QLatin1String(name)));
        call.member.insert(QLatin1String(name), v.toString());
    }
    return std::nullopt;
}

} // namespace

HttpReply AccountService::handle(const HttpRequest &request)
{
    QMutexLocker lock(&m_lock);
    // Whether a token came along, never the token itself (an empty header reads as none).
    const char *authorization = request.headers.value("authorization").trimmed().isEmpty() ? "none" : "given";
    qInfo().noquote() << "request" << request.method << QString::fromLatin1(request.path.left(200)) << "from"
                      << request.remoteAddress << "authorization" << authorization;
    if (request.method == "GET" && request.path.startsWith("/files/"))
        return download(request);
    if (request.method == "POST" && request.path == "/collect")
        return Collect::store(m_settings.dataDir, request.body); // an oversize body arrives empty
    const auto route = routes().constFind(request.path);
    if (route == routes().constEnd()) {
        HttpReply r = failed(ResultCode::BadRequest, QStringLiteral("no such address"));
        r.status = 404;
        return r;
    }
    if (request.method != "POST") {
        HttpReply r = failed(ResultCode::BadRequest, QStringLiteral("only POST is answered here"));
        r.status = 405;
        r.headers.append(qMakePair(QByteArray("Allow"), QByteArray("POST")));
        return r;
    }

    Call call{request, {}, {}, {}, {}};
    QString token = tokenOf(request.headers.value("authorization"));
    if (route->body == Route::Json) {
        if (request.bodyTooLarge || request.body.size() > m_settings.maxJsonBody)
            return failed(ResultCode::BadRequest, QStringLiteral("request body too large"));
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(request.body, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return failed(ResultCode::BadRequest, QStringLiteral("the body is not a JSON object"));
        call.body = doc.object();
    } else {
        if (request.bodyTooLarge)
            return failed(ResultCode::UploadTooLarge, QStringLiteral("file too large"));
        const auto boundary = Multipart::boundaryOf(request.headers.value("content-type"));
        const auto parts = boundary ? Multipart::parse(request.body, *boundary) : std::nullopt;
        if (!parts)
            return failed(ResultCode::BadUpload, QStringLiteral("the body is not a multipart form"));
        call.parts = *parts;
        // The program sends its token with the file part.
        for (const Multipart::Part &p : qAsConst(call.parts))
            if (p.name == "file" && p.headers.contains("authorization"))
                token = tokenOf(p.headers.value("authorization"));
    }

    if (route->needsLogin) {
        if (token.isEmpty() || token.size() > kMaxMember)
            return failed(ResultCode::LoginInvalid, QStringLiteral("please log in"));
        switch (m_store->userOfToken(Secrets::digest(token), now(), &call.user)) {
        case AccountStore::Lookup::Found:
            break;
        case AccountStore::Lookup::Missing:
            return failed(ResultCode::LoginInvalid, QStringLiteral("the login is no longer valid, please log in again"));
        case AccountStore::Lookup::Failed:
            return serverError();
        }
    }
    return (this->*(route->handler))(call);
}

// ---- user requests -------------------------------------------------------------------------

std::optional<HttpReply> AccountService::refusedAfterFailures(const QString &email, const QString &address, qint64 t)
{
    const qint64 since = t - m_settings.failedLoginWindowSeconds;
    const int ofAccount = m_store->loginFailuresOfAccount(email, since);
    const int fromAddress = m_store->loginFailuresFromAddress(address, since);
    if (ofAccount < 0 || fromAddress < 0)
        return serverError();
    if (ofAccount < m_settings.maxFailedLoginsPerAccount && fromAddress < m_settings.maxFailedLoginsPerAddress)
        return std::nullopt;
    qInfo().noquote() << "refused, too many failed attempts:" << email << "from" << address;
    return failed(ResultCode::TooManyAttempts, QStringLiteral("too many failed attempts, please wait"));
}

// The refusal for what checkCode found, or nothing when the code is good.
static std::optional<HttpReply> codeRefusal(int checked)
{
    switch (checked) {
    case ResultCode::Ok:
        return std::nullopt;
    case ResultCode::WrongCode:
        return failed(checked, QStringLiteral("wrong verification code"));
    case ResultCode::CodeExpired:
        return failed(checked, QStringLiteral("the verification code has expired, please request a new one"));
    default:
        return serverError();
    }
}

HttpReply AccountService::login(Call &call)
{
    if (auto bad = takeStrings(call, {"email", "password"}))
        return *bad;
    const QString email = call.member.value("email").trimmed().toLower();
    const QString password = call.member.value("password");
    const QString address = call.request.remoteAddress;
    if (!kEmail.match(email).hasMatch())
        return failed(ResultCode::BadEmail, QStringLiteral("not an e-mail address"));

    const qint64 t = now();
    if (auto refused = refusedAfterFailures(email, address, t))
        return *refused;

    AccountStore::User user;
    const auto found = m_store->userByEmail(email, &user);
    if (found == AccountStore::Lookup::Failed)
        return serverError();
    if (found == AccountStore::Lookup::Missing || !Secrets::verifyPassword(user.passwordHash, password)) {
        if (!m_store->addLoginFailure(email, address, t))
            return serverError();
        qInfo().noquote() << "login failed:" << email << "from" << address;
        if (found == AccountStore::Lookup::Missing)
            return failed(ResultCode::UnknownEmail, QStringLiteral("this e-mail address is not registered"));
        return failed(ResultCode::WrongPassword, QStringLiteral("wrong password"));
    }

    const QString token = Secrets::randomHex(32);
    if (!m_store->addToken(Secrets::digest(token), user.id, t + m_settings.tokenLifetimeSeconds)
        || !m_store->clearLoginFailures(email))
        return serverError();
    qInfo().noquote() << "login:" << email << "from" << address;
    HttpReply r = answer(ResultCode::Ok, QStringLiteral("ok"), QJsonObject{{"nickname", user.nickname}});
    r.headers.append(qMakePair(QByteArray("Authorization"), token.toUtf8()));
    return r;
}

HttpReply AccountService::registerUser(Call &call)
{
    if (auto bad = takeStrings(call, {"nickname", "email", "password", "rePassword"}))
        return *bad;
    const QString nickname = call.member.value("nickname").trimmed();
    const QString email = call.member.value("email").trimmed().toLower();
    const QString password = call.member.value("password");
    if (!kEmail.match(email).hasMatch())
        return failed(ResultCode::BadEmail, QStringLiteral("not an e-mail address"));
    if (nickname.isEmpty() || nickname.size() > kMaxNickname)
        return failed(ResultCode::BadNickname, QStringLiteral("the nickname must have 1 to 7 characters"));
    if (password != call.member.value("rePassword"))
        return failed(ResultCode::PasswordsDiffer, QStringLiteral("the passwords differ"));
    if (!passwordLengthOk(password))
        return failed(ResultCode::BadPasswordLength, QStringLiteral("the password must have 6 to 16 characters"));

    AccountStore::User user;
    switch (m_store->userByEmail(email, &user)) {
    case AccountStore::Lookup::Found:
        return failed(ResultCode::EmailTaken, QStringLiteral("this e-mail address is already registered"));
    case AccountStore::Lookup::Failed:
        return serverError();
    case AccountStore::Lookup::Missing:
        break;
    }
    user.id = Secrets::randomHex(16);
    user.email = email;
    user.nickname = nickname;
    user.passwordHash = Secrets::hashPassword(password);
    if (user.passwordHash.isEmpty() || !m_store->addUser(user, now()))
        return serverError();
    qInfo().noquote() << "registered:" << email;
    return answer(ResultCode::Ok, QStringLiteral("ok"));
}

HttpReply AccountService::updatePassword(Call &call)
{
    // "password" is the current password, "rePassword" the new one.
    if (auto bad = takeStrings(call, {"email", "password", "rePassword"}))
        return *bad;
    const QString email = call.member.value("email").trimmed().toLower();
    const QString current = call.member.value("password");
    const QString next = call.member.value("rePassword");
    const QString address = call.request.remoteAddress;
    const qint64 t = now();
    if (auto refused = refusedAfterFailures(call.user.email, address, t))
        return *refused;
    // The token decides whose password changes; an e-mail of another account is refused like a
    // wrong password.
    if (email != call.user.email || !Secrets::verifyPassword(call.user.passwordHash, current)) {
        if (!m_store->addLoginFailure(call.user.email, address, t))
            return serverError();
        return failed(ResultCode::WrongPassword, QStringLiteral("wrong password"));
    }
    if (!passwordLengthOk(next))
        return failed(ResultCode::BadPasswordLength, QStringLiteral("the password must have 6 to 16 characters"));
    if (next == current)
        return failed(ResultCode::SamePassword, QStringLiteral("the new password equals the old one"));
    const QByteArray hash = Secrets::hashPassword(next);
    // Every login of the account ends: the program asks the user to log in again.
    if (hash.isEmpty() || !m_store->setPasswordHash(call.user.id, hash) || !m_store->removeTokensOf(call.user.id))
        return serverError();
    qInfo().noquote() << "password changed:" << email;
    return answer(ResultCode::Ok, QStringLiteral("ok"));
}

HttpReply AccountService::findPassword(Call &call)
{
    if (auto bad = takeStrings(call, {"email"}))
        return *bad;
    const QString email = call.member.value("email").trimmed().toLower();
    if (!kEmail.match(email).hasMatch())
        return failed(ResultCode::BadEmail, QStringLiteral("not an e-mail address"));
    AccountStore::User user;
    switch (m_store->userByEmail(email, &user)) {
    case AccountStore::Lookup::Missing:
        return failed(ResultCode::UnknownEmail, QStringLiteral("this e-mail address is not registered"));
    case AccountStore::Lookup::Failed:
        return serverError();
    case AccountStore::Lookup::Found:
        break;
    }
    const qint64 t = now();
    AccountStore::ResetCode previous;
    const auto had = m_store->resetCode(email, &previous);
    if (had == AccountStore::Lookup::Failed)
        return serverError();
    if (had == AccountStore::Lookup::Found && previous.expiresAt > t
        && previous.sentAt + m_settings.codeResendSeconds > t)
        return failed(ResultCode::CodeStillValid,
                      QStringLiteral("a code was sent less than a minute ago, please use that one"));

    const QString code = Secrets::randomDigits(6);
    AccountStore::ResetCode stored;
    stored.codeDigest = Secrets::digest(email + QLatin1Char(':') + code);
    stored.sentAt = t;
    stored.expiresAt = t + m_settings.codeLifetimeSeconds;
    if (!m_store->putResetCode(email, stored))
        return serverError();
    if (!deliverCode(email, code)) {
        m_store->removeResetCode(email);
        return failed(ResultCode::MailFailed, QStringLiteral("the code could not be sent"));
    }
    return answer(ResultCode::Ok, QStringLiteral("ok"));
}

int AccountService::checkCode(const QString &email, const QString &code)
{
    AccountStore::ResetCode stored;
    switch (m_store->resetCode(email, &stored)) {
    case AccountStore::Lookup::Missing:
        return ResultCode::CodeExpired;
    case AccountStore::Lookup::Failed:
        return ResultCode::ServerError;
    case AccountStore::Lookup::Found:
        break;
    }
    if (stored.expiresAt <= now() || stored.failedTries >= m_settings.maxCodeTries) {
        m_store->removeResetCode(email);
        return ResultCode::CodeExpired;
    }
    if (!kDigits.match(code).hasMatch() || Secrets::digest(email + QLatin1Char(':') + code) != stored.codeDigest) {
        if (!m_store->countFailedTry(email))
            return ResultCode::ServerError;
        return ResultCode::WrongCode;
    }
    return ResultCode::Ok;
}

HttpReply AccountService::validatePassword(Call &call)
{
    if (auto bad = takeStrings(call, {"email", "captcha"}))
        return *bad;
    const QString email = call.member.value("email").trimmed().toLower();
    if (auto refused = codeRefusal(checkCode(email, call.member.value("captcha").trimmed())))
        return *refused;
    return answer(ResultCode::Ok, QStringLiteral("ok"));
}

HttpReply AccountService::newPassword(Call &call)
{
    if (auto bad = takeStrings(call, {"email", "captcha", "password"}))
        return *bad;
    const QString email = call.member.value("email").trimmed().toLower();
    const QString password = call.member.value("password");
    if (!passwordLengthOk(password))
        return failed(ResultCode::BadPasswordLength, QStringLiteral("the password must have 6 to 16 characters"));
    if (auto refused = codeRefusal(checkCode(email, call.member.value("captcha").trimmed())))
        return *refused;
    AccountStore::User user;
    if (m_store->userByEmail(email, &user) != AccountStore::Lookup::Found)
        return serverError();
    const QByteArray hash = Secrets::hashPassword(password);
    // The code is used up; earlier logins end and the failed-login count starts again.
    if (hash.isEmpty() || !m_store->setPasswordHash(user.id, hash) || !m_store->removeResetCode(email)
        || !m_store->removeTokensOf(user.id) || !m_store->clearLoginFailures(email))
        return serverError();
    qInfo().noquote() << "password reset:" << email;
    return answer(ResultCode::Ok, QStringLiteral("ok"));
}

bool AccountService::deliverCode(const QString &email, const QString &code)
{
    const QString message = QStringLiteral(
        "To: %1\r\nSubject: QKDriver verification code\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
        "Your verification code is %2. It is valid for %3 minutes and can be used once.\r\n")
                                .arg(email, code)
                                .arg(m_settings.codeLifetimeSeconds / 60);
    if (!m_settings.sendmail.isEmpty()) {
        QProcess mail;
        mail.start(m_settings.sendmail, {QStringLiteral("-t")});
        if (mail.waitForStarted(5000)) {
            mail.write(message.toUtf8());
            mail.closeWriteChannel();
            if (mail.waitForFinished(30000) && mail.exitStatus() == QProcess::NormalExit && mail.exitCode() == 0) {
                qInfo().noquote() << "verification code mailed to" << email;
                return true;
            }
        }
        qWarning().noquote() << "mail to" << email << "failed:" << mail.errorString();
        return false;
    }
    // No mail server: the message goes to the outbox folder and the log.
    const QString file = QStringLiteral("%1/outbox/%2-%3.eml")
                             .arg(m_settings.dataDir,
                                  QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")),
                                  Secrets::randomHex(4));
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(message.toUtf8()) < 0 || !out.commit()) {
        qWarning().noquote() << "cannot write" << file;
        return false;
    }
    qInfo().noquote() << "verification code for" << email << "is" << code << "(" + file + ")";
    return true;
}

// ---- files and settings --------------------------------------------------------------------

HttpReply AccountService::upload(Call &call)
{
    const Multipart::Part *file = nullptr;
    for (const Multipart::Part &p : qAsConst(call.parts))
        if (p.name == "file")
            file = &p;
    if (!file)
        return failed(ResultCode::BadUpload, QStringLiteral("no part named \"file\""));
    if (file->body.size() > m_settings.maxUpload)
        return failed(ResultCode::UploadTooLarge, QStringLiteral("file too large"));
    // Zip archives start with a local file header, or with the end record when they are empty.
    if (!file->body.startsWith("PK\x03\x04") && !file->body.startsWith("PK\x05\x06"))
        return failed(ResultCode::NotAZip, QStringLiteral("the file is not a zip archive"));

    const QString id = Secrets::randomHex(32);
    QSaveFile out(filesDir() + QLatin1Char('/') + id);
    if (!out.open(QIODevice::WriteOnly) || out.write(file->body) != file->body.size() || !out.commit())
        return serverError();
    const QString name = QString::fromUtf8(file->filename).left(255);
    if (!m_store->addFile(id, call.user.id, name, file->body.size(), now())) {
        QFile::remove(filesDir() + QLatin1Char('/') + id);
        return serverError();
    }
    qInfo().noquote() << "upload:" << call.user.email << name << file->body.size() << "bytes";
    return answer(ResultCode::Ok, QStringLiteral("ok"), QJsonObject{{"filePath", downloadUrl(call, id)}});
}

HttpReply AccountService::saveConfig(Call &call, const QString &kind, const QString &configType)
{
    // The id is the last part of the address that the upload answered.
    const QString path = call.member.value("filePath");
    const QString id = path.section(QLatin1Char('/'), -1);
    QString owner;
    const auto found = kFileId.match(id).hasMatch() ? m_store->fileOwner(id, &owner) : AccountStore::Lookup::Missing;
    if (found == AccountStore::Lookup::Failed)
        return serverError();
    if (found == AccountStore::Lookup::Missing || owner != call.user.id)
        return failed(ResultCode::FileNotFound, QStringLiteral("no such upload"));
    if (!m_store->saveConfig(call.user.id, kind, configType, id, call.member.value("configContent"), now()))
        return serverError();
    return answer(ResultCode::Ok, QStringLiteral("ok"));
}

HttpReply AccountService::saveLocalConfig(Call &call)
{
    if (auto bad = takeStrings(call, {"filePath", "configType"}))
        return *bad;
    if (call.body.contains(QLatin1String("configContent")))
        if (auto bad = takeStrings(call, {"configContent"}, int(m_settings.maxJsonBody)))
            return *bad;
    const QString model = call.member.value("configType");
    if (!kModel.match(model).hasMatch())
        return failed(ResultCode::BadModel, QStringLiteral("not a model name"));
    return saveConfig(call, QStringLiteral("local"), model);
}

HttpReply AccountService::saveMacroConfig(Call &call)
{
    // The program sends "configType" empty here; the macro library is one per account.
    if (auto bad = takeStrings(call, {"filePath"}))
        return *bad;
    if (call.body.contains(QLatin1String("configContent")))
        if (auto bad = takeStrings(call, {"configContent"}, int(m_settings.maxJsonBody)))
            return *bad;
    return saveConfig(call, QStringLiteral("macro"), QString());
}

HttpReply AccountService::getConfig(Call &call, const QString &kind, const QString &configType,
                                    const QString &replyType)
{
    QString id;
    const auto found = m_store->configFile(call.user.id, kind, configType, &id);
    if (found == AccountStore::Lookup::Failed)
        return serverError();
    // Nothing stored: code 0 with an empty address, which the program reads as "nothing there".
    const QString url = found == AccountStore::Lookup::Found ? downloadUrl(call, id) : QString();
    QJsonObject o{{"code", ResultCode::Ok}, {"msg", QStringLiteral("ok")}, {"configType", replyType},
                  {"data", QJsonObject{{"filePath", url}}}};
    return json(o);
}

HttpReply AccountService::getLocalConfig(Call &call)
{
    if (auto bad = takeStrings(call, {"configType"}))
        return *bad;
    const QString model = call.member.value("configType");
    if (!kModel.match(model).hasMatch())
        return failed(ResultCode::BadModel, QStringLiteral("not a model name"));
    return getConfig(call, QStringLiteral("local"), model, model);
}

HttpReply AccountService::getMacroConfig(Call &call)
{
    return getConfig(call, QStringLiteral("macro"), QString(), QStringLiteral("macro"));
}

HttpReply AccountService::version(Call &call)
{
    if (auto bad = takeStrings(call, {"versionType"}))
        return *bad;
    const QString type = call.member.value("versionType");
    if (!kVersionType.match(type).hasMatch())
        return failed(ResultCode::BadVersionType, QStringLiteral("not a version type"));
    AccountStore::Release release;
    switch (m_store->release(type, &release)) {
    case AccountStore::Lookup::Missing:
        return failed(ResultCode::NoVersion, QStringLiteral("no version published"));
    case AccountStore::Lookup::Failed:
        return serverError();
    case AccountStore::Lookup::Found:
        break;
    }
    return answer(ResultCode::Ok, QStringLiteral("ok"),
                  QJsonObject{{"downloadUrl", downloadUrl(call, release.fileId)},
                              {"version", release.version},
                              {"versionDate", release.versionDate}});
}

HttpReply AccountService::download(const HttpRequest &request)
{
    const QString id = QString::fromLatin1(request.path.mid(int(qstrlen("/files/"))));
    QString owner;
    QFile file(filesDir() + QLatin1Char('/') + id);
    if (!kFileId.match(id).hasMatch() || m_store->fileOwner(id, &owner) != AccountStore::Lookup::Found
        || !file.open(QIODevice::ReadOnly)) {
        HttpReply r;
        r.status = 404;
        r.contentType = "text/plain";
        r.body = "not found\n";
        return r;
    }
    HttpReply r;
    r.contentType = "application/octet-stream";
    r.body = file.readAll();
    return r;
}

QString AccountService::downloadUrl(const Call &call, const QString &fileId) const
{
    QString base = m_settings.publicUrl;
    if (base.isEmpty()) {
        const QString host = QString::fromLatin1(call.request.headers.value("host"));
        base = kHost.match(host).hasMatch() ? QStringLiteral("http://") + host : m_settings.fallbackBase;
    }
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QStringLiteral("/files/") + fileId;
}

bool AccountService::publish(const QString &type, const QString &name, const QString &version,
                             const QString &date, const QString &file, QString *error)
{
    QMutexLocker lock(&m_lock);
    const QString versionType = name + QLatin1Char('-') + type;
    if (!kVersionType.match(versionType).hasMatch()) {
        *error = QStringLiteral("--type must be firmware or software and --name a model folder name or \"qk\"");
        return false;
    }
    if (version.isEmpty() || version.size() > 64 || date.size() > 64) {
        *error = QStringLiteral("--version must be given (at most 64 characters), --date at most 64");
        return false;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(file);
        return false;
    }
    const QByteArray bytes = in.readAll();
    const QString id = Secrets::randomHex(32);
    QSaveFile out(filesDir() + QLatin1Char('/') + id);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = QStringLiteral("cannot store the file in %1").arg(filesDir());
        return false;
    }
    AccountStore::Release r{versionType, version, date, id};
    if (!m_store->addFile(id, QString(), QFileInfo(file).fileName(), bytes.size(), now())
        || !m_store->putRelease(r, now())) {
        QFile::remove(filesDir() + QLatin1Char('/') + id);
        *error = QStringLiteral("the database refused the release");
        return false;
    }
    return true;
}
