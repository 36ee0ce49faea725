#pragma once

// The staging file: a scratch SQLite file the converter reads the old tables from. Created here
// (never over an existing file), filled in one transaction, and deleted again unless committed.

#include "jetfile.h"

#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace hemu::jetread {

class StagingWriter : public RowSink
{
public:
    /// Creates `path`, which must not exist. Throws JetError(ExitCannotWrite).
    explicit StagingWriter(const std::string &path);
    /// Deletes the file again unless commit() succeeded.
    ~StagingWriter() override;
    StagingWriter(const StagingWriter &) = delete;
    StagingWriter &operator=(const StagingWriter &) = delete;

    void begin(const TableInfo &table) override;
    void row(const std::vector<Value> &values) override;
    void warning(const std::string &message) override;
    /// A warning about `table`, written outside that table's walk (the catalog's, say).
    void warning(const std::string &table, const std::string &message);
    /// Records the number of rows copied into the current table.
    void end(long long rows);
    void commit();

private:
    void exec(const char *sql);
    sqlite3_stmt *prepare(const std::string &sql);
    [[noreturn]] void fail();

    std::string m_path;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insertRow = nullptr;
    sqlite3_stmt *m_insertTable = nullptr;
    sqlite3_stmt *m_insertColumn = nullptr;
    sqlite3_stmt *m_insertWarning = nullptr;
    std::string m_table;
    bool m_committed = false;
};

/// `name` as an SQL identifier: in double quotes, inner quotes doubled.
std::string quoteIdentifier(const std::string &name);

} // namespace hemu::jetread
