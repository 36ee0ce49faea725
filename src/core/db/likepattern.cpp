#include "core/db/likepattern.h"

namespace hemu {

QString likeContains(const QString &text)
{
    QString literal = text;
    literal.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    literal.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    literal.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + literal + QLatin1Char('%');
}

QString likeEscapeClause()
{
    return QStringLiteral(" ESCAPE '\\'");
}

} // namespace hemu
