#pragma once

#include "core/bills/billkind.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace hemu {

class Database;
class Dataset;

/**
 * The bill search: finds the bills of the three kinds that have a line and match a day, a
 * goods item, a customer (for stock-in bills the vendor with that number: they keep it in
 * the same column) and a person, and narrows the three bill lists to them. The bills found
 * are this program's marks, kept in memory on the lists (Dataset::setRowidFilter): a search
 * writes nothing to the file, and another program on the same file keeps its own search.
 * Every value travels bound.
 */
class BillSearch
{
public:
    /// The criteria as the search window holds them: a short date, three code fields
    /// (digits and blanks). Empty or blank means "any".
    struct Criteria
    {
        QString date;
        QString goods;
        QString party;
        QString person;
    };

    /// True when no criterion is given: the search only shows every bill again.
    static bool isEmpty(const Criteria &criteria);

    /// One statement with its bound values; text() shows it with the values in place.
    struct Statement
    {
        QString sql;
        QVariantList params;
        QString text() const;
    };

    /// The statement finding the bills of `kind` that match `criteria` (their TabID); empty
    /// `sql` with the warning in `refusal` when a criterion is no date or a code no whole number.
    static Statement findStatement(BillKind kind, const Criteria &criteria, QString *refusal = nullptr);

    struct Outcome
    {
        bool searched = false; ///< false: no criterion or a refused one
        QString error;         ///< the warning when nothing was searched for a reason
        QStringList failures;  ///< "异常：" + the statement, one per kind that could not be searched
    };

    /// "查找" on the header datasets `headers` (RuKu, DiaoBo, ChuKu): without criteria shows
    /// every bill; with criteria finds the bills of each kind, reads those another program
    /// added since the lists were read, and narrows each list to the bills found. A kind
    /// whose statement fails shows no bill and is named in `failures`.
    static Outcome run(Database &db, const QList<Dataset *> &headers, const Criteria &criteria);

    /// The bills the last search found in `header` (empty before any search). They stay
    /// when the lists show every bill again, until the next search.
    static QSet<qint64> marks(const Dataset &header);

    // What the search window says of a code without a row, and of a date that is none.
    static QString unknownGoodsText();
    static QString unknownCustomerText();
    static QString unknownCodeText();
    static QString badDateText();
};

} // namespace hemu
