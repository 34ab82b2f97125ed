#include "net/cloud/saveconfiginfo.h"

#include <QDebug>
#include <QNetworkReply>

SaveConfigInfo::SaveConfigInfo(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &SaveConfigInfo::slots_onSigFinished);
}

void SaveConfigInfo::KvSaveConfigInfoJson(const QString &filePath, const QString &mouseType, const QString &type)
{
    int endpoint = -1;
    if (type == QLatin1String("LocalConfig"))
        endpoint = ConfigSaveUrl;
    else if (type == QLatin1String("MacroConfig"))
        endpoint = MacroConfigSaveUrl;
    else
        return;
    postJson(endpoint, QJsonObject{{QStringLiteral("filePath"), filePath},
                                   {QStringLiteral("configContent"), QString(QLatin1String(""))},
                                   {QStringLiteral("configType"), mouseType}});
}

void SaveConfigInfo::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    emit sigSaveConfRet(r.code, r.msg);
}
