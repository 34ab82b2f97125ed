#pragma once
// ValidatePassword: checks an e-mailed verification code.

#include "net/account/kvaccountmanage.h"

class ValidatePassword : public KVAccountManage
{
    Q_OBJECT
public:
    explicit ValidatePassword(QObject *parent = nullptr);

public slots:
    // Posts {"email", "captcha"} as JSON strings; the answer comes as sigValidateCodeRet.
    void KvValidatePasswordJson(const QString &email, const QString &captcha);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigValidateCodeRet(int rCode, QString rMsg);
};
