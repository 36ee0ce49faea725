#pragma once

#include <QString>
#include <QStringList>

namespace hemu {

class Database;

/**
 * The number display format the user puts together: decimals, and texts in front of positive
 * and negative numbers, made into one three-section pattern ("0.00;'-'0.00;#.##") and stored
 * in the account set's DisplayStyle row.
 */
namespace DisplayFormatChoice {

/// "0位小数" ... "4位小数": the decimals entries, their index is the number of decimals.
QStringList decimalsTexts();

/// The pattern for `decimals` (0..4) with `positiveText` and `negativeText` (trimmed; no
/// negative text gives the sign "-") in front. Empty, with `error` saying why, when no
/// decimals entry is chosen (decimals < 0), a text holds a single quote (it would end the
/// quoted text) or the pattern is longer than the stored column takes.
QString build(int decimals, const QString &positiveText, const QString &negativeText, QString *error);

/// Characters DisplayStyle.DataFormat holds.
inline constexpr int MaxFormatLength = 50;

/// Writes `format` into the first DisplayStyle row, adding the row when there is none, in one
/// transaction: two programs storing at once leave one row, holding the later format.
bool store(Database &db, const QString &format, QString *error);

QString noDecimalsText(); // "请先指定小数位数。"
QString quoteText();      // "正数前和负数前的文字中不能有单引号。"
QString tooLongText();    // "数据显示格式不能超过50个字符。"

} // namespace DisplayFormatChoice

} // namespace hemu
