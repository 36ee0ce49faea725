#include "ui/widgets/browsergrid.h"

#include "ui/widgets/datagrid.h"

namespace hemu::BrowserGrid {

QColor oddRow()
{
    return QColor(240, 240, 240);
}

QColor evenRow()
{
    return QColor(210, 240, 240);
}

QColor selection()
{
    return QColor(100, 100, 200);
}

DataGrid *make(QWidget *parent, const QString &name, Dataset *rows, const QList<GridColumn> &columns, Rows look)
{
    auto *grid = new DataGrid(parent);
    grid->setObjectName(name);
    grid->setReadOnly(true);
    grid->setDoubleClickCommand(true);
    grid->setColumns(columns);
    grid->setDataset(rows);
    if (look == Rows::Banded)
        band(grid);
    keepSelectionVisible(grid);
    return grid;
}

void keepSelectionVisible(QAbstractItemView *view)
{
    QPalette colours = view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    view->setPalette(colours);
}

void band(DataGrid *grid)
{
    // Row 0 is the first record: record numbers count from 1.
    grid->setRowColours([](int row, int role) -> QVariant {
        if (role == Qt::BackgroundRole)
            return row % 2 == 0 ? oddRow() : evenRow();
        return {};
    });
    QPalette colours = grid->palette();
    colours.setColor(QPalette::Highlight, selection());
    colours.setColor(QPalette::HighlightedText, Qt::white);
    grid->setPalette(colours);
}

} // namespace hemu::BrowserGrid
