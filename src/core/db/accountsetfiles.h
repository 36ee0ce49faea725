#pragma once

#include <QString>
#include <functional>

namespace hemu {

class Database;

/**
 * File-level operations on account sets. Every operation writes into a temporary
 * file beside its target and moves it into place in one rename, so a failure at any
 * point leaves the target as it was.
 */
namespace AccountSetFiles {

/// Writes a blank account set (the template built from schema.sql) to `dest`,
/// replacing an existing file.
bool createBlank(const QString &dest, QString *error = nullptr);

/// Writes a new account set at `dest`, which must not exist: the blank template is copied to a
/// scratch file beside it, `fill` writes into the scratch file (and closes it again), then the
/// file is checked (SQLite's full structure check and the account-set marks) and moved to `dest`
/// in one rename that never replaces a file: one that appeared at `dest` meanwhile makes it fail.
/// On any failure nothing is left behind, neither at `dest` nor beside it.
using Filler = std::function<bool(const QString &scratch, QString *error)>;
bool createNew(const QString &dest, const Filler &fill, QString *error = nullptr);

/// Copies the open account set to `dest` through SQLite's backup API: a consistent
/// snapshot even while the set is open and being written. Replaces an existing `dest`.
bool copyOpen(const Database &source, const QString &dest, QString *error = nullptr);

/// The file at `path` carries the account-set marks and passes SQLite's structure check:
/// the full one (PRAGMA integrity_check, which also compares every index with its table) or
/// the quick one (PRAGMA quick_check, pages and records only).
bool isSoundAccountSet(const QString &path, bool full = true);

/// Puts a copy of the account set `from` in place of `target`: copied beside `target`,
/// checked (SQLite's full structure check and the account-set marks), then moved over it in
/// one rename. `target` is untouched on any failure. Nothing may have `target` open.
bool installVerifiedCopy(const QString &from, const QString &target, QString *error = nullptr);

/// Name of the scratch file compaction writes beside the account set.
QString compactScratchName();

/// Compacts and checks the account set at `path`: writes "tmp.xb" beside it, verifies
/// it, then moves it over the original. Fails (and leaves `path` byte-for-byte
/// unchanged) when "tmp.xb" is already there, the file is not an account set, another
/// program has it open, or the check finds damage.
bool compact(const QString &path, QString *error = nullptr);

} // namespace AccountSetFiles
} // namespace hemu
