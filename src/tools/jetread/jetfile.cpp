#include "jetfile.h"

#include "jeterror.h"
#include "jetvalues.h"

#include <mdbtools.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace hemu::jetread {

namespace {

constexpr unsigned PageSize = 4096;
constexpr unsigned RowCountOffset = 12; // data pages: number of rows, then the row offset table
constexpr std::uint16_t DeletedFlag = 0x8000;
constexpr std::uint16_t MovedFlag = 0x4000;
constexpr std::uint16_t OffsetMask = 0x1FFF;
constexpr unsigned LongValueHeader = 12; // MEMO and OLE: length and flags, LVAL pointer, 4 unused bytes

std::string damagedAt(const std::string &table, unsigned long page)
{
    return "旧格式套帐文件已损坏，无法读取（表 " + table + " 第 " + std::to_string(page) + " 页）。";
}

// The stored size of a fixed-length value of `type`, 0 for variable-length types.
unsigned fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT: case MDB_FLOAT: return 4;
    case MDB_MONEY: case MDB_DOUBLE: case MDB_DATETIME: return 8;
    case MDB_REPID: return 16;
    case MDB_NUMERIC: return 17;
    default: return 0;
    }
}

// A row's place in the offset table of a page held in `buf`: its first byte and length. False
// when the slot does not exist or its bounds make no sense.
bool rowBounds(const unsigned char *buf, unsigned row, unsigned &start, unsigned &length)
{
    const unsigned rows = u16At(buf + RowCountOffset);
    if (row >= rows || RowCountOffset + 2 + 2 * rows > PageSize)
        return false;
    start = u16At(buf + RowCountOffset + 2 + 2 * row) & OffsetMask;
    const unsigned end = row == 0 ? PageSize : (u16At(buf + RowCountOffset + 2 * row) & OffsetMask);
    if (start < RowCountOffset + 2 + 2 * rows || start >= end || end > PageSize)
        return false;
    length = end - start;
    return true;
}

// The scale of a NUMERIC column. libmdb 1.0 names the two bytes the wrong way round: the byte
// it calls the precision is the scale.
int numericScale(const MdbColumn *col)
{
    return col->col_prec;
}

} // namespace

struct JetFile::Impl
{
    MdbHandle *mdb = nullptr;
    unsigned long pageCount = 0;
    std::vector<std::unique_ptr<MdbCatalogEntry>> entries; // user tables, in catalog order
    std::vector<std::string> catalogWarnings;

    long long walk(MdbCatalogEntry *entry, RowSink &sink, const std::function<void(long long)> &progress);
    void readCatalog();

    // ---- one table's walk -------------------------------------------------------------
    MdbTableDef *table = nullptr;
    std::string tableName;
    std::vector<Value> values;
    MdbField fields[MDB_MAX_COLS];

    void readPage(unsigned long page)
    {
        if (page == 0 || page >= pageCount || mdb_read_pg(mdb, page) != ssize_t(PageSize))
            throw JetError{ExitDamaged, damagedAt(tableName, page)};
    }

    bool ownedDataPage(const unsigned char *buf) const
    {
        return buf[0] == MDB_PAGE_DATA && u32At(buf + 4) == table->entry->table_pg;
    }

    std::string where(unsigned long page, unsigned row, const MdbColumn *col = nullptr) const
    {
        // Rows are counted from 1 for the reader of the message.
        std::string s = "第 " + std::to_string(page) + " 页第 " + std::to_string(row + 1) + " 行";
        if (col)
            s += std::string("的 ") + col->name;
        return s;
    }

    // The bytes of the LVAL record `pointer` (page << 8 | row), read through the library's
    // second page buffer so that the data page being cracked stays in the first. Null when the
    // record is not there; a page past the end of the file ends the read as damage.
    const unsigned char *longRecord(std::uint32_t pointer, unsigned &length)
    {
        const unsigned long page = pointer >> 8;
        if (page == 0)
            return nullptr;
        if (page >= pageCount || mdb_read_alt_pg(mdb, page) != ssize_t(PageSize))
            throw JetError{ExitDamaged, damagedAt(tableName, page)};
        const unsigned char *buf = mdb->alt_pg_buf;
        unsigned start = 0;
        if (buf[0] != MDB_PAGE_DATA || !rowBounds(buf, pointer & 0xFF, start, length))
            return nullptr;
        if (u16At(buf + RowCountOffset + 2 + 2 * (pointer & 0xFF)) & DeletedFlag)
            return nullptr;
        return buf + start;
    }

    // A MEMO or OLE value whole: inline, on one LVAL record, or on a chain of them. False (with
    // what could be read in `out`) when the value is cut short.
    bool readLongValue(const unsigned char *field, unsigned size, std::string &out)
    {
        out.clear();
        if (size < LongValueHeader)
            return false;
        const std::uint32_t head = u32At(field);
        const std::uint64_t length = head & 0x3FFFFFFF;
        if (head & 0x80000000) { // inline, after the header
            const std::uint64_t here = std::min<std::uint64_t>(length, size - LongValueHeader);
            out.assign(reinterpret_cast<const char *>(field + LongValueHeader), here);
            return here == length;
        }
        if (length > std::uint64_t(pageCount) * PageSize) // longer than the file: the header is damaged
            return false;
        std::uint32_t pointer = u32At(field + 4);
        if (head & 0x40000000) { // one record
            unsigned recordLength = 0;
            const unsigned char *record = longRecord(pointer, recordLength);
            if (!record)
                return false;
            const std::uint64_t here = std::min<std::uint64_t>(length, recordLength);
            out.assign(reinterpret_cast<const char *>(record), here);
            return here == length;
        }
        // A chain: each record starts with the pointer to the next one.
        out.reserve(length);
        std::unordered_set<std::uint32_t> seen;
        while (out.size() < length) {
            if (!seen.insert(pointer).second)
                return false; // a loop
            unsigned recordLength = 0;
            const unsigned char *record = longRecord(pointer, recordLength);
            if (!record || recordLength <= 4)
                return false;
            const std::uint64_t here = std::min<std::uint64_t>(length - out.size(), recordLength - 4);
            out.append(reinterpret_cast<const char *>(record + 4), here);
            pointer = u32At(record);
        }
        return true;
    }

    // Cracks the row at `start` (`length` bytes) of the page in the library's page buffer into
    // `values`. `page` and `row` name it in messages.
    void crackRow(unsigned start, unsigned length, unsigned long page, unsigned row, RowSink &sink)
    {
        const unsigned char *buf = mdb->pg_buf;
        // The row's trailer must lie inside the row before the library is let at it: column
        // count, null mask, and (with variable columns) their count and offsets.
        if (length < 2)
            throw JetError{ExitDamaged, damagedAt(tableName, page)};
        const unsigned rowColumns = u16At(buf + start);
        const unsigned nullMask = (rowColumns + 7) / 8;
        if (rowColumns == 0 || 2 + nullMask + 2 > length)
            throw JetError{ExitDamaged, damagedAt(tableName, page)};
        if (table->num_var_cols > 0) {
            const unsigned varColumns = u16At(buf + start + length - nullMask - 2);
            if (2 + nullMask + 2 + 2 * varColumns + 2 > length)
                throw JetError{ExitDamaged, damagedAt(tableName, page)};
        }
        const int cracked = mdb_crack_row(table, int(start), length, fields);
        if (cracked <= 0)
            throw JetError{ExitDamaged, damagedAt(tableName, page)};
        const unsigned char *rowBegin = buf + start;
        const unsigned char *rowEnd = rowBegin + length;
        for (unsigned i = 0; i < table->num_cols; ++i) {
            const MdbColumn *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            const MdbField &f = fields[i];
            Value &v = values[i];
            v.kind = Value::Null;
            if (col->col_type == MDB_BOOL) { // the null mask holds the value itself
                v.kind = Value::Integer;
                v.integer = f.is_null ? 0 : 1;
                continue;
            }
            if (f.is_null)
                continue;
            const auto *data = static_cast<const unsigned char *>(f.value);
            if (f.siz < 0 || (f.siz > 0 && (data < rowBegin || data + f.siz > rowEnd))
                || (fixedSize(col->col_type) && unsigned(f.siz) < fixedSize(col->col_type)))
                throw JetError{ExitDamaged, damagedAt(tableName, page)};
            const unsigned size = unsigned(f.siz);
            switch (col->col_type) {
            case MDB_BYTE:
                v.kind = Value::Integer;
                v.integer = data[0];
                break;
            case MDB_INT:
                v.kind = Value::Integer;
                v.integer = std::int16_t(u16At(data));
                break;
            case MDB_LONGINT:
                v.kind = Value::Integer;
                v.integer = std::int32_t(u32At(data));
                break;
            case MDB_MONEY:
                v.kind = Value::Text;
                v.bytes = moneyToText(data);
                break;
            case MDB_FLOAT:
            case MDB_DOUBLE: {
                const double d = col->col_type == MDB_FLOAT ? floatAt(data) : doubleAt(data);
                if (d != d) {
                    sink.warning(where(page, row, col) + "：不是有效的数，已留空。");
                    break;
                }
                v.kind = Value::Real;
                v.real = d;
                break;
            }
            case MDB_DATETIME:
                if (auto text = dateToText(doubleAt(data))) {
                    v.kind = Value::Text;
                    v.bytes = std::move(*text);
                } else {
                    sink.warning(where(page, row, col) + "：不是有效的日期，已留空。");
                }
                break;
            case MDB_REPID:
                v.kind = Value::Text;
                v.bytes = guidToText(data);
                break;
            case MDB_NUMERIC:
                v.kind = Value::Text;
                v.bytes = numericToText(data, numericScale(col));
                break;
            case MDB_BINARY:
                v.kind = Value::Blob;
                v.bytes.assign(reinterpret_cast<const char *>(data), size);
                break;
            case MDB_TEXT: {
                bool bad = false;
                v.kind = Value::Text;
                v.bytes = textToUtf8(data, size, &bad);
                if (bad)
                    sink.warning(where(page, row, col) + "：文字中有无法识别的字符，已换成 �。");
                break;
            }
            case MDB_MEMO:
            case MDB_OLE: {
                if (size == 0) { // stored empty, not null
                    v.kind = col->col_type == MDB_MEMO ? Value::Text : Value::Blob;
                    v.bytes.clear();
                    break;
                }
                std::string raw;
                const bool whole = readLongValue(data, size, raw);
                if (col->col_type == MDB_OLE) {
                    if (whole) {
                        v.kind = Value::Blob;
                        v.bytes = std::move(raw);
                    } else {
                        sink.warning(where(page, row, col) + "：对象已损坏，无法读取，已留空。");
                    }
                    break;
                }
                bool bad = false;
                v.kind = Value::Text;
                v.bytes = textToUtf8(reinterpret_cast<const unsigned char *>(raw.data()), raw.size(), &bad);
                if (!whole)
                    sink.warning(where(page, row, col) + "：备注已损坏，只读出了前 " + std::to_string(raw.size())
                                 + " 字节。");
                else if (bad)
                    sink.warning(where(page, row, col) + "：文字中有无法识别的字符，已换成 �。");
                break;
            }
            default:
                break;
            }
        }
    }
};

JetFile::JetFile(const std::string &path)
    : d(std::make_unique<Impl>())
{
    // The header first, by hand: "not a Jet 4 file" and "a damaged one" are different answers.
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw JetError{ExitOther, "无法打开旧格式套帐文件 " + path + "：" + std::strerror(errno) + "。"};
    struct stat st {};
    unsigned char header[0x18] = {};
    const bool regular = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    const std::size_t got = regular ? std::fread(header, 1, sizeof header, f) : 0;
    std::fclose(f);
    if (!regular)
        throw JetError{ExitOther, "无法打开旧格式套帐文件 " + path + "：它不是一个普通文件。"};
    static const unsigned char magic[20] = {0x00, 0x01, 0x00, 0x00, 'S', 't', 'a', 'n', 'd', 'a',
                                            'r',  'd',  ' ',  'J',  'e', 't', ' ', 'D', 'B', 0x00};
    if (got < sizeof header || std::memcmp(header, magic, sizeof magic) != 0)
        throw JetError{ExitNotJet4, "这个文件不是旧格式（Jet 4）的套帐文件。"};
    if (u32At(header + 0x14) != MDB_VER_JET4)
        throw JetError{ExitNotJet4, "这个文件是其他版本的 Access 数据库，不是旧格式（Jet 4）的套帐文件。"};
    if (st.st_size < off_t(PageSize) * 3 || st.st_size % PageSize != 0)
        throw JetError{ExitDamaged, "旧格式套帐文件已损坏，无法读取（文件不完整）。"};
    d->pageCount = static_cast<unsigned long>(st.st_size / PageSize);

    // Table and column names come back from the library as UTF-8 unless told otherwise, and its
    // debugging output is switched on from the environment: neither is wanted here.
    unsetenv("MDBICONV");
    unsetenv("MDBOPTS");
    d->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!d->mdb || d->mdb->f->jet_version != MDB_VER_JET4 || d->mdb->fmt->pg_size != ssize_t(PageSize))
        throw JetError{ExitDamaged, "旧格式套帐文件已损坏，无法读取（文件头）。"};
    d->readCatalog();
    for (const auto &entry : d->entries)
        m_tables.push_back(entry->object_name);
}

JetFile::~JetFile()
{
    if (d->table)
        mdb_free_tabledef(d->table);
    if (d->mdb)
        mdb_close(d->mdb);
}

long long JetFile::readTable(const std::string &name, RowSink &sink, const std::function<void(long long)> &progress)
{
    auto it = std::find_if(d->entries.begin(), d->entries.end(),
                           [&](const std::unique_ptr<MdbCatalogEntry> &e) { return name == e->object_name; });
    if (it == d->entries.end())
        throw JetError{ExitOther, "旧格式套帐文件中没有表 " + name + "。"};
    return d->walk(it->get(), sink, progress);
}

long long JetFile::Impl::walk(MdbCatalogEntry *entry, RowSink &sink, const std::function<void(long long)> &progress)
{
    const std::string name = entry->object_name;
    if (table) {
        mdb_free_tabledef(table);
        table = nullptr;
    }
    tableName = name;
    const unsigned long definitionPage = entry->table_pg;
    if (definitionPage == 0 || definitionPage >= pageCount)
        throw JetError{ExitDamaged, damagedAt(name, definitionPage)};
    table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table) || table->num_cols == 0 || table->num_cols > MDB_MAX_COLS
        || table->columns->len != table->num_cols)
        throw JetError{ExitDamaged, damagedAt(name, definitionPage)};

    TableInfo info;
    info.name = name;
    std::unordered_set<std::string> columnNames;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        ColumnInfo c;
        c.name = col->name;
        c.type = col->col_type;
        c.size = col->col_type == MDB_TEXT ? col->col_size / 2 : col->col_type == MDB_BINARY ? col->col_size : 0;
        c.scale = numericScale(col);
        c.autonumber = col->is_long_auto || col->is_uuid_auto;
        if (c.name.empty() || !*jetTypeName(c.type) || !columnNames.insert(lowerAscii(c.name)).second)
            throw JetError{ExitDamaged, damagedAt(name, definitionPage)};
        info.columns.push_back(std::move(c));
    }
    sink.begin(info);
    values.assign(table->num_cols, Value{});

    // The table's data pages, from its usage map, in page order.
    std::vector<std::uint32_t> pages;
    if (table->usage_map) {
        std::uint32_t previous = 0;
        for (;;) {
            const gint32 next = mdb_map_find_next(mdb, table->usage_map, unsigned(table->map_sz), previous);
            if (next <= 0 || std::uint32_t(next) <= previous)
                break;
            pages.push_back(std::uint32_t(next));
            previous = std::uint32_t(next);
        }
    }

    // First pass: where moved rows went. Those places are read through the row that points at
    // them, never on their own, whatever flag they carry.
    std::unordered_set<std::uint32_t> movedTargets;
    std::vector<bool> skipPage(pages.size(), false);
    const unsigned char *buf = mdb->pg_buf;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        readPage(pages[p]);
        if (std::all_of(buf, buf + PageSize, [](unsigned char b) { return b == 0; })) {
            sink.warning("第 " + std::to_string(pages[p]) + " 页记在本表名下，却是空白页，已跳过。");
            skipPage[p] = true;
            continue;
        }
        if (buf[0] != MDB_PAGE_DATA)
            throw JetError{ExitDamaged, damagedAt(name, pages[p])};
        if (!ownedDataPage(buf)) {
            sink.warning("第 " + std::to_string(pages[p]) + " 页记在本表名下，却是别的表的数据页，已跳过。");
            skipPage[p] = true;
            continue;
        }
        const unsigned rows = u16At(buf + RowCountOffset);
        if (RowCountOffset + 2 + 2 * rows > PageSize)
            throw JetError{ExitDamaged, damagedAt(name, pages[p])};
        for (unsigned r = 0; r < rows; ++r) {
            const std::uint16_t slot = u16At(buf + RowCountOffset + 2 + 2 * r);
            unsigned start = 0, length = 0;
            if ((slot & MovedFlag) && rowBounds(buf, r, start, length) && length >= 4)
                movedTargets.insert(u32At(buf + start));
        }
    }

    long long count = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (skipPage[p])
            continue;
        const std::uint32_t page = pages[p];
        readPage(page);
        const unsigned rows = u16At(buf + RowCountOffset);
        for (unsigned r = 0; r < rows; ++r) {
            const std::uint16_t slot = u16At(buf + RowCountOffset + 2 + 2 * r);
            if ((slot & DeletedFlag) || movedTargets.count((page << 8) | r))
                continue;
            unsigned start = 0, length = 0;
            if (!rowBounds(buf, r, start, length))
                throw JetError{ExitDamaged, damagedAt(name, page)};
            if (slot & MovedFlag) {
                // Follow the pointer (row byte, then the three-byte page) to the row's contents.
                if (length < 4)
                    throw JetError{ExitDamaged, damagedAt(name, page)};
                const std::uint32_t target = u32At(buf + start);
                const std::uint32_t targetPage = target >> 8;
                const unsigned targetRow = target & 0xFF;
                bool found = false;
                if (targetPage != 0 && targetPage != page) {
                    readPage(targetPage);
                    unsigned tStart = 0, tLength = 0;
                    if (ownedDataPage(buf) && rowBounds(buf, targetRow, tStart, tLength)
                        && !(u16At(buf + RowCountOffset + 2 + 2 * targetRow) & MovedFlag)) {
                        crackRow(tStart, tLength, targetPage, targetRow, sink);
                        found = true;
                    }
                    readPage(page);
                } else if (targetPage == page && targetRow != r) {
                    unsigned tStart = 0, tLength = 0;
                    if (rowBounds(buf, targetRow, tStart, tLength)
                        && !(u16At(buf + RowCountOffset + 2 + 2 * targetRow) & MovedFlag)) {
                        crackRow(tStart, tLength, page, targetRow, sink);
                        found = true;
                    }
                }
                if (!found) {
                    sink.warning(where(page, r) + "：这一行移到了别处，但找不到它移到的位置，已跳过。");
                    continue;
                }
            } else {
                crackRow(start, length, page, r, sink);
            }
            sink.row(values);
            ++count;
            if (progress && count % 50000 == 0)
                progress(count);
        }
    }
    // The definition keeps its own count of the rows: a difference means rows were lost or found
    // where the file no longer agrees with itself.
    if (std::uint64_t(count) != table->num_rows)
        sink.warning("表定义中记有 " + std::to_string(table->num_rows) + " 行，读出了 " + std::to_string(count)
                     + " 行。");
    return count;
}

} // namespace hemu::jetread

namespace hemu::jetread {

namespace {

// Collects the catalog's rows: the columns it needs, by name.
struct CatalogSink : RowSink
{
    int id = -1, name = -1, type = -1, flags = -1;
    struct Object
    {
        std::int64_t id = 0, type = 0, flags = 0;
        std::string name;
    };
    std::vector<Object> objects;
    std::vector<std::string> warnings;

    void begin(const TableInfo &table) override
    {
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const std::string &c = table.columns[i].name;
            int *slot = c == "Id" ? &id : c == "Name" ? &name : c == "Type" ? &type : c == "Flags" ? &flags : nullptr;
            if (slot)
                *slot = int(i);
        }
        if (id < 0 || name < 0 || type < 0 || flags < 0)
            throw JetError{ExitDamaged, "旧格式套帐文件已损坏，无法读取（表目录）。"};
    }
    void row(const std::vector<Value> &values) override
    {
        Object o;
        o.id = values[id].kind == Value::Integer ? values[id].integer : 0;
        o.type = values[type].kind == Value::Integer ? values[type].integer : 0;
        o.flags = values[flags].kind == Value::Integer ? values[flags].integer : 0;
        o.name = values[name].kind == Value::Text ? values[name].bytes : std::string();
        objects.push_back(std::move(o));
    }
    void warning(const std::string &message) override { warnings.push_back(message); }
};

} // namespace

// The catalog (MSysObjects, whose definition is on page 2) is walked like any table, so that
// its deleted and moved rows are treated the same way.
void JetFile::Impl::readCatalog()
{
    MdbCatalogEntry catalog{};
    catalog.mdb = mdb;
    std::strcpy(catalog.object_name, "MSysObjects");
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = 2;
    CatalogSink sink;
    bool readable = true;
    try {
        walk(&catalog, sink, {});
    } catch (const JetError &) {
        readable = false;
    }
    if (table) { // it points at `catalog`
        mdb_free_tabledef(table);
        table = nullptr;
    }
    if (!readable)
        throw JetError{ExitDamaged, "旧格式套帐文件已损坏，无法读取（表目录）。"};
    catalogWarnings = sink.warnings;
    std::unordered_set<std::string> seen;
    for (const CatalogSink::Object &o : sink.objects) {
        // A table (type 1) that is neither a system table nor hidden by the system flags.
        if ((o.type & 0x7F) != MDB_TABLE || (o.flags & 0x80000002) != 0)
            continue;
        if (lowerAscii(o.name.substr(0, 4)) == "msys")
            continue;
        const unsigned long page = static_cast<unsigned long>(o.id & 0x00FFFFFF);
        if (o.name.empty() || o.name.size() > MDB_MAX_OBJ_NAME || page < 3 || page >= pageCount
            || !seen.insert(lowerAscii(o.name)).second)
            throw JetError{ExitDamaged, "旧格式套帐文件已损坏，无法读取（表目录）。"};
        auto entry = std::make_unique<MdbCatalogEntry>();
        *entry = MdbCatalogEntry{};
        entry->mdb = mdb;
        std::memcpy(entry->object_name, o.name.data(), o.name.size());
        entry->object_name[o.name.size()] = 0;
        entry->object_type = MDB_TABLE;
        entry->table_pg = page;
        entry->flags = int(o.flags);
        entries.push_back(std::move(entry));
    }
}

std::vector<std::string> JetFile::catalogWarnings() const
{
    return d->catalogWarnings;
}

} // namespace hemu::jetread
