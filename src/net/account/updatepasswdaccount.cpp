#include "net/account/updatepasswdaccount.h"

#include <QDebug>
#include <QJsonObject>
#include <QNetworkReply>

UpdatePasswdAccount::UpdatePasswdAccount(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &UpdatePasswdAccount::slots_onSigFinished);
}

void UpdatePasswdAccount::KvUpdatePasswdJson(const QString &email, const QString &passwd, const QString &rePasswd)
{
    postJson(UpdatePasswordUrl, QJsonObject{{QStringLiteral("email"), email}, {QStringLiteral("password"), passwd}, {QStringLiteral("rePassword"), rePasswd}});
}

void UpdatePasswdAccount::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    qDebug() << "rtCode " << r.code;
    emit sigUpdatePwdRet(r.code, r.msg);
}
