#pragma once
// NewPassword: sets a new password with an e-mailed verification code.

#include "net/account/kvaccountmanage.h"

class NewPassword : public KVAccountManage
{
    Q_OBJECT
public:
    explicit NewPassword(QObject *parent = nullptr);

public slots:
    // Posts {"email", "captcha", "password"} as JSON strings; the answer comes as sigAlterPwdRet.
    void KvNewPasswordJson(const QString &email, const QString &captcha, const QString &password);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigAlterPwdRet(int rCode, QString rMsg);
};
