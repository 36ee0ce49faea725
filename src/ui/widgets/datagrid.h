#pragma once

#include "ui/widgets/datasetmodel.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/gridcolumn.h"

#include <QColor>
#include <QPointer>
#include <QTableView>

namespace hemu {

class DataGridHeader;
class GridActions;

/**
 * The data-aware grid of every window: a dataset's rows under two-line column titles, whole
 * rows selected, the current row kept with the dataset's cursor, title clicks sorting, and
 * Enter / Alt+Insert / Esc posting, inserting and cancelling rows. The grid owns its column
 * definitions (GridColumn), its row colours and styles, and keeps them whatever dataset it
 * is given. Its context menu prints, exports and copies what it shows (GridActions).
 */
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    /// Shows `dataset` through a model of the grid's own: the grid's columns when it has
    /// definitions, else the named fields in this order, or the dataset's visible fields.
    void setDataset(Dataset *dataset, const QStringList &fieldNames = {});
    /// The columns of this grid: kept (with widths, titles, colours, editors) across every
    /// later setDataset().
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    /// The definition of model column `column`; nullptr when the grid has none for it.
    const GridColumn *columnAt(int column) const;
    /// Shows a model made elsewhere (not owned).
    void setDatasetModel(DatasetModel *model);
    DatasetModel *datasetModel() const { return m_model; }
    Dataset *dataset() const;
    DataGridHeader *titleHeader() const { return m_header; }

    /// A read-only grid edits nothing in place and inserts no rows.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    /// Colours the grid by its mode: silver while read-only (a locked detail grid), light
    /// yellow while editable. Off (the default) the grid keeps the normal colours.
    void setModeColours(bool on);
    bool modeColours() const { return m_modeColours; }
    static QColor lockedColour() { return QColor(192, 192, 192); }
    static QColor editableColour() { return QColor(248, 248, 199); }

    /// Row colours of the window (negative quantities red, goods out of use grey); kept
    /// across dataset changes.
    void setRowColours(DatasetModel::RowColours colours);

    /// A double-click runs a command (rowActivated) instead of opening a cell editor.
    void setDoubleClickCommand(bool on);
    bool isDoubleClickCommand() const { return m_doubleClickCommand; }
    /// Several rows can be selected (Ctrl/Shift+click); the cursor follows the last one.
    void setMultiSelect(bool on);
    /// Rowids of the selected rows in view order; the current row's alone when no row is.
    QList<qint64> selectedRowIds() const;
    /// Positions of the selected rows in the view, in view order; none when no row is
    /// selected (the current row does not count then). For lists without rowids (queries).
    QList<int> selectedRows() const;

    /// The heading line of the printout; the window's title when empty.
    void setPrintTitle(const QString &title) { m_printTitle = title; }
    QString printTitle() const;
    GridActions *gridActions() const { return m_gridActions; }

    /// Line entry: Enter on a new row posts it and starts the next row, the keyboard in the
    /// column of `field`. Empty (the default): Enter only posts.
    void setNextRowOnEnter(const QString &field) { m_nextRowField = field; }
    QString nextRowField() const { return m_nextRowField; }

    /// Title clicks sort the dataset (default on).
    void setTitleSort(bool on) { m_titleSort = on; }
    /// The field whose title shows the sort in force; empty when no title sort is.
    QString sortedField() const { return m_sortedField; }

    /// Sizes the columns to their titles and the first rows (done when the columns change).
    void autoSizeColumns();

public slots:
    /// What a click on the title of `column` does: sort by it (ascending, then descending).
    void sortByTitle(int column);
    /// Posts the pending row (Enter); a failure is told and the row stays pending.
    bool postRow();
    /// Starts a new row before the current one (Alt+Insert).
    bool insertRow();
    /// Drops the pending row's changes (Esc).
    bool cancelRow();
    /// Puts the grid's current row where the dataset's cursor is.
    void syncFromDataset();
    /// Starts a new row at the end, the keyboard in the next-row column.
    bool startNextRow();

signals:
    /// A title was clicked and the sort done (or not: `sorted` false).
    void titleClicked(const QString &fieldName, bool sorted);
    /// A row was double-clicked while double-clicks are a command.
    void rowActivated(int row);
    /// The keyboard came to the grid from outside it / went elsewhere in the grid's window
    /// (not into the grid's own cell editor; another window taking it, a picker or a
    /// message, is no leaving).
    void focusEntered();
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void attachModel(DatasetModel *model);
    void onModelReset();
    void updateSortTitle();
    void applyColours();
    void applyColumns();
    void applyEditTriggers();
    void onFocusChanged(QWidget *old, QWidget *now);
    /// `widget` is the grid or something of its own (a cell editor, its drop-down).
    bool isOwn(const QWidget *widget) const;

    DataGridHeader *m_header = nullptr;
    QPointer<DatasetModel> m_model;
    DatasetModel *m_ownModel = nullptr;
    ErrorReporter m_errors;
    QStringList m_sizedColumns; // field names the column widths were made for
    QString m_sortedField;
    bool m_readOnly = false;
    bool m_modeColours = false;
    bool m_paletteSet = false;
    bool m_titleSort = true;
    bool m_syncing = false;
    bool m_doubleClickCommand = false;
    bool m_hadFocus = false;
    QList<GridColumn> m_columns;
    DatasetModel::RowColours m_rowColours;
    QString m_printTitle;
    QString m_nextRowField;
    GridActions *m_gridActions = nullptr;
};

} // namespace hemu
