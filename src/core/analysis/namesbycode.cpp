#include "core/analysis/namesbycode.h"

#include "core/db/database.h"
#include "core/db/sqlstatement.h"

#include <algorithm>
#include <sqlite3.h>

namespace hemu {

namespace {

/// Codes bound to one statement: the list is padded with its last code, so that every read
/// runs the same statement text, parsed once per connection.
constexpr int kCodesPerRead = 500;

QString codeList()
{
    QString list = QStringLiteral("?");
    for (int i = 1; i < kCodesPerRead; ++i)
        list += QStringLiteral(",?");
    return list;
}

} // namespace

NamesByCode::NamesByCode(const char *sql, int columns)
    : m_sql(sql)
    , m_columns(columns)
{
}

NamesByCode NamesByCode::goods()
{
    return NamesByCode("SELECT g.GoodID, g.Description, u.Unit FROM Goods g LEFT JOIN Units u ON u.UnitID = g.UnitID "
                       "WHERE g.GoodID IN (%1)",
                       2);
}

NamesByCode NamesByCode::customers()
{
    return NamesByCode("SELECT CustID, CustName FROM Customers WHERE CustID IN (%1)", 1);
}

DatasetError NamesByCode::read(Database &db, std::vector<qint64> codes)
{
    m_first.clear();
    m_texts.clear();
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    m_first.reserve(qsizetype(codes.size()));
    const QString sql = QString::fromLatin1(m_sql).arg(codeList());
    for (size_t from = 0; from < codes.size(); from += kCodesPerRead) {
        SqlStatement st(db, sql);
        for (int i = 0; i < kCodesPerRead; ++i)
            st.bind(i + 1, codes[std::min(from + size_t(i), codes.size() - 1)]);
        int rc = st.ok() ? st.step() : SQLITE_ERROR;
        for (; rc == SQLITE_ROW; rc = st.step()) {
            sqlite3_stmt *h = st.handle();
            m_first.insert(sqlite3_column_int64(h, 0), qsizetype(m_texts.size()));
            for (int c = 1; c <= m_columns; ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(h, c));
                m_texts.push_back(text ? Text{QByteArray(text, sqlite3_column_bytes(h, c)), false} : Text{});
            }
        }
        if (rc != SQLITE_DONE)
            return DatasetError(DatasetError::Code::Database, QStringLiteral("读取名称失败：%1").arg(st.error().databaseText()),
                                st.error());
    }
    return {};
}

void NamesByCode::addTo(RowValues::Builder &row, qint64 code) const
{
    const auto found = m_first.constFind(code);
    for (int c = 0; c < m_columns; ++c) {
        const Text *text = found == m_first.cend() ? nullptr : &m_texts[size_t(*found + c)];
        if (!text || text->isNull)
            row.addNull();
        else
            row.addText(text->bytes.constData(), int(text->bytes.size()));
    }
}

} // namespace hemu
