#include "core/db/database.h"

#include "core/db/accountsetformat.h"
#include "core/db/refusals.h"

#include <QAtomicInt>
#include <QFileInfo>
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

// Tables every account set has and the login reads: a file with our marks but without them
// is some other file.
const char *const requiredTables[] = {"psd", "Employees", "UserRoles", "UserInfo", "Goods", "GoodsInCusts"};

enum class SchemaVerdict { Ours, Foreign, Unreadable };

SchemaVerdict readSchema(sqlite3 *handle)
{
    if (!handle)
        return SchemaVerdict::Unreadable;
    QByteArray names;
    for (const char *t : requiredTables)
        names += (names.isEmpty() ? "'" : ",'") + QByteArray(t) + "'";
    const QByteArray sql = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (" + names + ")";
    sqlite3_stmt *stmt = nullptr;
    SchemaVerdict verdict = SchemaVerdict::Unreadable;
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        verdict = sqlite3_column_int(stmt, 0) == int(std::size(requiredTables)) ? SchemaVerdict::Ours : SchemaVerdict::Foreign;
    sqlite3_finalize(stmt);
    return verdict;
}

QString unusableShmText(const QString &path)
{
    return QStringLiteral("无法使用套帐文件旁的 %1。").arg(QFileInfo(path).fileName() + QStringLiteral("-shm"));
}

/// Why SQLite could not open or first read the set, in the user's words.
QString openFailureText(const QString &path, sqlite3 *handle, const QString &fallback = {})
{
    if (!handle)
        return fallback.trimmed().isEmpty() ? QStringLiteral("无法打开套帐文件。")
                                            : QStringLiteral("无法打开套帐文件：%1").arg(fallback.trimmed());
    const int code = sqlite3_extended_errcode(handle);
    switch (code) {
    case SQLITE_IOERR_SHMOPEN:
    case SQLITE_IOERR_SHMSIZE:
    case SQLITE_IOERR_SHMLOCK:
    case SQLITE_IOERR_SHMMAP:
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_CANTLOCK:
    case SQLITE_READONLY_RECOVERY:
        return unusableShmText(path);
    default:
        break;
    }
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("套帐文件已损坏。");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return busyText();
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开套帐文件（没有写入权限或文件夹不可用）。");
    default:
        break;
    }
    const QString detail = QString::fromUtf8(sqlite3_errmsg(handle));
    return detail.trimmed().isEmpty() ? QStringLiteral("无法打开套帐文件。") : QStringLiteral("无法打开套帐文件：%1").arg(detail);
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
    auto refuse = [&](const QString &text) {
        if (error)
            *error = text;
        close();
        return false;
    };
    const ProbeResult probe = probeAccountSet(path);
    if (probe != ProbeResult::Ok)
        return refuse(probeText(probe));
    // SQLite replays a log or journal it finds beside the file as it opens it: judge them first.
    const QString leftover = foreignLeftover(path);
    if (!leftover.isEmpty())
        return refuse(QStringLiteral("套帐文件旁的 %1 不属于本套帐，请先将它移走。").arg(leftover));
    // SQLite opens a set whose shared-memory file it cannot use for reading only, and every
    // write then fails without a reason the user could act on.
    const QFileInfo shm(path + QStringLiteral("-shm"));
    if (shm.exists() && !(shm.isFile() && shm.isReadable() && shm.isWritable()))
        return refuse(unusableShmText(path));
    bool connected = false;
    QString connectError;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        connected = db.open();
        if (!connected)
            connectError = db.lastError().text();
    }
    if (!connected)
        return refuse(openFailureText(path, nullptr, connectError));
    m_path = path;
    // Read the schema before changing anything: a damaged or foreign file fails here untouched.
    SchemaVerdict verdict = readSchema(handle());
    if (verdict != SchemaVerdict::Ours)
        return refuse(verdict == SchemaVerdict::Foreign ? probeText(ProbeResult::ForeignSqlite)
                                                        : openFailureText(path, handle()));
    const char *pragmas[] = {
        "PRAGMA journal_mode=WAL",
        "PRAGMA synchronous=FULL",
        "PRAGMA foreign_keys=OFF",
    };
    for (const char *p : pragmas) {
        if (sqlite3_exec(handle(), p, nullptr, nullptr, nullptr) != SQLITE_OK)
            return refuse(openFailureText(path, handle()));
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
    m_reading = false;
    m_soundness = Soundness::Unchecked;
    m_integrityDetail.clear();
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

namespace {

/// The one integer a PRAGMA returns; -1 when it cannot be read.
qint64 pragmaValue(sqlite3_stmt *stmt)
{
    if (!stmt)
        return -1;
    const qint64 value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    return value;
}

} // namespace

Database::ContentStamp Database::contentStamp()
{
    sqlite3 *h = handle();
    if (!h || m_depth > 0 || m_reading)
        return {};
    ContentStamp stamp;
    stamp.dataVersion = pragmaValue(cachedStatement(QByteArrayLiteral("PRAGMA data_version")));
    stamp.schemaVersion = pragmaValue(cachedStatement(QByteArrayLiteral("PRAGMA schema_version")));
    stamp.ownChanges = stamp.dataVersion < 0 || stamp.schemaVersion < 0 ? -1 : sqlite3_total_changes64(h);
    return stamp;
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

QSqlError Database::lastError() const
{
    return m_lastError.isValid() ? m_lastError : sql().lastError();
}

Database::Soundness Database::checkIntegrity()
{
    if (m_soundness == Soundness::Unchecked) {
        sqlite3 *h = handle();
        sqlite3_stmt *stmt = nullptr;
        int rc = h ? sqlite3_prepare_v2(h, "PRAGMA quick_check(1)", -1, &stmt, nullptr) : SQLITE_MISUSE;
        if (rc == SQLITE_OK)
            rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const char *first = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
            m_soundness = qstrcmp(first, "ok") == 0 ? Soundness::Sound : Soundness::Damaged;
            if (m_soundness == Soundness::Damaged)
                m_integrityDetail = QString::fromUtf8(first);
        } else if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB) {
            m_soundness = Soundness::Damaged;
            m_integrityDetail = QString::fromUtf8(sqlite3_errmsg(h));
        }
        else if (h)
            m_lastError = QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(h)), QSqlError::TransactionError, QString::number(rc));
        sqlite3_finalize(stmt);
    }
    return m_soundness;
}

bool Database::soundForWriting()
{
    if (checkIntegrity() == Soundness::Damaged)
        m_lastError = QSqlError(QString(), damagedText(), QSqlError::TransactionError, QString::number(SQLITE_CORRUPT));
    return m_soundness == Soundness::Sound;
}

bool Database::begin()
{
    m_lastError = QSqlError();
    if (m_depth == 0 && !soundForWriting())
        return false;
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

ReadTransaction::ReadTransaction(Database &db)
    : m_db(db)
{
    if (m_db.m_depth > 0 || m_db.m_reading) {
        m_ok = m_db.isOpen();
        return;
    }
    // A deferred transaction takes its snapshot at the first read and no lock beyond it.
    m_began = m_ok = m_db.control(QStringLiteral("BEGIN DEFERRED"));
    m_db.m_reading = m_began;
}

ReadTransaction::~ReadTransaction()
{
    if (!m_began)
        return;
    if (!m_db.control(QStringLiteral("COMMIT")))
        m_db.control(QStringLiteral("ROLLBACK"));
    m_db.m_reading = false;
}

} // namespace hemu
