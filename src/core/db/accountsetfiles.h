#pragma once

#include <QString>

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

/// Copies the open account set to `dest` through SQLite's backup API: a consistent
/// snapshot even while the set is open and being written. Replaces an existing `dest`.
bool copyOpen(const Database &source, const QString &dest, QString *error = nullptr);

/// Name of the scratch file compaction writes beside the account set.
QString compactScratchName();

/// Compacts and checks the account set at `path`: writes "tmp.xb" beside it, verifies
/// it, then moves it over the original. Fails (and leaves `path` byte-for-byte
/// unchanged) when "tmp.xb" is already there, the file is not an account set, another
/// program has it open, or the check finds damage.
bool compact(const QString &path, QString *error = nullptr);

} // namespace AccountSetFiles
} // namespace hemu
