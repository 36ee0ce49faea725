#pragma once

#include <QString>

namespace hemu {

/// Longest password a user may type (the stored value is a hash and longer).
inline constexpr int MaxPasswordLength = 10;

/// What a list shows in place of a stored password: the same for every user.
inline QString passwordMaskText() { return QStringLiteral("******"); }

/// Argon2id hash (libsodium crypto_pwhash_str) of `password`; an empty password is hashed too.
/// Returns an empty string only if the library fails (out of memory).
QString hashPassword(const QString &password);

/// True when `password` matches `stored`. Letter case counts, nothing is trimmed.
/// A NULL or empty stored value matches only the empty password. A hash that is not Argon2id
/// or asks for more memory, passes or lanes than hashPassword() uses matches nothing.
bool verifyPassword(const QString &password, const QString &stored);

} // namespace hemu
