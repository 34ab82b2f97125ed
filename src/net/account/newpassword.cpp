#include "net/account/newpassword.h"

#include <QJsonObject>
#include <QNetworkReply>

NewPassword::NewPassword(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &NewPassword::slots_onSigFinished);
}

void NewPassword::KvNewPasswordJson(const QString &email, const QString &captcha, const QString &password)
{
    postJson(NewPasswordUrl, QJsonObject{{QStringLiteral("email"), email}, {QStringLiteral("captcha"), captcha}, {QStringLiteral("password"), password}});
}

void NewPassword::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    emit sigAlterPwdRet(r.code, r.msg);
}
