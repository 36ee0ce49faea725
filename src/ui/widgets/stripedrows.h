#pragma once

#include "ui/widgets/datasetmodel.h"

#include <functional>

namespace hemu {

/**
 * The browsers' row colours: rows alternate by record number, odd on RGB(240,240,240), even
 * on RGB(210,240,240), a selected row on RGB(100,100,200) with white text. Rows for which
 * `plainRow` holds (a goods item's own line among its customers' lines) are all on
 * RGB(240,240,240) with black text, selected black with white text.
 *
 *     grid->setRowColours(stripedRows([flow](int row) { return flow->isStoreLine(row); }));
 */
DatasetModel::RowColours stripedRows(std::function<bool(int row)> plainRow = {});

} // namespace hemu
