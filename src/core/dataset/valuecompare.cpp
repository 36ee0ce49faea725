#include "core/dataset/valuecompare.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>

namespace hemu::ValueCompare {

namespace {
bool isNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

QString asText(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default:
        return v.toString();
    }
}

int sign(double d)
{
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}
} // namespace

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool toNumber(const QVariant &value, double *out)
{
    if (isNull(value))
        return false;
    if (isNumber(value)) {
        *out = value.toDouble();
        return true;
    }
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        if (ok)
            *out = d;
        return ok;
    }
    return false;
}

int compare(const QVariant &a, const QVariant &b, Qt::CaseSensitivity cs)
{
    const bool an = isNull(a);
    const bool bn = isNull(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const bool aNum = isNumber(a);
    const bool bNum = isNumber(b);
    if (aNum && bNum) {
        // Two integers compare exactly; doubles cannot hold every 64-bit value.
        const int at = a.typeId(), bt = b.typeId();
        if ((at == QMetaType::LongLong || at == QMetaType::Int) && (bt == QMetaType::LongLong || bt == QMetaType::Int)) {
            const qint64 x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return sign(a.toDouble() - b.toDouble());
    }
    if (aNum || bNum) {
        double x = 0, y = 0;
        if (toNumber(a, &x) && toNumber(b, &y))
            return sign(x - y);
    }
    if (a.typeId() == QMetaType::QByteArray && b.typeId() == QMetaType::QByteArray) {
        const int c = a.toByteArray().compare(b.toByteArray());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const int c = QString::compare(asText(a), asText(b), cs);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString hashKey(const QVariant &value)
{
    if (isNull(value))
        return QStringLiteral("\x01");
    if (isNumber(value)) {
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            return QLatin1Char('n') + QString::number(value.toLongLong());
        const double d = value.toDouble();
        // An integral double meets the integer of the same value (3.0 and 3).
        if (d == double(qint64(d)) && d > -9.0e15 && d < 9.0e15)
            return QLatin1Char('n') + QString::number(qint64(d));
        return QLatin1Char('n') + QString::number(d, 'g', 17);
    }
    return QLatin1Char('s') + asText(value);
}

} // namespace hemu::ValueCompare
