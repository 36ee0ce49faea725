#pragma once

#include "core/import/importtable.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace hemu {

class BaseData;
class Dataset;

/** What an import fills: one of the master tables, or the goods' opening balances. */
enum class ImportKind { Goods, Catalogs, Units, Customers, Vendors, Employees, OpeningBalances };

/** A field an import column can fill. */
struct ImportField
{
    QString name;        // the column, or for a looked-up name the name of that column
    QString caption;     // how the program titles it
    QStringList aliases; // other titles a header may use
    bool required = false;
    QString lookupTable;  // a name looked up in this table...
    QString lookupName;   // ...in this column...
    QString lookupKey;    // ...gives this key, stored in `target`
    QString target;       // the column written (the key column for a lookup)
};

/**
 * Master data read from a CSV or XLSX file into the open account set. Each row goes through
 * the master datasets of BaseData and their rules, as if typed, inside one transaction: the
 * preview runs every row and rolls everything back, the commit writes the good rows and
 * commits them together. A row that a rule refuses is named with its line and the rule's own
 * words; nothing is half written.
 */
class MasterImport
{
public:
    MasterImport(BaseData &base, ImportKind kind);

    /// "Goods", "Catalogs", "Units", "Customers", "Vendors", "Employees", "OpeningBalances"
    /// (any letter case) or the caption.
    static bool kindFromName(const QString &name, ImportKind *kind);
    static QString kindName(ImportKind kind);
    static QString kindCaption(ImportKind kind);
    static QList<ImportKind> kinds();

    ImportKind kind() const { return m_kind; }
    const QList<ImportField> &fields() const { return m_fields; }
    /// For each header cell, the field it names by name, caption or alias (-1: none).
    QList<int> autoMapping(const QStringList &header) const;

    struct RowError
    {
        int line = 0;
        QString text;
    };
    struct Outcome
    {
        bool ok = false;       // the rows could be run at all (see error)
        QString error;         // why not: a required field unmapped, the file busy...
        int good = 0;          // rows that went through (written, after a commit)
        QList<RowError> errors; // rows refused, in file order
        bool written = false;
    };
    /// Every row through the rules; nothing stays written.
    Outcome preview(const ImportTable &table, const QList<int> &mapping);
    /// The good rows written in one transaction; the refused ones named.
    Outcome commit(const ImportTable &table, const QList<int> &mapping);

    static QString errorLine(const RowError &e);

private:
    Outcome run(const ImportTable &table, const QList<int> &mapping, bool write);
    Dataset &dataset() const;

    BaseData &m_base;
    ImportKind m_kind;
    QList<ImportField> m_fields;
};

} // namespace hemu
