#pragma once

#include <QColor>

class QAbstractItemView;

namespace hemu {

class DataGrid;

/**
 * The colours of the read-only browsers: rows banded by their record number (odd records
 * light grey, even ones light cyan), the selection blue with white text, and kept visible
 * while the grid does not have the keyboard.
 */
namespace BrowserColours {

QColor oddRow();
QColor evenRow();
QColor selection();

/// Bands `grid`'s rows and gives it the browsers' selection colours.
void apply(DataGrid *grid);
/// The selection of `view` looks the same whether or not the view has the keyboard.
void keepSelectionVisible(QAbstractItemView *view);

} // namespace BrowserColours
} // namespace hemu
