#include "ui/widgets/stripedrows.h"

#include <QColor>

namespace hemu {

DatasetModel::RowColours stripedRows(std::function<bool(int row)> plainRow)
{
    return [plainRow](int row, int role) -> QVariant {
        const bool plain = plainRow && plainRow(row);
        switch (role) {
        case Qt::BackgroundRole:
            // Record numbers count from 1: the first row is odd.
            return plain || row % 2 == 0 ? QColor(240, 240, 240) : QColor(210, 240, 240);
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case DatasetModel::SelectedBackgroundRole:
            return plain ? QColor(Qt::black) : QColor(100, 100, 200);
        case DatasetModel::SelectedForegroundRole:
            return QColor(Qt::white);
        default:
            return {};
        }
    };
}

} // namespace hemu
