#pragma once
// UpdatePasswdAccount: changes the password of the logged-in account ("password" = the current one, "rePassword" = the new one).

#include "net/account/kvaccountmanage.h"

class UpdatePasswdAccount : public KVAccountManage
{
    Q_OBJECT
public:
    explicit UpdatePasswdAccount(QObject *parent = nullptr);

public slots:
    // Posts {"email", "password", "rePassword"} as JSON strings; the answer comes as sigUpdatePwdRet.
    void KvUpdatePasswdJson(const QString &email, const QString &passwd, const QString &rePasswd);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigUpdatePwdRet(int rCode, QString rMsg);
};
