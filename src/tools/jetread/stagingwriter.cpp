#include "stagingwriter.h"

#include "jeterror.h"
#include "jetvalues.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace hemu::jetread {

std::string quoteIdentifier(const std::string &name)
{
    std::string q = "\"";
    for (char c : name) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + '"';
}

StagingWriter::StagingWriter(const std::string &path)
    : m_path(path)
{
    // O_EXCL: a file already there is someone else's and stays as it is.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_committed = true; // nothing of ours to delete
        throw JetError{ExitCannotWrite, "无法创建临时文件 " + path + "：" + std::strerror(errno) + "。"};
    }
    ::close(fd);
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        fail();
    // Scratch: the converter starts over if anything goes wrong, so no journal and no syncing.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
    exec("PRAGMA cache_size=-65536");
    exec("BEGIN");
    exec("CREATE TABLE jet_tables(name TEXT PRIMARY KEY, row_count INTEGER NOT NULL)");
    exec("CREATE TABLE jet_columns(table_name TEXT, ordinal INTEGER, name TEXT, jet_type TEXT, size INTEGER,"
         " autonumber INTEGER, PRIMARY KEY(table_name, ordinal))");
    exec("CREATE TABLE jet_warnings(table_name TEXT, message TEXT)");
    m_insertTable = prepare("INSERT INTO jet_tables(name, row_count) VALUES(?1, ?2)");
    m_insertColumn = prepare("INSERT INTO jet_columns(table_name, ordinal, name, jet_type, size, autonumber)"
                             " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    m_insertWarning = prepare("INSERT INTO jet_warnings(table_name, message) VALUES(?1, ?2)");
}

StagingWriter::~StagingWriter()
{
    sqlite3_finalize(m_insertRow);
    sqlite3_finalize(m_insertTable);
    sqlite3_finalize(m_insertColumn);
    sqlite3_finalize(m_insertWarning);
    if (m_db)
        sqlite3_close(m_db);
    if (!m_committed) {
        ::unlink(m_path.c_str());
        ::unlink((m_path + "-journal").c_str());
    }
}

void StagingWriter::fail()
{
    const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    throw JetError{ExitCannotWrite, "无法写入临时文件 " + m_path + "：" + reason + "。"};
}

void StagingWriter::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

sqlite3_stmt *StagingWriter::prepare(const std::string &sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail();
    return stmt;
}

void StagingWriter::begin(const TableInfo &table)
{
    // The staging file's own tables and SQLite's reserved names cannot be taken by an old table.
    const std::string lower = lowerAscii(table.name);
    if (lower == "jet_tables" || lower == "jet_columns" || lower == "jet_warnings" || lower.rfind("sqlite_", 0) == 0)
        throw JetError{ExitOther, "旧格式套帐文件中的表名 " + table.name + " 无法转换。"};
    m_table = table.name;
    std::string create = "CREATE TABLE " + quoteIdentifier(table.name) + "(";
    std::string insert = "INSERT INTO " + quoteIdentifier(table.name) + " VALUES(";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnInfo &c = table.columns[i];
        create += (i ? ", " : "") + quoteIdentifier(c.name);
        insert += i ? ", ?" : "?";
        sqlite3_bind_text(m_insertColumn, 1, m_table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(m_insertColumn, 2, sqlite3_int64(i + 1));
        sqlite3_bind_text(m_insertColumn, 3, c.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(m_insertColumn, 4, jetTypeName(c.type), -1, SQLITE_STATIC);
        sqlite3_bind_int64(m_insertColumn, 5, c.size);
        sqlite3_bind_int(m_insertColumn, 6, c.autonumber ? 1 : 0);
        if (sqlite3_step(m_insertColumn) != SQLITE_DONE)
            fail();
        sqlite3_reset(m_insertColumn);
    }
    exec((create + ")").c_str());
    sqlite3_finalize(m_insertRow);
    m_insertRow = nullptr;
    m_insertRow = prepare(insert + ")");
}

void StagingWriter::row(const std::vector<Value> &values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Value &v = values[i];
        const int n = int(i + 1);
        switch (v.kind) {
        case Value::Null: sqlite3_bind_null(m_insertRow, n); break;
        case Value::Integer: sqlite3_bind_int64(m_insertRow, n, v.integer); break;
        case Value::Real: sqlite3_bind_double(m_insertRow, n, v.real); break;
        case Value::Text:
            sqlite3_bind_text64(m_insertRow, n, v.bytes.data(), v.bytes.size(), SQLITE_STATIC, SQLITE_UTF8);
            break;
        case Value::Blob: sqlite3_bind_blob64(m_insertRow, n, v.bytes.data(), v.bytes.size(), SQLITE_STATIC); break;
        }
    }
    if (sqlite3_step(m_insertRow) != SQLITE_DONE)
        fail();
    sqlite3_reset(m_insertRow);
}

void StagingWriter::warning(const std::string &message)
{
    warning(m_table, message);
}

void StagingWriter::warning(const std::string &table, const std::string &message)
{
    sqlite3_bind_text(m_insertWarning, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(m_insertWarning, 2, message.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(m_insertWarning) != SQLITE_DONE)
        fail();
    sqlite3_reset(m_insertWarning);
}

void StagingWriter::end(long long rows)
{
    sqlite3_bind_text(m_insertTable, 1, m_table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(m_insertTable, 2, rows);
    if (sqlite3_step(m_insertTable) != SQLITE_DONE)
        fail();
    sqlite3_reset(m_insertTable);
}

void StagingWriter::commit()
{
    exec("COMMIT");
    for (sqlite3_stmt **s : {&m_insertRow, &m_insertTable, &m_insertColumn, &m_insertWarning}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (sqlite3_close(m_db) != SQLITE_OK)
        fail();
    m_db = nullptr;
    m_committed = true;
}

} // namespace hemu::jetread
