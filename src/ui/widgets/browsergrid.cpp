#include "ui/widgets/browsergrid.h"

#include "ui/widgets/datagrid.h"
#include "ui/widgets/datasetmodel.h"

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

void band(DataGrid *grid, std::function<bool(int row)> plainRow)
{
    // Row 0 is the first record: record numbers count from 1.
    grid->setRowColours([plainRow = std::move(plainRow)](int row, int role) -> QVariant {
        const bool plain = plainRow && plainRow(row);
        switch (role) {
        case Qt::BackgroundRole:
            return plain || row % 2 == 0 ? oddRow() : evenRow();
        case DatasetModel::SelectedBackgroundRole:
            return plain ? QColor(Qt::black) : selection();
        case DatasetModel::SelectedForegroundRole:
            return QColor(Qt::white);
        default:
            return {};
        }
    });
    QPalette colours = grid->palette();
    colours.setColor(QPalette::Highlight, selection());
    colours.setColor(QPalette::HighlightedText, Qt::white);
    grid->setPalette(colours);
}

} // namespace hemu::BrowserGrid
