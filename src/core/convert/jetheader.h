#pragma once

#include <QString>

namespace hemu::JetHeader {

/// The file at `path` begins as a Jet 4 database does (an account set kept in the old format).
/// Judged from its first bytes alone; the file is only read.
bool isJet4(const QString &path);

} // namespace hemu::JetHeader
