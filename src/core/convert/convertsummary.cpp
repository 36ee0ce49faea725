#include "core/convert/convertsummary.h"

namespace hemu {

qint64 ConvertSummary::rowsOf(const QString &table) const
{
    for (const TableRows &t : tables) {
        if (t.table.compare(table, Qt::CaseInsensitive) == 0)
            return t.rows;
    }
    return -1;
}

QStringList ConvertSummary::lines() const
{
    QStringList out;
    qint64 total = 0;
    for (const TableRows &t : tables)
        total += t.rows;
    out << QStringLiteral("转换了 %1 张表，共 %2 行：").arg(tables.size()).arg(total);
    for (const TableRows &t : tables)
        out << QStringLiteral("  %1：%2 行").arg(t.table).arg(t.rows);
    out << QStringLiteral("图片：%1 张").arg(pictures);
    if (warnings.isEmpty()) {
        out << QStringLiteral("警告：无");
    } else {
        out << QStringLiteral("警告：%1 条").arg(warnings.size());
        for (const QString &w : warnings)
            out << QStringLiteral("  ") + w;
    }
    if (!checkError.isEmpty()) {
        out << QStringLiteral("帐目检查未能进行：%1").arg(checkError);
    } else if (differences.isEmpty()) {
        out << QStringLiteral("帐目检查：计数与单据相符。");
    } else {
        out << QStringLiteral("帐目检查：%1 处与单据不符（旧套帐中就是这样）：").arg(differences.size());
        for (const QString &d : differences)
            out << QStringLiteral("  ") + d;
    }
    return out;
}

} // namespace hemu
