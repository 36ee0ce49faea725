#include "core/bills/billvalues.h"

#include "core/bills/singleprecision.h"
#include "core/dataset/valuecompare.h"
#include "core/format/datetext.h"

#include <cmath>
#include <limits>

namespace hemu {

bool BillValues::isNumber(const QVariant &value)
{
    // A truth value counts as a number where values are compared, never as a quantity.
    return !value.isNull() && value.typeId() != QMetaType::Bool && ValueCompare::isNumber(value);
}

bool BillValues::isId(const QVariant &value, int *id)
{
    if (!isNumber(value))
        return false;
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
        return false;
    if (id)
        *id = int(d);
    return true;
}

bool BillValues::fitsSingle(double value)
{
    return std::isfinite(toSingle(value));
}

QString BillValues::lineRefusal(const QVariant &qty, const QVariant &price, double billTotal)
{
    const double q = qty.isNull() ? 0 : qty.toDouble();
    const double p = price.isNull() ? 0 : price.toDouble();
    const double amount = toSingle(q) * toSingle(p);
    if (!fitsSingle(q) || !fitsSingle(p) || !fitsSingle(amount) || !fitsSingle(billTotal + amount))
        return tooLargeText();
    return {};
}

QDate BillValues::billDate(const QVariant &value)
{
    if (value.isNull() || (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QDate))
        return {};
    const QDate date = value.typeId() == QMetaType::QDate ? value.toDate() : parseStoredDate(value.toString());
    return date.isValid() && date.year() >= 1000 && date.year() <= 9999 ? date : QDate();
}

QDate BillValues::rangeDate(const QString &text)
{
    return text.size() == 10 ? billDate(text) : QDate();
}

QString BillValues::notANumberText(const QString &what)
{
    return what + QStringLiteral("必须是数值。");
}

QString BillValues::notAnIdText(const QString &what)
{
    return what + QStringLiteral("必须是整数代码。");
}

QString BillValues::tooLargeText()
{
    return QStringLiteral("数值超出范围，不能保存。");
}

QString BillValues::badDateText()
{
    return QStringLiteral("异常：日期错.");
}

QString BillValues::closedPeriodText(QDate last)
{
    return QStringLiteral("单据日期必须在上次结转日期之后。上次结转日期:") + shortDateText(last);
}

} // namespace hemu
