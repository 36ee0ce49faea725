#include "core/db/database.h"

#include "core/db/accountsetformat.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <sqlite3.h>
#include <utility>

namespace hemu {

namespace {
QAtomicInt connectionCounter;

QString probeText(ProbeResult r)
{
    switch (r) {
    case ProbeResult::Ok: return {};
    case ProbeResult::Missing: return QStringLiteral("文件不存在。");
    case ProbeResult::Unreadable: return QStringLiteral("文件无法读取。");
    case ProbeResult::NotSqlite: return QStringLiteral("不是套帐文件。");
    case ProbeResult::ForeignSqlite: return QStringLiteral("不是本系统的套帐文件。");
    case ProbeResult::NewerSchema: return QStringLiteral("套帐文件版本高于本程序。");
    case ProbeResult::Truncated: return QStringLiteral("套帐文件不完整。");
    }
    return {};
}
} // namespace

Database::Database(const QString &name)
    : m_name(name.isEmpty() ? QStringLiteral("hemu-%1").arg(connectionCounter.fetchAndAddRelaxed(1)) : name)
{
}

Database::~Database()
{
    close();
}

bool Database::open(const QString &path, QString *error)
{
    close();
    const ProbeResult probe = probeAccountSet(path);
    if (probe != ProbeResult::Ok) {
        if (error)
            *error = probeText(probe);
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            return false;
        }
    }
    m_path = path;
    // Read the schema before changing anything: a damaged file fails here untouched.
    QSqlQuery probeQuery(sql());
    bool ok = probeQuery.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))
        && probeQuery.next();
    probeQuery.finish();
    const char *pragmas[] = {
        "PRAGMA journal_mode=WAL",
        "PRAGMA synchronous=FULL",
        "PRAGMA foreign_keys=OFF",
    };
    for (const char *p : pragmas) {
        if (!ok)
            break;
        QSqlQuery q(sql());
        ok = q.exec(QString::fromLatin1(p));
    }
    if (!ok) {
        if (error)
            *error = probeQuery.lastError().isValid() ? probeQuery.lastError().text()
                                                      : QStringLiteral("不是套帐文件。");
        close();
        return false;
    }
    return true;
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    finalizeStatements(); // SQLite does not close a connection with a live statement
    m_handle = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_path.clear();
    m_depth = 0;
    m_rollbackHandlers.clear();
    m_afterTransaction.clear();
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Database::sql() const
{
    return QSqlDatabase::database(m_name, false);
}

sqlite3 *Database::handle() const
{
    // Asked for by every statement of a posted line: found once per open, not through the
    // connection registry each time.
    if (m_handle)
        return m_handle;
    if (!isOpen())
        return nullptr;
    QVariant v = sql().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    m_handle = *static_cast<sqlite3 **>(v.data());
    return m_handle;
}

sqlite3_stmt *Database::cachedStatement(const QByteArray &sql)
{
    if (sqlite3_stmt *cached = m_statements.value(sql, nullptr))
        return cached;
    sqlite3 *h = handle();
    if (!h)
        return nullptr;
    // Statements built at run time must not pile up; none is ever dropped before the close,
    // since a caller may still hold one.
    if (m_statements.size() >= 512)
        return nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v3(h, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    m_statements.insert(sql, stmt);
    return stmt;
}

void Database::finalizeStatements()
{
    for (sqlite3_stmt *stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
    m_statements.clear();
}

QSqlQuery Database::query(const QString &text, const QVariantList &params) const
{
    QSqlQuery q(sql());
    q.setForwardOnly(true);
    if (!q.prepare(text))
        return q;
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, params.at(i));
    return q;
}

bool Database::exec(const QString &text, const QVariantList &params, QSqlError *error) const
{
    QSqlQuery q = query(text, params);
    if (q.lastError().isValid() || !q.exec()) {
        if (error)
            *error = q.lastError();
        return false;
    }
    return true;
}

QVariant Database::scalar(const QString &text, const QVariantList &params) const
{
    QSqlQuery q = query(text, params);
    if (q.lastError().isValid() || !q.exec() || !q.next())
        return {};
    return q.value(0);
}

bool Database::setBusyTimeout(int milliseconds)
{
    sqlite3 *h = handle();
    return h && sqlite3_busy_timeout(h, milliseconds) == SQLITE_OK;
}

bool Database::control(const QString &text)
{
    // Every user action begins and ends a transaction: these few texts stay prepared.
    sqlite3_stmt *stmt = cachedStatement(text.toUtf8());
    if (!stmt || sqlite3_stmt_busy(stmt)) {
        QSqlError error;
        const bool ok = exec(text, {}, &error);
        if (!ok)
            m_lastError = error;
        return ok;
    }
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE)
        m_lastError = QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(handle())), QSqlError::TransactionError,
                                QString::number(rc));
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE;
}

bool Database::begin()
{
    const QString text = m_depth == 0 ? QStringLiteral("BEGIN IMMEDIATE")
                                      : QStringLiteral("SAVEPOINT sp%1").arg(m_depth);
    if (!control(text))
        return false;
    ++m_depth;
    m_rollbackHandlers.append(QList<std::function<void()>>());
    return true;
}

bool Database::commit()
{
    if (m_depth <= 0)
        return false;
    const QString text = m_depth == 1 ? QStringLiteral("COMMIT")
                                      : QStringLiteral("RELEASE sp%1").arg(m_depth - 1);
    if (!control(text))
        return false;
    --m_depth;
    // A released savepoint's changes now belong to the enclosing transaction.
    QList<std::function<void()>> handlers = m_rollbackHandlers.takeLast();
    if (!m_rollbackHandlers.isEmpty())
        m_rollbackHandlers.last().append(handlers);
    if (m_depth == 0)
        transactionEnded();
    return true;
}

void Database::rollback()
{
    if (m_depth <= 0)
        return;
    if (m_depth == 1) {
        control(QStringLiteral("ROLLBACK"));
    } else {
        control(QStringLiteral("ROLLBACK TO sp%1").arg(m_depth - 1));
        control(QStringLiteral("RELEASE sp%1").arg(m_depth - 1));
    }
    --m_depth;
    const QList<std::function<void()>> handlers = m_rollbackHandlers.takeLast();
    for (auto it = handlers.crbegin(); it != handlers.crend(); ++it)
        (*it)();
    if (m_depth == 0)
        transactionEnded();
}

void Database::afterTransaction(std::function<void()> work)
{
    if (m_depth == 0)
        work();
    else
        m_afterTransaction.append(std::move(work));
}

void Database::transactionEnded()
{
    // Taken first: the work may open a transaction of its own.
    const QList<std::function<void()>> pending = std::exchange(m_afterTransaction, {});
    for (const auto &work : pending)
        work();
}

void Database::onRollback(std::function<void()> undo)
{
    if (m_depth > 0 && !m_rollbackHandlers.isEmpty())
        m_rollbackHandlers.last().append(std::move(undo));
}

Transaction::Transaction(Database &db)
    : m_db(db)
{
    m_active = m_db.begin();
}

Transaction::~Transaction()
{
    if (m_active)
        m_db.rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    if (!m_db.commit()) {
        m_db.rollback();
        m_active = false;
        return false;
    }
    m_active = false;
    return true;
}

void Transaction::rollback()
{
    if (m_active)
        m_db.rollback();
    m_active = false;
}

} // namespace hemu
