#pragma once

#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

namespace hemu {

class Database;

/**
 * A statement straight on the SQLite library, for the reads and writes that run for every
 * row or every posted line: no QSqlQuery in between, and with the connection's kept
 * statements no parsing either once a statement has run.
 */
class SqlStatement
{
public:
    /// Prepares `sql` for this object alone.
    SqlStatement(sqlite3 *db, const QString &sql);
    /// The connection's kept statement for `sql`; a private one while that one is in use.
    SqlStatement(Database &db, const QString &sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    bool ok() const;
    sqlite3_stmt *handle() const { return m_stmt; }
    int columnCount() const;

    /// Binds `v` at the 1-based `index` (NULL, integer, real, blob, or text for the rest).
    bool bind(int index, const QVariant &v);
    /// Binds `params` from index 1 on.
    bool bindAll(const QVariantList &params);
    /// SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    /// Runs a statement without rows to its end; false on an error.
    bool run();
    QVariant column(int i) const;
    QSqlError error() const;

private:
    int bindText(int index, const QString &text);

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    bool m_kept = false;
    int m_rc = 0;
};

} // namespace hemu
