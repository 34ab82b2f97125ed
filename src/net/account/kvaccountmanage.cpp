#include "net/account/kvaccountmanage.h"

#include "storage/operateini.h"
#include "storage/storagepaths.h"

#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const char *const kPaths[] = {
    "/v1/user/login",
    "/v1/user/register",
    "/v1/user/updatePassword",
    "/v1/user/findPassword",
    "/v1/user/validatePassword",
    "/v1/user/newPassword",
    "/v1/file/upload",
    "/v1/driver/macro/config/save",
    "/v1/driver/config2/save",
    "/v1/driver/config2/get",
    "/v1/driver/macro/config/get",
    "/v1/driver/version",
};
constexpr int kEndpoints = int(sizeof kPaths / sizeof kPaths[0]);

QString withoutTrailingSlash(QString url)
{
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

} // namespace

KVAccountManage::KVAccountManage(QObject *parent)
    : QObject(parent), m_baseUrl(defaultBaseUrl()), m_manager(new QNetworkAccessManager(this))
{
    connect(m_manager, &QNetworkAccessManager::finished, this, &KVAccountManage::sigFinished);
}

KVAccountManage::~KVAccountManage() = default;

QString KVAccountManage::defaultBaseUrl()
{
    const QString env = qEnvironmentVariable("QKDRIVER_SERVER_URL").trimmed();
    if (!env.isEmpty())
        return withoutTrailingSlash(env);
    const QString stored = OperateIni(StoragePaths::systemIniFile()).valueOr(QStringLiteral("/NET/server_url"), QString()).trimmed();
    if (!stored.isEmpty())
        return withoutTrailingSlash(stored);
    return QStringLiteral("http://127.0.0.1:8737");
}

void KVAccountManage::setBaseUrl(const QString &url)
{
    m_baseUrl = withoutTrailingSlash(url);
}

QString KVAccountManage::url(int index) const
{
    if (index < 0 || index >= kEndpoints)
        return QString();
    return m_baseUrl + QLatin1String(kPaths[index]);
}

QString KVAccountManage::token() const
{
    return m_token.GetToken();
}

QNetworkReply *KVAccountManage::postJson(int index, const QByteArray &body)
{
    const QString address = url(index);
    if (address.isEmpty())
        return nullptr;
    QNetworkRequest request{QUrl(address)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    // A null value would drop the header; an empty one still sends it.
    QByteArray value = token().toUtf8();
    if (value.isNull())
        value = QByteArray("");
    request.setRawHeader("Authorization", value);
    return m_manager->post(request, body);
}

QNetworkReply *KVAccountManage::postJson(int index, const QJsonObject &object)
{
    return postJson(index, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QNetworkReply *KVAccountManage::postUpload(QHttpMultiPart *multiPart)
{
    QNetworkReply *reply = m_manager->post(QNetworkRequest(QUrl(url(FileUploadUrl))), multiPart);
    multiPart->setParent(reply);
    return reply;
}

QString KVAccountManage::networkErrorText()
{
    return tr("Network Error, please try again later");
}

QString KVAccountManage::serverErrorText()
{
    return tr("Server error, please try again later");
}

KVAccountManage::Result KVAccountManage::readReply(QNetworkReply *reply, const QString &networkText)
{
    Result r;
    if (reply->error() != QNetworkReply::NoError) {
        r.msg = networkText;
        return r;
    }
    const QByteArray body = reply->readAll();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    // Only an object with an integer "code" is an answer; anything else (an array, a proxy's
    // JSON error page without "code") must not read as code 0, success.
    if (error.error != QJsonParseError::NoError || !doc.isObject()
        || !doc.object().value(QLatin1String("code")).isDouble()) {
        r.msg = serverErrorText();
        return r;
    }
    r.object = doc.object();
    r.code = r.object.value(QLatin1String("code")).toInt();
    r.msg = r.object.value(QLatin1String("msg")).toString();
    return r;
}
