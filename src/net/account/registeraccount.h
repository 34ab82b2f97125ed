#pragma once
// RegisterAccount: creates an account (nickname, e-mail, password twice).

#include "net/account/kvaccountmanage.h"

class RegisterAccount : public KVAccountManage
{
    Q_OBJECT
public:
    explicit RegisterAccount(QObject *parent = nullptr);

public slots:
    // Posts {"nickname", "email", "password", "rePassword"} as JSON strings; the answer comes as sigRegisterRet.
    void KvPostRegisiterJson(const QString &nickName, const QString &email, const QString &password, const QString &rePassword);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigRegisterRet(int rCode, QString rMsg);
};
