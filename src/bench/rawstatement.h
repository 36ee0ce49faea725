#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <sqlite3.h>

namespace hemu::bench {

/**
 * A prepared statement straight on the SQLite library: what the yardsticks use, prepared
 * once and reset between runs, with no layer of our own in between.
 */
class RawStatement
{
public:
    RawStatement(sqlite3 *db, const char *sql);
    ~RawStatement();
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    bool ok() const { return m_stmt != nullptr; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    sqlite3_stmt *handle() const { return m_stmt; }

    RawStatement &bind(int index, qint64 value);
    RawStatement &bind(int index, int value) { return bind(index, qint64(value)); }
    RawStatement &bind(int index, double value);
    RawStatement &bind(int index, const QByteArray &utf8);
    /// Steps once; true for a row. Call done() to finish a statement without rows.
    bool next();
    /// Runs to the end and resets; false on an error.
    bool run();
    void reset();

    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double real(int column) const { return sqlite3_column_double(m_stmt, column); }
    /// Touches every column of the current row the way a reader would, as a checksum.
    double touchRow() const;

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

/// Runs `sql` (no parameters) to its end on `db`; false on an error.
bool rawExec(sqlite3 *db, const char *sql);

} // namespace hemu::bench
