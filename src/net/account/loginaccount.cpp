#include "net/account/loginaccount.h"

#include <QDebug>
#include <QJsonObject>
#include <QNetworkReply>

namespace {
const char *const kEmailProperty = "qk_login_email";
}

LoginAccount::LoginAccount(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &LoginAccount::slots_onSigFinished);
}

void LoginAccount::KvPostLoginJson(const QString &emailAccount, const QString &passwd)
{
    QNetworkReply *reply = postJson(LoginUrl, QJsonObject{{QStringLiteral("email"), emailAccount},
                                                          {QStringLiteral("password"), passwd}});
    // Each reply remembers its own e-mail: two logins may be under way at once.
    if (reply)
        reply->setProperty(kEmailProperty, emailAccount);
}

void LoginAccount::slots_onSigFinished(QNetworkReply *reply)
{
    qDebug() << "slots_onSigFinished " << int(reply->error());
    Result r = readReply(reply, networkErrorText());
    if (r.code == 0)
        r.msg = r.object.value(QLatin1String("data")).toObject().value(QLatin1String("nickname")).toString();
    // Only a successful login replaces the stored one: a refused login leaves the previous
    // account signed in.
    const QByteArray token = reply->rawHeader("Authorization");
    if (r.code == 0 && !token.isEmpty()) {
        OperateToken &stored = operateToken();
        if (!stored.SetToken(QString::fromUtf8(token)) || !stored.SetEmail(reply->property(kEmailProperty).toString())
            || !stored.SetNickName(r.msg))
            qWarning() << "slots_onSigFinished: the login could not be stored";
    }
    reply->deleteLater();
    emit sigLoginRet(r.code, r.msg);
}
