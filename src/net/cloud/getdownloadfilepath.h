#pragma once
// GetDownLoadFilePath: asks for the address of the stored zip, a model's configuration (mouse
// type non-empty) or the macro library (mouse type empty).

#include "net/account/kvaccountmanage.h"

class GetDownLoadFilePath : public KVAccountManage
{
    Q_OBJECT
public:
    explicit GetDownLoadFilePath(QObject *parent = nullptr);

public slots:
    // Posts {"configType": mouseType} to the configuration fetch, or {} to the macro fetch.
    void KvDownLoadFilePathJson(const QString &mouseType);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    // rConfigType: the answer's "configType" ("macro" for the macro library); path: its
    // "data"."filePath", empty when nothing is stored.
    void sig_DownLoadFilePathRet(int rCode, QString rConfigType, QString rMsg, QString path);
};
