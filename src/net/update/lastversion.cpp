#include "net/update/lastversion.h"

#include <QDebug>
#include <QJsonDocument>
#include <QNetworkReply>

LastVersion::LastVersion(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &LastVersion::slots_onSigFinished);
}

void LastVersion::KvLastFirmVersionJson(QString versionType)
{
    const QJsonObject body{{QStringLiteral("versionType"), versionType + QStringLiteral("-firmware")}};
    qDebug() << "LastFirmVersionJson" << body;
    postJson(VersionUrl, body);
}

void LastVersion::KvLastSoftwareVersionJson(QString versionType)
{
    postJson(VersionUrl, QJsonObject{{QStringLiteral("versionType"), versionType + QStringLiteral("-software")}});
}

void LastVersion::slots_onSigFinished(QNetworkReply *reply)
{
    qDebug() << "slots_onSigFinished" << reply->error();
    reply->deleteLater();
    const Result r = readReply(reply, networkErrorText());
    const QJsonObject data = r.object.value(QStringLiteral("data")).toObject();
    Q_EMIT sigLastVersionRet(r.code, r.msg, data.value(QStringLiteral("version")).toString(),
                             data.value(QStringLiteral("downloadUrl")).toString(),
                             data.value(QStringLiteral("versionDate")).toString());
}
