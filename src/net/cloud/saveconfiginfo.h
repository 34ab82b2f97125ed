#pragma once
// SaveConfigInfo: registers an uploaded zip as the account's stored configuration of a model
// ("LocalConfig") or as its macro library ("MacroConfig").

#include "net/account/kvaccountmanage.h"

class SaveConfigInfo : public KVAccountManage
{
    Q_OBJECT
public:
    explicit SaveConfigInfo(QObject *parent = nullptr);

public slots:
    // Posts {"filePath", "configContent": "", "configType": mouseType}; any type other than
    // "LocalConfig" and "MacroConfig" sends nothing.
    void KvSaveConfigInfoJson(const QString &filePath, const QString &mouseType, const QString &type);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigSaveConfRet(int rCode, QString rMsg);
};
