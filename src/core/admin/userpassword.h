#pragma once

#include <QString>

namespace hemu {

class Database;
class Dataset;

/** Setting a user's password: what the rights editor, the own-password window and hemu-cli share. */
namespace UserPassword {

/// "口令不能超过10个字符。": the typed password is longer than a user may have.
QString tooLongText();
/// "没有这个用户。"
QString noSuchUserText();

/// The Argon2id hash to store for `password`; empty, with `error` saying why, for a password
/// longer than MaxPasswordLength (or when the library runs out of memory).
QString checkedHash(const QString &password, QString *error);

/// Puts the hash of `password` into the current row of `psd` (editing it if needed), not yet
/// saved. Returns the text to show, empty when assigned.
QString assign(Dataset &psd, const QString &password);

/// Stores the Argon2id hash of `password` for user `userId` in one transaction. Refuses a
/// password longer than MaxPasswordLength and a user without a row in psd; `error` says why.
bool set(Database &db, qint64 userId, const QString &password, QString *error);

/// The UserID of `user`: its number, or the name of the employee who is the user;
/// -1 when neither names a user.
qint64 findUser(Database &db, const QString &user);

} // namespace UserPassword

} // namespace hemu
