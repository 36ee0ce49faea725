#include "core/admin/displayformatchoice.h"

#include "core/db/database.h"
#include "core/db/refusals.h"

namespace hemu::DisplayFormatChoice {

namespace {

constexpr int MaxDecimals = 4;

QString why(const QSqlError &error)
{
    return isBusy(error) ? busyText() : error.text();
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

QString noDecimalsText() { return QStringLiteral("请先指定小数位数。"); }
QString quoteText() { return QStringLiteral("正数前和负数前的文字中不能有单引号。"); }
QString tooLongText() { return QStringLiteral("数据显示格式不能超过%1个字符。").arg(MaxFormatLength); }

QStringList decimalsTexts()
{
    QStringList texts;
    for (int d = 0; d <= MaxDecimals; ++d)
        texts << QStringLiteral("%1位小数").arg(d);
    return texts;
}

QString build(int decimals, const QString &positiveText, const QString &negativeText, QString *error)
{
    // Without decimals the pattern would be the quoted texts alone and show every number as
    // that text.
    if (decimals < 0 || decimals > MaxDecimals) {
        *error = noDecimalsText();
        return {};
    }
    const QString positive = positiveText.trimmed();
    const QString negative = negativeText.trimmed();
    if (positive.contains(QLatin1Char('\'')) || negative.contains(QLatin1Char('\''))) {
        *error = quoteText();
        return {};
    }
    const QString digits = decimals == 0 ? QStringLiteral("#") : QStringLiteral("0.") + QString(decimals, QLatin1Char('0'));
    const QString zero = decimals == 0 ? QStringLiteral("#") : QStringLiteral("#.") + QString(decimals, QLatin1Char('#'));
    const QString format = (positive.isEmpty() ? QString() : quoted(positive)) + digits + QLatin1Char(';')
        + quoted(negative.isEmpty() ? QStringLiteral("-") : negative) + digits + QLatin1Char(';') + zero;
    if (format.size() > MaxFormatLength) {
        *error = tooLongText();
        return {};
    }
    return format;
}

bool store(Database &db, const QString &format, QString *error)
{
    Transaction tx(db);
    if (!tx.isActive()) {
        *error = why(db.lastError());
        return false;
    }
    QSqlError e;
    const QVariant first = db.scalar(QStringLiteral("SELECT min(rowid) FROM DisplayStyle"));
    const bool ok = first.isNull()
        ? db.exec(QStringLiteral("INSERT INTO DisplayStyle (DataFormat) VALUES (?)"), {format}, &e)
        : db.exec(QStringLiteral("UPDATE DisplayStyle SET DataFormat = ? WHERE rowid = ?"), {format, first}, &e);
    if (!ok) {
        *error = why(e);
        return false;
    }
    if (!tx.commit()) {
        *error = why(db.lastError());
        return false;
    }
    return true;
}

} // namespace hemu::DisplayFormatChoice
