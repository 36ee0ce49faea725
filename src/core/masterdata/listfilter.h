#pragma once

#include "core/dataset/dataseterror.h"

#include <QString>
#include <QVariant>

namespace hemu {

class Dataset;

/**
 * A "过滤" box of the base-information window: the current row of a list at the left
 * (areas, departments, categories) filters a master dataset by its key.
 *
 * Parties (vendors, customers, employees): while the box is checked, a choice in the list
 * filters by it; checking the box switches on the expression last chosen (none yet: every
 * row stays), unchecking switches it off.
 * Goods: checking the box filters by the current category at once; a choice in the list
 * while the box is unchecked switches the goods filter off (a search or the empty-goods
 * view included).
 */
class ListFilter
{
public:
    enum class Kind { Party, Category };

    /// `filtered`'s `field` takes the `listKey` of `list`'s current row.
    ListFilter(Kind kind, Dataset &filtered, const QString &field, Dataset &list, const QString &listKey);

    /// A click on the list, or an arrow key released in it.
    DatasetError listChosen(bool boxChecked);
    /// The box was checked or unchecked.
    DatasetError boxToggled(bool checked);

    /// "CataID=3"
    static QString expression(const QString &field, const QVariant &key);

private:
    /// The expression for the list's current row; empty when it has none.
    QString currentExpression() const;
    DatasetError filterOn(const QString &text);
    DatasetError filterOff();

    Kind m_kind;
    Dataset &m_filtered;
    QString m_field;
    Dataset &m_list;
    QString m_listKey;
};

} // namespace hemu
