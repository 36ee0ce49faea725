#include "bench/rawstatement.h"

#include <cstdio>

namespace hemu::bench {

RawStatement::RawStatement(sqlite3 *db, const char *sql)
    : m_db(db)
{
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "hemu-bench: cannot prepare %s: %s\n", sql, sqlite3_errmsg(db));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

RawStatement::~RawStatement()
{
    sqlite3_finalize(m_stmt);
}

RawStatement &RawStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

RawStatement &RawStatement::bind(int index, double value)
{
    sqlite3_bind_double(m_stmt, index, value);
    return *this;
}

RawStatement &RawStatement::bind(int index, const QByteArray &utf8)
{
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

bool RawStatement::next()
{
    m_rc = sqlite3_step(m_stmt);
    if (m_rc == SQLITE_ROW)
        return true;
    if (m_rc != SQLITE_DONE)
        std::fprintf(stderr, "hemu-bench: %s\n", sqlite3_errmsg(m_db));
    return false;
}

bool RawStatement::run()
{
    while (next()) {
    }
    const bool ok = m_rc == SQLITE_DONE;
    reset();
    return ok;
}

void RawStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

double RawStatement::touchRow() const
{
    double sum = 0;
    const int n = sqlite3_column_count(m_stmt);
    for (int i = 0; i < n; ++i) {
        switch (sqlite3_column_type(m_stmt, i)) {
        case SQLITE_INTEGER: sum += double(sqlite3_column_int64(m_stmt, i)); break;
        case SQLITE_FLOAT: sum += sqlite3_column_double(m_stmt, i); break;
        case SQLITE_TEXT: sum += double(sqlite3_column_bytes(m_stmt, i)) + double(*sqlite3_column_text(m_stmt, i) != 0); break;
        case SQLITE_BLOB: sum += double(sqlite3_column_bytes(m_stmt, i)); break;
        default: break;
        }
    }
    return sum;
}

bool rawExec(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "hemu-bench: %s: %s\n", sql, message ? message : "");
    sqlite3_free(message);
    return false;
}

} // namespace hemu::bench
