#include "net/account/findpasswd.h"

#include <QJsonObject>
#include <QNetworkReply>

FindPasswd::FindPasswd(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &FindPasswd::slots_onSigFinished);
}

void FindPasswd::KvFindPasswdJson(const QString &email)
{
    postJson(FindPasswordUrl, QJsonObject{{QStringLiteral("email"), email}});
}

void FindPasswd::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    emit sigFindPwdRet(r.code, r.msg);
}
