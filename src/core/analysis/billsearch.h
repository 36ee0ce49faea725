#pragma once

#include "core/bills/billkind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace hemu {

class Database;
class Dataset;

/**
 * The bill search: finds the bills of the three kinds that have a line and match a day, a
 * goods item, a customer (for stock-in bills the vendor with that number: they keep it in
 * the same column) and a person; marks them in the file (ForQuery = 1, every other bill 0)
 * and narrows the three bill lists to the marked bills. Every value travels bound.
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

    /// The statement marking the bills of `kind` that match `criteria`; empty `sql` with the
    /// warning in `refusal` when a criterion is no date or a code no whole number.
    static Statement markStatement(BillKind kind, const Criteria &criteria, QString *refusal = nullptr);

    struct Outcome
    {
        bool searched = false; ///< false: no criterion, a refused one, or the marks could not be reset
        QString error;         ///< the warning when nothing was searched for a reason
        QStringList failures;  ///< "异常：" + the statement, one per kind that could not be searched
    };

    /// "查找" on the header datasets `headers` (RuKu, DiaoBo, ChuKu): shows every bill; with
    /// criteria, resets and sets the marks in one transaction, re-reads the rows whose mark
    /// changed and filters the three lists on "ForQuery=1".
    static Outcome run(Database &db, const QList<Dataset *> &headers, const Criteria &criteria);

    // What the search window says of a code without a row, and of a date that is none.
    static QString unknownGoodsText();
    static QString unknownCustomerText();
    static QString unknownCodeText();
    static QString badDateText();

    /// The filter of the bill lists while a search is in force.
    static QString filterText() { return QStringLiteral("ForQuery=1"); }
};

} // namespace hemu
