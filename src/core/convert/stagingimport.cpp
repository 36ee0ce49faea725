#include "core/convert/stagingimport.h"

#include "core/convert/convertsummary.h"
#include "core/db/passwordhash.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <initializer_list>
#include <sqlite3.h>

namespace hemu::StagingImport {

namespace {

struct TargetColumn
{
    QString name;
    QString type;      // declared type, upper case
    bool notNull = false;
    QString defaultValue;
};

struct SourceColumn
{
    QString name;
    QString jetType;
};

QString quoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

/// The user's plain password as stored by this program: hemu_password_hash(TEXT).
void passwordHashFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const QString hash = hashPassword(QString::fromUtf8(text ? text : ""));
    if (hash.isEmpty()) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const QByteArray utf8 = hash.toUtf8();
    sqlite3_result_text(context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

class Connection
{
public:
    explicit Connection(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            m_failed = true;
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    bool ok() const { return !m_failed; }
    QString errorText() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"); }

    bool exec(const QString &sql)
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    /// Each row of `sql` as its column texts (NULL as a null QString).
    bool rows(const QString &sql, QList<QStringList> *out, const QString &param = {})
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        const QByteArray bound = param.toUtf8();
        if (!param.isNull())
            sqlite3_bind_text(stmt, 1, bound.constData(), int(bound.size()), SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                row << (text ? QString::fromUtf8(text) : QString());
            }
            out->append(row);
        }
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE;
    }

    qint64 scalar(const QString &sql)
    {
        QList<QStringList> r;
        return rows(sql, &r) && !r.isEmpty() ? r.first().value(0).toLongLong() : 0;
    }

private:
    sqlite3 *m_db = nullptr;
    bool m_failed = false;
};

/// A bill's number, which the program requires (not empty, not blank).
bool isBillNumber(const TargetColumn &column)
{
    return column.notNull && column.name.compare(QLatin1String("BookID"), Qt::CaseInsensitive) == 0;
}

QString hasBillNumber(const QString &column)
{
    return QStringLiteral("length(trim(coalesce(%1, ''))) > 0").arg(column);
}

/// What a bill the old file kept without a number gets instead.
QString missingBillNumber()
{
    return QStringLiteral("无单号");
}

QString quotedText(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

/// The expression that turns the old column `source` into the value of `target`.
QString valueExpression(const QString &table, const TargetColumn &target, const SourceColumn &source)
{
    const QString c = quoted(source.name);
    QString e = c;
    if (source.jetType == QLatin1String("DATETIME")) {
        // The reader writes 'yyyy-MM-dd HH:mm:ss'; the program stores a date without a time of
        // day as 'yyyy-MM-dd'.
        e = QStringLiteral("CASE WHEN substr(%1, 12) = '00:00:00' THEN substr(%1, 1, 10) ELSE %1 END").arg(c);
    } else if (table.compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0
               && target.name.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0) {
        e = QStringLiteral("hemu_password_hash(coalesce(%1, ''))").arg(c);
    } else if ((source.jetType == QLatin1String("MONEY") || source.jetType == QLatin1String("NUMERIC"))
               && (target.type == QLatin1String("REAL") || target.type == QLatin1String("INTEGER"))) {
        e = QStringLiteral("CAST(%1 AS %2)").arg(c, target.type);
    }
    if (target.notNull && !target.defaultValue.isEmpty())
        e = QStringLiteral("coalesce(%1, %2)").arg(e, target.defaultValue);
    else if (isBillNumber(target))
        e = QStringLiteral("CASE WHEN %1 THEN %2 ELSE %3 END").arg(hasBillNumber(c), c, quotedText(missingBillNumber()));
    return e;
}

/// The columns that refer to each numbered table's key. The old format never handed a number
/// out twice; a new row under the number of a deleted one would take over whatever still
/// refers to it (the lines of a deleted bill, the stock rows of a removed goods item).
struct KeyReferences
{
    const char *table;
    const char *key;
    std::initializer_list<const char *> references; // "Table.Column"
};

const KeyReferences keyReferences[] = {
    {"RuKuDan", "TabID", {"RuKuMx.TabID", "Invoices.TabID", "InvoiceMx.TabID"}},
    {"DiaoBoDan", "TabID", {"DiaoBoMx.TabID"}},
    {"ChuKuDan", "TabID", {"ChuKuMx.TabID"}},
    {"Goods", "GoodID",
     {"RuKuMx.GoodID", "DiaoBoMx.GoodID", "ChuKuMx.GoodID", "GoodsInCusts.GoodID", "GoodsAvgPrice.GoodID", "InvoiceMx.GoodID"}},
    {"Customers", "CustID", {"DiaoBoDan.CustID", "ChuKuDan.CustID", "GoodsInCusts.CustID"}},
    {"Vendors", "VendorID", {"RuKuDan.CustID", "Invoices.vendorid", "Goods.VendorID"}},
    {"Catalogs", "CataID", {"Goods.CataID"}},
    {"Areas", "AreaID", {"Customers.AreaID", "Vendors.AreaID"}},
    {"Departments", "CustID", {"Employees.DeptID", "Goods.EnterDeptID"}},
    {"Employees", "EmpID", {"psd.UserID", "RuKuDan.PersonID", "DiaoBoDan.PersonID", "ChuKuDan.PersonID"}},
};

class Import
{
public:
    Import(Connection &db, ConvertSummary *summary)
        : m_db(db)
        , m_summary(summary)
    {
    }

    bool run(QString *error)
    {
        QList<QStringList> tables;
        QList<QStringList> targets;
        if (!m_db.rows(QStringLiteral("SELECT name FROM old.jet_tables ORDER BY rowid"), &tables)
            || !m_db.rows(QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"),
                          &targets)) {
            *error = QStringLiteral("转换用的临时文件无法读取：%1").arg(m_db.errorText());
            return false;
        }
        QHash<QString, QString> targetByName;
        for (const QStringList &t : targets)
            targetByName.insert(t.first().toLower(), t.first());
        QHash<QString, bool> converted;
        for (const QStringList &t : tables) {
            const QString source = t.first();
            const QString target = targetByName.value(source.toLower());
            if (target.isEmpty()) {
                m_summary->warnings << QStringLiteral("%1：新格式中没有这张表，它的 %2 行没有转换。")
                                           .arg(source)
                                           .arg(m_db.scalar(QStringLiteral("SELECT count(*) FROM old.%1").arg(quoted(source))));
                continue;
            }
            if (converted.contains(target)) {
                m_summary->warnings << QStringLiteral("%1：旧套帐中有两张同名的表，只转换了第一张。").arg(source);
                continue;
            }
            if (!copyTable(source, target, error))
                return false;
            converted.insert(target, true);
        }
        for (const QStringList &t : targets) {
            if (!converted.contains(t.first()))
                m_summary->warnings << QStringLiteral("%1：旧套帐中没有这张表，新套帐中是它的初始内容。").arg(t.first());
        }
        if (!keepReferencedNumbers(error))
            return false;
        QList<QStringList> warnings;
        m_db.rows(QStringLiteral("SELECT table_name, message FROM old.jet_warnings ORDER BY rowid"), &warnings);
        for (const QStringList &w : warnings)
            m_summary->warnings << QStringLiteral("%1：%2").arg(w.value(0), w.value(1));
        return true;
    }

private:
    /// Moves each table's AUTOINCREMENT sequence past the largest number still referred to.
    bool keepReferencedNumbers(QString *error)
    {
        for (const KeyReferences &k : keyReferences) {
            QStringList parts;
            for (const char *reference : k.references) {
                const QString text = QString::fromLatin1(reference);
                const qsizetype dot = text.indexOf(QLatin1Char('.'));
                parts << QStringLiteral("SELECT max(CAST(%2 AS INTEGER)) AS v FROM main.%1 WHERE typeof(%2) IN ('integer', 'real')")
                             .arg(quoted(text.left(dot)), quoted(text.mid(dot + 1)));
            }
            const qint64 referred = m_db.scalar(QStringLiteral("SELECT coalesce(max(v), 0) FROM (%1)").arg(parts.join(QStringLiteral(" UNION ALL "))));
            const QString table = QString::fromLatin1(k.table);
            const qint64 next = m_db.scalar(QStringLiteral("SELECT max(coalesce((SELECT seq FROM main.sqlite_sequence WHERE name = '%1'), 0), "
                                                           "coalesce((SELECT max(%2) FROM main.%3), 0))")
                                                .arg(table, quoted(QString::fromLatin1(k.key)), quoted(table)));
            if (referred <= next)
                continue;
            const bool moved = m_db.exec(QStringLiteral("DELETE FROM main.sqlite_sequence WHERE name = '%1'; "
                                                        "INSERT INTO main.sqlite_sequence(name, seq) VALUES ('%1', %2)")
                                             .arg(table)
                                             .arg(referred));
            if (!moved) {
                *error = QStringLiteral("%1：无法设置编号：%2").arg(table, m_db.errorText());
                return false;
            }
            m_summary->warnings << QStringLiteral("%1：旧套帐中仍有记录引用已删除的编号（最大 %2），新记录的编号从 %3 开始。")
                                       .arg(table)
                                       .arg(referred)
                                       .arg(referred + 1);
        }
        return true;
    }

    bool copyTable(const QString &source, const QString &target, QString *error)
    {
        QList<QStringList> sourceRows, targetRows;
        m_db.rows(QStringLiteral("SELECT name, jet_type FROM old.jet_columns WHERE table_name = ?1 ORDER BY ordinal"), &sourceRows,
                  source);
        m_db.rows(QStringLiteral("SELECT name, upper(type), \"notnull\", dflt_value FROM pragma_table_info(?1, 'main')"), &targetRows,
                  target);
        QHash<QString, SourceColumn> sources;
        for (const QStringList &r : sourceRows)
            sources.insert(r.value(0).toLower(), SourceColumn{r.value(0), r.value(1)});
        QStringList columns, values, pictureColumns;
        for (const QStringList &r : targetRows) {
            const TargetColumn column{r.value(0), r.value(1), r.value(2) == QLatin1String("1"), r.value(3)};
            const auto found = sources.constFind(column.name.toLower());
            if (found == sources.cend())
                continue;
            columns << quoted(column.name);
            values << valueExpression(target, column, *found);
            if (column.type == QLatin1String("BLOB"))
                pictureColumns << quoted(found->name);
            if (isBillNumber(column)) {
                const qint64 blank = m_db.scalar(QStringLiteral("SELECT count(*) FROM old.%1 WHERE NOT %2")
                                                     .arg(quoted(source), hasBillNumber(quoted(found->name))));
                if (blank > 0)
                    m_summary->warnings << QStringLiteral("%1：%2 张单据没有单号，转换后单号为“%3”。")
                                               .arg(source)
                                               .arg(blank)
                                               .arg(missingBillNumber());
            }
            sources.remove(column.name.toLower());
        }
        for (const SourceColumn &left : std::as_const(sources))
            m_summary->warnings << QStringLiteral("%1.%2：新格式中没有这一列，没有转换。").arg(source, left.name);

        if (!m_db.exec(QStringLiteral("DELETE FROM main.%1").arg(quoted(target)))) {
            *error = QStringLiteral("%1：无法清除初始内容：%2").arg(target, m_db.errorText());
            return false;
        }
        qint64 rows = 0;
        if (!columns.isEmpty()) {
            const QString insert = QStringLiteral("INSERT INTO main.%1(%2) SELECT %3 FROM old.%4 ORDER BY rowid")
                                       .arg(quoted(target), columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")),
                                            quoted(source));
            if (!m_db.exec(insert)) {
                *error = QStringLiteral("旧套帐的表 %1 无法转换：%2").arg(source, m_db.errorText());
                return false;
            }
            rows = sqlite3_changes64(m_db.handle());
        }
        for (const QString &picture : std::as_const(pictureColumns))
            m_summary->pictures += m_db.scalar(
                QStringLiteral("SELECT count(*) FROM old.%1 WHERE length(%2) > 0").arg(quoted(source), picture));
        m_summary->tables.append({target, rows});
        return true;
    }

    Connection &m_db;
    ConvertSummary *m_summary;
};

} // namespace

bool run(const QString &setPath, const QString &stagingPath, ConvertSummary *summary, QString *error)
{
    Connection db(setPath);
    if (!db.ok()) {
        *error = QStringLiteral("无法打开新套帐：%1").arg(db.errorText());
        return false;
    }
    sqlite3_create_function_v2(db.handle(), "hemu_password_hash", 1, SQLITE_UTF8, nullptr, passwordHashFunction, nullptr,
                               nullptr, nullptr);
    // A scratch file: whatever goes wrong, it is thrown away, so it is synced only once, when
    // it is moved into place.
    sqlite3_stmt *attach = nullptr;
    const QByteArray staging = QFile::encodeName(stagingPath);
    const bool attached = sqlite3_prepare_v2(db.handle(), "ATTACH DATABASE ?1 AS old", -1, &attach, nullptr) == SQLITE_OK
        && sqlite3_bind_text(attach, 1, staging.constData(), int(staging.size()), SQLITE_STATIC) == SQLITE_OK
        && sqlite3_step(attach) == SQLITE_DONE;
    sqlite3_finalize(attach);
    if (!attached || !db.exec(QStringLiteral("PRAGMA main.synchronous=OFF; PRAGMA main.journal_mode=MEMORY; "
                                             "PRAGMA main.cache_size=-65536; BEGIN"))) {
        *error = QStringLiteral("无法读取转换用的临时文件：%1").arg(db.errorText());
        return false;
    }
    ConvertSummary found;
    Import import(db, &found);
    if (!import.run(error) || !db.exec(QStringLiteral("COMMIT"))) {
        if (error->isEmpty())
            *error = QStringLiteral("无法写入新套帐：%1").arg(db.errorText());
        db.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    db.exec(QStringLiteral("DETACH DATABASE old"));
    summary->tables += found.tables;
    summary->pictures += found.pictures;
    summary->warnings += found.warnings;
    return true;
}

} // namespace hemu::StagingImport
