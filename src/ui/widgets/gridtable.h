#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace hemu {

class DataGrid;

/**
 * What a grid shows, taken once for printing, exporting and copying: its visible columns in
 * their order with their titles, and its rows in their order as display texts and values.
 */
struct GridTable
{
    struct Column
    {
        QString upper; ///< upper half of a two-line title; empty for a one-line title
        QString lower; ///< the lower half, or the whole title
        int width = 0; ///< on screen, pixels
        bool numeric = false; ///< right-aligned, exported as a number
        QString displayFormat; ///< the field's number pattern ("0.0#;'-'0.0#;#.##")
        QString title() const { return upper.isEmpty() ? lower : upper + QLatin1Char(' ') + lower; }
    };

    QString title;
    QList<Column> columns;
    QList<QStringList> texts;   ///< per row, per column: what the cell shows
    QList<QVariantList> values; ///< per row, per column: the stored value

    int rowCount() const { return int(texts.size()); }
    bool hasTwoLineTitles() const;

    /// Every row of `grid`, or only the selected rows (and within them the selected
    /// columns, when single cells are selected).
    static GridTable of(const DataGrid &grid, bool selectedOnly = false);
};

} // namespace hemu
