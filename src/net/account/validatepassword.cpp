#include "net/account/validatepassword.h"

#include <QJsonObject>
#include <QNetworkReply>

ValidatePassword::ValidatePassword(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &ValidatePassword::slots_onSigFinished);
}

void ValidatePassword::KvValidatePasswordJson(const QString &email, const QString &captcha)
{
    postJson(ValidatePasswordUrl, QJsonObject{{QStringLiteral("email"), email}, {QStringLiteral("captcha"), captcha}});
}

void ValidatePassword::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    emit sigValidateCodeRet(r.code, r.msg);
}
