#include "net/cloud/getdownloadfilepath.h"

#include <QDebug>
#include <QNetworkReply>

GetDownLoadFilePath::GetDownLoadFilePath(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &GetDownLoadFilePath::slots_onSigFinished);
}

void GetDownLoadFilePath::KvDownLoadFilePathJson(const QString &mouseType)
{
    if (mouseType.isEmpty())
        postJson(MacroConfigGetUrl, QJsonObject{});
    else
        postJson(ConfigGetUrl, QJsonObject{{QStringLiteral("configType"), mouseType}});
}

void GetDownLoadFilePath::slots_onSigFinished(QNetworkReply *reply)
{
    qDebug().noquote() << "GetDownLoadFilePath reply" << QString::fromUtf8(reply->peek(4096));
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    const QString configType = r.object.value(QLatin1String("configType")).toString();
    const QString path = r.object.value(QLatin1String("data")).toObject().value(QLatin1String("filePath")).toString();
    emit sig_DownLoadFilePathRet(r.code, configType, r.msg, path);
}
