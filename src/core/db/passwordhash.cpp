#include "core/db/passwordhash.h"

#include <sodium.h>

namespace hemu {

namespace {
bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}
} // namespace

QString hashPassword(const QString &password)
{
    if (!sodiumReady())
        return {};
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        return {};
    return QString::fromLatin1(out);
}

bool verifyPassword(const QString &password, const QString &stored)
{
    if (stored.isEmpty())
        return password.isEmpty();
    if (!sodiumReady())
        return false;
    const QByteArray hash = stored.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}

} // namespace hemu
