#include "core/db/refusals.h"

#include <QRegularExpression>

namespace hemu {

namespace {
struct Refusal
{
    const char *pattern; // matched case-insensitively against SQLite's message
    const char *message;
};

// SQLite words its refusals "UNIQUE constraint failed: T.C[, T.C]",
// "NOT NULL constraint failed: T.C" and "CHECK constraint failed: name".
const Refusal refusals[] = {
    {R"(UNIQUE constraint failed: Goods\.GoodID\b)", "代码重复，请重新录入。"},
    {R"(UNIQUE constraint failed: Units\.UnitID\b)", "代码重复，请重新录入。"},
    {R"(UNIQUE constraint failed: psd\.UserID\b)", "数据库:禁止重复。"},
    {R"(UNIQUE constraint failed: (RuKuMx|DiaoBoMx|ChuKuMx)\.TabID, \1\.GoodID)",
     "数据库:禁止单据中重复出现相同品名型号。"},
    {R"(NOT NULL constraint failed: (RuKuDan|DiaoBoDan|ChuKuDan)\.BookID)", "数据库:要求原始凭证。"},
    {R"(CHECK constraint failed: BookID_required)", "数据库:要求原始凭证。"},
    {R"(UNIQUE constraint failed: Invoices\.invoice\b)", "数据库:发票号已经存在，本发票号重复，请重新录入。"},
};
} // namespace

QString refusalMessage(const QString &text)
{
    for (const Refusal &r : refusals) {
        const QRegularExpression re(QString::fromLatin1(r.pattern), QRegularExpression::CaseInsensitiveOption);
        if (re.match(text).hasMatch())
            return QString::fromUtf8(r.message);
    }
    return {};
}

bool isBusy(const QSqlError &error)
{
    // The primary result code, also when the extended one (SQLITE_BUSY_SNAPSHOT...) was kept.
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number) & 0xff;
    if (number && (code == 5 || code == 6)) // SQLITE_BUSY, SQLITE_LOCKED
        return true;
    return error.databaseText().startsWith(QLatin1String("database is locked"))
        || error.databaseText().startsWith(QLatin1String("database table is locked"));
}

QString busyText()
{
    return QStringLiteral("套帐正被其他用户使用，请稍后再试。");
}

QString refusalMessage(const QSqlError &error)
{
    if (isBusy(error))
        return busyText();
    return refusalMessage(error.databaseText());
}

} // namespace hemu
