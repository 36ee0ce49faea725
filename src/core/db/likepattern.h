#pragma once

#include <QString>

namespace hemu {

/// The LIKE pattern that finds `text` anywhere in a value, taken literally: a quote, `%`,
/// `_` or backslash typed by the user is searched for, never read as SQL or a wildcard.
/// Use it with `LIKE ? ESCAPE '\'` (likeEscapeClause()).
QString likeContains(const QString &text);

/// " ESCAPE '\'": the escape character likeContains() uses.
QString likeEscapeClause();

} // namespace hemu
