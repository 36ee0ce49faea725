#include "core/db/passwordhash.h"

#include <QRegularExpression>
#include <sodium.h>

namespace hemu {

namespace {
bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

const unsigned long long WrittenOpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
const size_t WrittenMemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

/// Reads "$argon2id$v=19$m=M,t=T,p=P$" at the start of `hash`. The costs are checked before
/// the library sees the hash: a file may carry a hash crafted to keep the verifier busy for
/// minutes and take gigabytes, and a login must not be able to freeze the program.
bool costsWithinOwn(const QByteArray &hash)
{
    static const QRegularExpression prefix(QStringLiteral(R"(^\$argon2id\$v=19\$m=(\d{1,10}),t=(\d{1,10}),p=(\d{1,10})\$)"));
    const QRegularExpressionMatch m = prefix.match(QString::fromLatin1(hash));
    if (!m.hasMatch())
        return false;
    const qulonglong memoryKiB = m.captured(1).toULongLong();
    const qulonglong passes = m.captured(2).toULongLong();
    const qulonglong lanes = m.captured(3).toULongLong();
    return memoryKiB <= WrittenMemLimit / 1024 && passes <= WrittenOpsLimit && lanes == 1;
}
} // namespace

QString hashPassword(const QString &password)
{
    if (!sodiumReady())
        return {};
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()), WrittenOpsLimit, WrittenMemLimit)
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
    if (!costsWithinOwn(hash))
        return false;
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}

} // namespace hemu
