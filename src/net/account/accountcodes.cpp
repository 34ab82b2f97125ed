#include "net/account/accountcodes.h"

#include "common/texttable.h"

namespace AccountCodes {

int textNumber(int code)
{
    if (code == -1)
        return 300;
    if (code >= 0 && code <= 7)
        return 301 + code;
    if (code >= 10001 && code <= 10031)
        return 309 + (code - 10001);
    if (code == 10050)
        return 340;
    return 299;
}

QString text(int code)
{
    return TextTable::text(textNumber(code));
}

int passwordRefusal(const QString &password, const QString &again)
{
    if (password != again)
        return 229;
    if (password.size() < kMinPassword)
        return 285;
    if (password.size() > kMaxPassword)
        return 286;
    return 0;
}

} // namespace AccountCodes
