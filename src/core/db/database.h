#pragma once

#include <QByteArray>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace hemu {

/**
 * The one connection to an open account set. Opens only files that pass the
 * account-set probe, runs every statement with bound parameters, and hands out
 * transactions that nest as savepoints.
 */
class Database
{
public:
    /// `name` is the Qt connection name; an empty one gets a unique name.
    explicit Database(const QString &name = {});
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    /// Connects to an existing account set. On failure the connection stays closed,
    /// every file is untouched and `error` says why in the user's words: not an account set,
    /// newer, cut off, a leftover file beside it that is not its own, a "-shm" that cannot
    /// be used...
    bool open(const QString &path, QString *error = nullptr);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }
    QString connectionName() const { return m_name; }
    QSqlDatabase sql() const;
    /// The raw SQLite handle under the Qt connection (same library), for the backup API.
    sqlite3 *handle() const;
    /// `sql` prepared on handle() once and kept until the connection closes, for statements
    /// run again and again (a dataset re-reading one row). The caller resets it after use;
    /// nullptr when the connection is closed, `sql` does not prepare or enough are kept
    /// (the caller then prepares its own).
    sqlite3_stmt *cachedStatement(const QByteArray &sql);

    /// Prepares `sql` and binds `params` positionally. Check `ok` before using the query.
    QSqlQuery query(const QString &sql, const QVariantList &params = {}) const;
    /// Runs one statement; returns false and fills `error` on failure.
    bool exec(const QString &sql, const QVariantList &params = {}, QSqlError *error = nullptr) const;
    /// First column of the first row, or an invalid QVariant when there is no row or on error.
    QVariant scalar(const QString &sql, const QVariantList &params = {}) const;

    /// How long a write waits for another program to release the file before it gives up
    /// with SQLITE_BUSY (the open sets 10 s).
    bool setBusyTimeout(int milliseconds);
    /// Why the last transaction could not begin or commit: the error of the transaction
    /// statement that failed (a write that could not get the file reads "database is locked"),
    /// or the refusal to write into a damaged file. Without one, the connection's last error.
    QSqlError lastError() const;

    enum class Soundness { Unchecked, Sound, Damaged };
    /// Runs SQLite's structure check (PRAGMA quick_check) now, unless this connection already
    /// did: Sound, Damaged, or Unchecked when the check itself could not run (lastError()
    /// says why). Writes rely on the same verdict.
    Soundness checkIntegrity();
    /// What the structure check found first when it failed (SQLite's words).
    QString integrityDetail() const { return m_integrityDetail; }

    /// Text of the refusal to write into a file whose structure check fails.
    static QString damagedText() { return QStringLiteral("套帐文件已损坏，不能写入。请从备份恢复。"); }

    /// What the file held when it was taken: two equal stamps mean nothing was written to
    /// the file in between, through this connection or by any other (another program, or
    /// another connection of this one). Conservative: a write rolled back still counts.
    struct ContentStamp
    {
        qint64 ownChanges = -1;    // rows this connection has changed, ever
        qint64 dataVersion = -1;   // moves when another connection commits
        qint64 schemaVersion = -1; // moves when a table or index is made, changed or dropped
        bool isValid() const { return ownChanges >= 0 && dataVersion >= 0 && schemaVersion >= 0; }
        bool operator==(const ContentStamp &) const = default;
    };
    /// The stamp of the file as of now; an invalid one (equal to none) on a closed connection,
    /// inside a transaction (what it reads may still be rolled back) or when it cannot be read.
    ContentStamp contentStamp();
    /// Both stamps valid and equal: the file holds what it held when `before` was taken.
    static bool unchangedSince(const ContentStamp &before, const ContentStamp &now)
    {
        return before.isValid() && before == now;
    }

    int transactionDepth() const { return m_depth; }
    /// Runs `work` once the outermost open transaction has committed or rolled back, or at
    /// once without one. Messages for the user go here: a box shown while a transaction is
    /// open would hold the file's write lock for as long as the user reads it.
    void afterTransaction(std::function<void()> work);
    /// Runs `undo` after the innermost open transaction is rolled back (directly or with an
    /// enclosing one); forgotten once the outermost commits, ignored without a transaction.
    /// In-memory copies of rows (datasets) use it to follow a rollback.
    void onRollback(std::function<void()> undo);

private:
    friend class Transaction;
    friend class ReadTransaction;
    /// Checks the file's structure (PRAGMA quick_check) once per connection, before the first
    /// write: writing into a damaged file spreads the damage.
    bool soundForWriting();
    bool begin();
    bool commit();
    void rollback();
    /// Runs a transaction-control statement (BEGIN, COMMIT, SAVEPOINT...).
    bool control(const QString &text);

    void finalizeStatements();

    QString m_name;
    QString m_path;
    int m_depth = 0;
    bool m_reading = false; // a ReadTransaction is open
    Soundness m_soundness = Soundness::Unchecked;
    QString m_integrityDetail;
    QHash<QByteArray, sqlite3_stmt *> m_statements; // finalized before the connection closes
    mutable sqlite3 *m_handle = nullptr;            // handle() of the open connection
    QList<QList<std::function<void()>>> m_rollbackHandlers; // one list per open level
    QList<std::function<void()>> m_afterTransaction;        // run when the outermost ends
    QSqlError m_lastError;
    /// The outermost transaction has ended: runs what waited for it.
    void transactionEnded();
};

/**
 * One user action's worth of writes. The outermost one is BEGIN IMMEDIATE (so two
 * programs on one file queue instead of deadlocking); inner ones are savepoints.
 * Anything not committed is rolled back when the object goes out of scope.
 */
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool isActive() const { return m_active; }
    bool commit();
    void rollback();

private:
    Database &m_db;
    bool m_active = false;
};

/**
 * One consistent view of the file for a read of several statements (a check, a report):
 * a deferred transaction that only ever reads, so it never takes the write lock and other
 * programs go on writing. Inside an open transaction it does nothing.
 */
class ReadTransaction
{
public:
    explicit ReadTransaction(Database &db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

    bool isActive() const { return m_ok; }

private:
    Database &m_db;
    bool m_ok = false;
    bool m_began = false;
};

} // namespace hemu
