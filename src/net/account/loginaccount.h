#pragma once
// LoginAccount: logs in with e-mail and password. On success the token of the reply's
// "Authorization" header, the e-mail and the nickname are stored (OperateToken), replacing an
// earlier login; sigLoginRet carries the nickname as its message then.

#include "net/account/kvaccountmanage.h"

class LoginAccount : public KVAccountManage
{
    Q_OBJECT
public:
    explicit LoginAccount(QObject *parent = nullptr);

public slots:
    // Posts {"email", "password"}; the answer comes as sigLoginRet.
    void KvPostLoginJson(const QString &emailAccount, const QString &passwd);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigLoginRet(int rCode, QString rMsg);
};
