#pragma once

#include <QByteArray>
#include <QString>

namespace hemu::test {

/**
 * Damaged and foreign files beside or in place of an account set, made from a set written by
 * the program itself: what a crash, a copy from another folder or a bad disk leaves behind.
 */
namespace DamagedSets {

/// Adds `rows` rows to `table` of the set at `path` (plain rows: goods items, or bill headers
/// without lines) so that the table spans several pages. The set stays in balance.
void grow(const QString &path, const QString &table, int rows);

/// Breaks the last page of table or index `name` (its type byte): a scan reads the entries
/// before it and then fails. It must span several pages (see grow()).
void breakLastPage(const QString &path, const QString &name);

/// A committed write-ahead log of another (non-account-set) database of `pageSize`, holding
/// its page 1, written to `walPath`.
void writeForeignWal(const QString &walPath, int pageSize);

/// A hot rollback journal of another database, written to `journalPath`: replayed, it would
/// write that database's pages into whatever file it is found beside.
void writeForeignJournal(const QString &journalPath);

/// Another program's SQLite file (rollback-journal mode) that carries the account-set marks
/// (application id and schema version) but none of its tables.
void writeMarkedForeignFile(const QString &path);

/// Replaces the password hash of user `userId` by `hash`.
void setPasswordHash(const QString &path, int userId, const QString &hash);

/// SHA-256 of the file, empty when it does not exist.
QByteArray fileHash(const QString &path);

} // namespace DamagedSets
} // namespace hemu::test
