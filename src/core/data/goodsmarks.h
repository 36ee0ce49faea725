#pragma once

#include <QSet>
#include <QStringList>

namespace hemu {

class Dataset;

/**
 * The marks a program sets on goods items for itself: the items its last goods search found
 * (`flag`) and the items without any stock (`IsZero`). They live in this program's memory,
 * not in the shared Goods table, so a search or a marking in one program never changes what
 * another program shows when it reads those rows again. The goods views carry them as
 * calculated fields under the column names: filters such as "flag=1" and the grids' "空"
 * column work as before, and a single user sees no difference.
 */
class GoodsMarks
{
public:
    void setSearchMarks(const QSet<qint64> &goodIds) { m_search = goodIds; }
    void setZeroMarks(const QSet<qint64> &goodIds) { m_zero = goodIds; }
    bool isSearchMarked(qint64 goodId) const { return m_search.contains(goodId); }
    bool isZeroMarked(qint64 goodId) const { return m_zero.contains(goodId); }

    /// The two columns of Goods the marks stand in for.
    static QStringList columns();
    /// Adds the `flag` field (0/1) to a view of the Goods table that has a GoodID field.
    void addSearchMark(Dataset &goods) const;
    /// Adds the `IsZero` field (Yes/No, shown as "√") likewise.
    void addZeroMark(Dataset &goods) const;
    /// Every column of Goods but `excluded` as data fields, the marks as calculated fields,
    /// all in table order.
    void declareGoodsFields(Dataset &goods, const QStringList &excluded = {}) const;

private:
    QSet<qint64> m_search;
    QSet<qint64> m_zero;
};

} // namespace hemu
