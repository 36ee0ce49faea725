#include "core/db/sqlstatement.h"

#include "core/db/database.h"

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <sqlite3.h>

namespace hemu {

namespace {
// Kept statements handed to a SqlStatement that still lives: a second one for the same text
// (a rule that runs a statement while another reads with it) prepares its own.
QSet<sqlite3_stmt *> &leasedStatements()
{
    static QSet<sqlite3_stmt *> leased;
    return leased;
}
} // namespace

SqlStatement::SqlStatement(sqlite3 *db, const QString &sql)
    : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    m_rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
}

SqlStatement::SqlStatement(Database &database, const QString &sql)
    : m_db(database.handle())
{
    // A row re-read after every posted line should not be parsed again each time.
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *kept = database.cachedStatement(utf8);
    if (kept && !sqlite3_stmt_busy(kept) && !leasedStatements().contains(kept)) {
        m_stmt = kept;
        m_kept = true;
        leasedStatements().insert(kept);
    } else if (m_db) {
        m_rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    } else {
        m_rc = SQLITE_MISUSE;
    }
}

SqlStatement::~SqlStatement()
{
    if (m_kept) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        leasedStatements().remove(m_stmt);
    } else {
        sqlite3_finalize(m_stmt);
    }
}

bool SqlStatement::ok() const
{
    return m_rc == SQLITE_OK && m_stmt;
}

int SqlStatement::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

bool SqlStatement::bind(int index, const QVariant &v)
{
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(m_stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(m_stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            rc = bindText(index, v.toDate().toString(Qt::ISODate));
            break;
        case QMetaType::QDateTime:
            rc = bindText(index, v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            break;
        default:
            rc = bindText(index, v.toString());
            break;
        }
    }
    if (rc != SQLITE_OK)
        m_rc = rc;
    return rc == SQLITE_OK;
}

bool SqlStatement::bindAll(const QVariantList &params)
{
    bool ok = true;
    for (int i = 0; i < params.size(); ++i)
        ok = bind(i + 1, params[i]) && ok;
    return ok;
}

int SqlStatement::step()
{
    m_rc = sqlite3_step(m_stmt);
    return m_rc;
}

bool SqlStatement::run()
{
    while (step() == SQLITE_ROW) {
    }
    return m_rc == SQLITE_DONE;
}

QVariant SqlStatement::column(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, i));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i)),
                                          sqlite3_column_bytes(m_stmt, i)));
    case SQLITE_BLOB: {
        const char *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, i));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, i)));
    }
    default:
        return QVariant();
    }
}

QSqlError SqlStatement::error() const
{
    const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
    return QSqlError(QString(), text, QSqlError::StatementError, QString::number(m_rc));
}

int SqlStatement::bindText(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace hemu
