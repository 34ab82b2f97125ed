#pragma once
// The version request: the newest firmware of a model ("<model>-firmware") or the newest
// program ("qk-software") as the account service publishes it. The answer comes back as
// sigLastVersionRet: code 0 with the version, its download address and date; -1 with the
// network or server text when there was no usable answer; else the service's code and message.

#include "net/account/kvaccountmanage.h"

class LastVersion : public KVAccountManage
{
    Q_OBJECT
public:
    explicit LastVersion(QObject *parent = nullptr);

public Q_SLOTS:
    // name: the model's folder name ("falcon") or "qk" for the program.
    void KvLastFirmVersionJson(QString versionType);
    void KvLastSoftwareVersionJson(QString versionType);

Q_SIGNALS:
    void sigLastVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate);

private:
    void slots_onSigFinished(QNetworkReply *reply);
};
