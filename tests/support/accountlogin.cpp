#include "support/accountlogin.h"
#include "support/signalanswer.h"

#include "net/account/loginaccount.h"
#include "net/account/registeraccount.h"

bool registerAndLogIn(const QString &baseUrl)
{
    RegisterAccount registration;
    LoginAccount login;
    registration.setBaseUrl(baseUrl);
    login.setBaseUrl(baseUrl);
    registration.KvPostRegisiterJson("Ann", "ann@example.com", "secret1", "secret1");
    if (answer(&registration, &RegisterAccount::sigRegisterRet).value(0, -100).toInt() != 0)
        return false;
    login.KvPostLoginJson("ann@example.com", "secret1");
    return answer(&login, &LoginAccount::sigLoginRet).value(0, -100).toInt() == 0;
}
