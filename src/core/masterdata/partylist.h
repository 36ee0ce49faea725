#pragma once

#include "core/dataset/dataseterror.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace hemu {

class Dataset;

/**
 * What the customer or vendor picker lists: the whole table, the parties whose name contains
 * a search text, or one area's parties. The statement and its bound values are kept, so the
 * picker can show the list again as it last stood.
 */
class PartyList
{
public:
    enum class Party { Customers, Vendors };

    explicit PartyList(Party party);

    /// Every party.
    void showAll();
    /// The parties whose name contains the trimmed `text` literally (a quote or % is looked
    /// for as typed). An empty text changes nothing: false.
    bool search(const QString &text);
    /// The parties of area `areaId`.
    void showArea(const QVariant &areaId);

    QString sql() const;
    QVariantList params() const { return m_params; }

    /// Closes `query`, gives it the statement and its values, and opens it.
    DatasetError reopen(Dataset &query) const;

    /// Names of the columns the list shows: the party's code, its name and its area code.
    QString idColumn() const;
    QString nameColumn() const;
    static QString areaColumn();
    /// The list's columns in the order the statement gives them.
    QStringList columns() const;

private:
    QString selectFrom() const;

    Party m_party;
    QString m_where;
    QVariantList m_params;
};

} // namespace hemu
