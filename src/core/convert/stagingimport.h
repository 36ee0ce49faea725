#pragma once

#include <QString>

namespace hemu {

struct ConvertSummary;

/**
 * Copies the tables of a staging file (what hemu-jetread read from an old account set) into a
 * new account set, in one transaction: each old table replaces the new set's table of the same
 * name (names compared without case, as the old format did), column by column. Keys are kept,
 * so the AUTOINCREMENT sequences end past them; dates become the program's text form, Yes/No
 * 0 and 1, pictures BLOBs, and the users' plain passwords Argon2id hashes. A counter the old
 * file left empty becomes 0. Old tables and columns the program does not have are named in the
 * warnings, together with the reader's own warnings.
 */
namespace StagingImport {

/// Fills the account set at `setPath` (a fresh copy of the template, not open elsewhere) from
/// the staging file at `stagingPath`. Adds rows, pictures and warnings to `summary`.
bool run(const QString &setPath, const QString &stagingPath, ConvertSummary *summary, QString *error);

} // namespace StagingImport
} // namespace hemu
