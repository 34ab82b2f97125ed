#pragma once
// FindPasswd: asks the service to e-mail a verification code for a forgotten password.

#include "net/account/kvaccountmanage.h"

class FindPasswd : public KVAccountManage
{
    Q_OBJECT
public:
    explicit FindPasswd(QObject *parent = nullptr);

public slots:
    // Posts {"email"} as JSON strings; the answer comes as sigFindPwdRet.
    void KvFindPasswdJson(const QString &email);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigFindPwdRet(int rCode, QString rMsg);
};
