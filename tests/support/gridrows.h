#pragma once

// Finding and clicking rows of the program's grids in window tests.
#include "core/dataset/dataset.h"
#include "ui/widgets/datagrid.h"

#include <QScrollBar>
#include <QtTest>

namespace hemu::test {

inline QRect rowRect(DataGrid *grid, int row)
{
    return grid->visualRect(grid->model()->index(row, 0));
}

inline void clickRow(DataGrid *grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowRect(grid, row).center());
}

inline void doubleClickRow(DataGrid *grid, int row)
{
    clickRow(grid, row);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowRect(grid, row).center());
}

/// The first row of `dataset`'s view whose `field` is `value`; -1 when there is none.
inline int rowOf(Dataset &dataset, const QString &field, const QVariant &value)
{
    const int index = dataset.fieldIndex(field);
    for (int row = 0; row < dataset.rowCount(); ++row) {
        if (dataset.value(row, index) == value)
            return row;
    }
    return -1;
}

/// `field` of every row of `dataset`'s view, in view order.
inline QVariantList columnOf(Dataset &dataset, const QString &field)
{
    QVariantList values;
    const int index = dataset.fieldIndex(field);
    for (int row = 0; row < dataset.rowCount(); ++row)
        values << dataset.value(row, index);
    return values;
}

/// Drags `grid`'s bar to the bottom again and again, as a user scrolling to the last line,
/// until its list has no more rows to read; false when it still had after `turns` drags.
inline bool scrollToEnd(DataGrid *grid, int turns = 1000)
{
    for (int turn = 0; turn < turns; ++turn) {
        QCoreApplication::processEvents();
        if (!grid->model()->canFetchMore({}))
            return true;
        QScrollBar *bar = grid->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
    return !grid->model()->canFetchMore({});
}

/// The texts `grid` shows in `column`, top to bottom.
inline QStringList shownColumn(DataGrid *grid, int column)
{
    QStringList out;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        out << grid->model()->index(row, column).data().toString();
    return out;
}

} // namespace hemu::test
