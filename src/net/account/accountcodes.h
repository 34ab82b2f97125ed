#pragma once
// The one table that turns an account-service result code into the program's own text:
// -2 and any code not listed → text 299; -1 → 300; 0 … 7 → 301 … 308; 10001 … 10031 → 309 …
// 339; 10050 → 340.

#include <QString>

namespace AccountCodes {
// The text-table number for code.
int textNumber(int code);
// The text of code from the current text table.
QString text(int code);

// What the service accepts, checked before anything is sent.
constexpr int kMinPassword = 6, kMaxPassword = 16, kMaxNickname = 7;
// Why a new password (typed twice) is refused, as a text number: 229 the two differ, 285 too
// short, 286 too long; 0 when it is acceptable.
int passwordRefusal(const QString &password, const QString &again);
} // namespace AccountCodes
