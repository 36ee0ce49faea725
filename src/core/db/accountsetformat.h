#pragma once

#include <QString>
#include <cstdint>

namespace hemu {

/// Marks that identify a SQLite file as a hemu account set.
namespace AccountSetFormat {
/// PRAGMA application_id of every account set ("HEMU").
inline constexpr std::int32_t ApplicationId = 0x48454D55;
/// PRAGMA user_version: the schema version this program reads and writes.
inline constexpr int SchemaVersion = 1;
/// Default extension, with the dot.
inline const QString Extension = QStringLiteral(".xb");
/// Filter of the open and save dialogs.
inline const QString DialogFilter = QStringLiteral("商务文件(*.xb);;所有文件(*.*)");
}

/** Why a file cannot be opened as an account set, judged from its bytes alone. */
enum class ProbeResult {
    Ok,
    Missing,        // no such file
    Unreadable,     // exists but cannot be read
    NotSqlite,      // header is not a SQLite database
    ForeignSqlite,  // a SQLite database of some other program
    NewerSchema,    // an account set written by a newer program
    Truncated,      // shorter than its own header says (and no log beside it holds the rest)
};

/**
 * Looks at the first 100 bytes of a file (the SQLite header) without opening it through SQLite,
 * so that a file which is not an account set is never touched, not even by a journal-mode change.
 */
ProbeResult probeAccountSet(const QString &path);

/**
 * The name of a file left beside the account set at `path` that SQLite would apply to the set
 * as it opens it although it does not belong to it: a "-wal" whose pages are not an account
 * set's (or of another page size), or a "-journal" beside a set in write-ahead-log mode.
 * Empty when there is none. Judged from the files' bytes, before SQLite touches anything.
 */
QString foreignLeftover(const QString &path);

} // namespace hemu
