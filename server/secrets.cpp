#include "secrets.h"

#include <sodium.h>

#include <atomic>

namespace {
std::atomic<Secrets::HashCost> g_cost{Secrets::HashCost::Interactive};
}

namespace Secrets {

bool init()
{
    return sodium_init() >= 0;
}

void setHashCost(HashCost cost)
{
    g_cost = cost;
}

QByteArray hashPassword(const QString &password)
{
    const QByteArray utf8 = password.toUtf8();
    const bool minimum = g_cost == HashCost::Minimum;
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                          minimum ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          minimum ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        return QByteArray();
    return QByteArray(out);
}

bool verifyPassword(const QByteArray &hash, const QString &password)
{
    if (hash.isEmpty() || hash.size() >= int(crypto_pwhash_STRBYTES))
        return false;
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size()))
        == 0;
}

QString randomHex(int bytes)
{
    QByteArray raw(bytes, '\0');
    randombytes_buf(raw.data(), static_cast<size_t>(raw.size()));
    return QString::fromLatin1(raw.toHex());
}

QString randomDigits(int digits)
{
    QString out;
    for (int i = 0; i < digits; ++i)
        out.append(QChar('0' + static_cast<int>(randombytes_uniform(10))));
    return out;
}

QString digest(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    unsigned char out[32];
    crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char *>(utf8.constData()),
                       static_cast<unsigned long long>(utf8.size()), nullptr, 0);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(out), sizeof out).toHex());
}

} // namespace Secrets
