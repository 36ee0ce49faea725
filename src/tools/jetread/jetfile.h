#pragma once

// Reading a Jet 4 file through libmdb: the catalog and table definitions from the library, the
// rows from a walk of each table's data pages of our own, because the library's row iterator
// neither follows moved rows nor reads long values whole.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

struct S_MdbTableDef;

namespace hemu::jetread {

struct ColumnInfo
{
    std::string name;
    int type = 0;      // the Jet type byte (0x01 BOOL ... 0x10 NUMERIC)
    int size = 0;      // declared length of TEXT (characters) and BINARY (bytes), else 0
    int scale = 0;     // NUMERIC only
    bool autonumber = false;
};

struct TableInfo
{
    std::string name;
    std::vector<ColumnInfo> columns;
};

/// One value as the staging file holds it.
struct Value
{
    enum Kind { Null, Integer, Real, Text, Blob } kind = Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes; // Text (UTF-8) or Blob
};

/// What a table walk hands out: the live rows in page order and the doubts met on the way.
struct RowSink
{
    virtual ~RowSink() = default;
    virtual void begin(const TableInfo &table) = 0;
    virtual void row(const std::vector<Value> &values) = 0;
    virtual void warning(const std::string &message) = 0;
};

class JetFile
{
public:
    /// Opens `path` read-only. Throws JetError: ExitNotJet4 when the header is not a Jet 4
    /// database's, ExitDamaged when the file cannot be read as one, ExitOther when it cannot be
    /// opened at all.
    explicit JetFile(const std::string &path);
    ~JetFile();
    JetFile(const JetFile &) = delete;
    JetFile &operator=(const JetFile &) = delete;

    /// The user tables (no MSys* system tables), in catalog order.
    std::vector<std::string> tableNames() const { return m_tables; }
    /// Doubts met reading the catalog itself (a moved catalog row that leads nowhere, ...).
    std::vector<std::string> catalogWarnings() const;

    /// Reads the definition of table `name` and hands it to `sink`, then walks the table's data
    /// pages and hands it every live row; returns the number of rows. Throws
    /// JetError(ExitDamaged) when the definition or a page of the table cannot be read.
    long long readTable(const std::string &name, RowSink &sink, const std::function<void(long long)> &progress = {});

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    std::vector<std::string> m_tables;
};

} // namespace hemu::jetread
