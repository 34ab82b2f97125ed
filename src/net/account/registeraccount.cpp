#include "net/account/registeraccount.h"

#include <QJsonObject>
#include <QNetworkReply>

RegisterAccount::RegisterAccount(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &RegisterAccount::slots_onSigFinished);
}

void RegisterAccount::KvPostRegisiterJson(const QString &nickName, const QString &email, const QString &password, const QString &rePassword)
{
    postJson(RegisterUrl, QJsonObject{{QStringLiteral("nickname"), nickName}, {QStringLiteral("email"), email}, {QStringLiteral("password"), password}, {QStringLiteral("rePassword"), rePassword}});
}

void RegisterAccount::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, tr("Network Error"));
    reply->deleteLater();
    emit sigRegisterRet(r.code, r.msg);
}
