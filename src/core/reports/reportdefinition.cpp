#include "core/reports/reportdefinition.h"

namespace hemu::reports {

Expression field(const QString &name)
{
    return [name](const Record &rec) { return rec.value(name); };
}

Expression sumOf(const QStringList &plus, const QStringList &minus)
{
    return [plus, minus](const Record &rec) {
        double total = 0;
        for (const QString &name : plus)
            total += rec.value(name).toDouble();
        for (const QString &name : minus)
            total -= rec.value(name).toDouble();
        return QVariant(total);
    };
}

} // namespace hemu::reports
