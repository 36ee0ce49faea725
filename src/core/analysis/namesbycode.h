#pragma once

#include "core/dataset/dataseterror.h"
#include "core/dataset/rowvalues.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace hemu {

class Database;

/**
 * The names that go with the codes of a computed list (goods with their unit, customers), read
 * in one statement per few hundred codes, each a lookup through the table's key: a list of a
 * few hundred goods reads only those, not the whole goods table, and never one statement per
 * code.
 */
class NamesByCode
{
public:
    /// Description and unit of goods items.
    static NamesByCode goods();
    /// Names of customers.
    static NamesByCode customers();

    /// Reads the names of `codes` (any order, repeats allowed).
    DatasetError read(Database &db, std::vector<qint64> codes);
    /// Adds the names of `code` to a row being built, NULL where there is none (no such code,
    /// no name, a unit not on file), as a left join gives them.
    void addTo(RowValues::Builder &row, qint64 code) const;

private:
    /// `sql` selects the code and then `columns` names, `%1` standing for the list of codes.
    NamesByCode(const char *sql, int columns);

    struct Text
    {
        QByteArray bytes;
        bool isNull = true;
    };
    const char *m_sql;
    int m_columns;
    QHash<qint64, qsizetype> m_first; // code -> its first text in m_texts
    std::vector<Text> m_texts;
};

} // namespace hemu
