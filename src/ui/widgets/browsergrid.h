#pragma once

#include "ui/widgets/gridcolumn.h"

#include <QColor>

#include <functional>

class QAbstractItemView;
class QWidget;

namespace hemu {

class DataGrid;
class Dataset;

/**
 * The grids of the read-only browsers: whole rows, a double-click as a command, the
 * selection kept visible while the grid does not have the keyboard, and, where the window
 * wants it, rows banded by their record number (odd records light grey, even ones light
 * cyan) under a blue selection with white text.
 */
namespace BrowserGrid {

enum class Rows { Plain, Banded };

QColor oddRow();
QColor evenRow();
QColor selection();

/// A read-only grid called `name` over `rows` with `columns`.
DataGrid *make(QWidget *parent, const QString &name, Dataset *rows, const QList<GridColumn> &columns, Rows look);
/// Bands `grid`'s rows and gives it the browsers' selection colours. Rows for which
/// `plainRow` holds (a goods item's own line among its customers' lines) are all light grey
/// and, when selected, black with white text.
void band(DataGrid *grid, std::function<bool(int row)> plainRow = {});
/// The selection of `view` looks the same whether or not the view has the keyboard.
void keepSelectionVisible(QAbstractItemView *view);

} // namespace BrowserGrid
} // namespace hemu
