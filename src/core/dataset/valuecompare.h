#pragma once

#include <QString>
#include <QVariant>

namespace hemu {

/**
 * How dataset values compare, shared by filters, sorts, locate and lookups: NULL before
 * everything, numbers numerically (a text that reads as a number counts as that number
 * against a number), texts by Unicode code points, dates as their ISO texts.
 */
namespace ValueCompare {

/// True for the numeric QVariant types (and bool, which counts as 0/1).
bool isNumber(const QVariant &value);
/// The value as a number when it is one or a text that reads as one.
bool toNumber(const QVariant &value, double *out);
/// <0, 0, >0. NULL equals NULL and sorts first.
int compare(const QVariant &a, const QVariant &b, Qt::CaseSensitivity cs = Qt::CaseSensitive);
inline bool equal(const QVariant &a, const QVariant &b, Qt::CaseSensitivity cs = Qt::CaseSensitive)
{
    return compare(a, b, cs) == 0;
}
/// A text key under which equal values (3, 3.0) meet, for hash indexes of lookups.
QString hashKey(const QVariant &value);

} // namespace ValueCompare

} // namespace hemu
