#pragma once
// Password hashing and random secrets (libsodium).
//
// Passwords are stored as crypto_pwhash_str strings (Argon2id with a random salt); tokens,
// verification codes and file ids are random, and only a digest of a token or a code is stored.

#include <QByteArray>
#include <QString>

namespace Secrets {
enum class HashCost { Interactive, Minimum };

// Initialises libsodium; false when it cannot be used (the server must not start then).
bool init();
// The cost used by hashPassword: Interactive in production, Minimum for test runs.
void setHashCost(HashCost cost);

// A crypto_pwhash_str string for password, or an empty string when hashing failed (out of
// memory).
QByteArray hashPassword(const QString &password);
// True when password matches a string from hashPassword.
bool verifyPassword(const QByteArray &hash, const QString &password);

// bytes random bytes as lower-case hex (2 * bytes characters).
QString randomHex(int bytes);
// A random decimal code of digits digits, leading zeros kept.
QString randomDigits(int digits);
// A hex digest (BLAKE2b, 32 bytes) of text, for storing tokens and codes.
QString digest(const QString &text);
} // namespace Secrets
