#include "ui/widgets/gridtable.h"

#include "core/dataset/dataset.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/datagridheader.h"

#include <QItemSelectionModel>
#include <algorithm>
#include <QSet>

namespace hemu {

bool GridTable::hasTwoLineTitles() const
{
    for (const Column &column : columns) {
        if (!column.upper.isEmpty())
            return true;
    }
    return false;
}

GridTable GridTable::of(const DataGrid &grid, bool selectedOnly)
{
    GridTable table;
    table.title = grid.printTitle();
    const DatasetModel *model = grid.datasetModel();
    const Dataset *ds = grid.dataset();
    if (!model || !ds)
        return table;
    const DataGridHeader *header = grid.titleHeader();

    QList<int> rows;
    QSet<int> selectedColumns;
    if (selectedOnly && grid.selectionModel()) {
        QSet<int> seen;
        const QModelIndexList cells = grid.selectionModel()->selectedIndexes();
        for (const QModelIndex &cell : cells) {
            if (!seen.contains(cell.row())) {
                seen.insert(cell.row());
                rows.append(cell.row());
            }
            selectedColumns.insert(cell.column());
        }
        std::sort(rows.begin(), rows.end());
        if (rows.isEmpty() && ds->currentRow() >= 0)
            rows.append(ds->currentRow());
    } else {
        for (int row = 0; row < model->rowCount(); ++row)
            rows.append(row);
    }

    // Columns in the order the user sees them, hidden ones left out.
    QList<int> logical;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (header->isSectionHidden(column) || !model->fieldAt(column))
            continue;
        if (!selectedColumns.isEmpty() && !selectedColumns.contains(column) && grid.selectionBehavior() != QAbstractItemView::SelectRows)
            continue;
        logical.append(column);
        const Field *field = model->fieldAt(column);
        Column c;
        c.upper = header->upperText(column);
        c.lower = header->lowerText(column);
        c.width = header->sectionSize(column);
        c.numeric = field->isNumeric();
        c.displayFormat = field->displayFormat();
        table.columns.append(c);
    }
    for (int row : std::as_const(rows)) {
        QStringList texts;
        QVariantList values;
        for (int column : std::as_const(logical)) {
            const QModelIndex index = model->index(row, column);
            texts.append(model->data(index, Qt::DisplayRole).toString());
            values.append(ds->value(row, model->fieldAt(column)->index()));
        }
        table.texts.append(texts);
        table.values.append(values);
    }
    return table;
}

} // namespace hemu
