#include "net/account/accountstatus.h"

#include "storage/operatetoken.h"

namespace AccountStatus {

bool loggedIn()
{
    return !OperateToken().GetToken().isEmpty();
}

QString email()
{
    return OperateToken().GetEmail();
}

QString nickName()
{
    return OperateToken().GetNickName();
}

bool logout()
{
    OperateToken stored;
    // The token first: once it is gone nobody is logged in, even if the rest fails.
    const bool token = stored.SetToken(QString());
    const bool email = stored.SetEmail(QString());
    const bool nick = stored.SetNickName(QString());
    return token && email && nick;
}

} // namespace AccountStatus
