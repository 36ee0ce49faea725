#pragma once

#include "ui/widgets/datasetmodel.h"
#include "ui/widgets/errorreporter.h"

#include <QColor>
#include <QPointer>
#include <QTableView>

namespace hemu {

class DataGridHeader;
class Prompter;

/**
 * The data-aware grid of every window: a dataset's rows under two-line column titles, whole
 * rows selected, the current row kept with the dataset's cursor, title clicks sorting, and
 * Enter / Alt+Insert / Esc posting, inserting and cancelling rows.
 */
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    /// Shows `dataset` through a model of the grid's own: the named fields in this order,
    /// or the dataset's visible fields.
    void setDataset(Dataset *dataset, const QStringList &fieldNames = {});
    /// Shows a model made elsewhere (not owned).
    void setDatasetModel(DatasetModel *model);
    DatasetModel *datasetModel() const { return m_model; }
    Dataset *dataset() const;
    DataGridHeader *titleHeader() const { return m_header; }

    /// Where failed posts, inserts and cancels are told; the program's message boxes by default.
    void setPrompter(Prompter *prompter) { m_errors.setPrompter(prompter); }

    /// A read-only grid edits nothing in place and inserts no rows.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    /// Colours the grid by its mode: silver while read-only (a locked detail grid), light
    /// yellow while editable. Off (the default) the grid keeps the normal colours.
    void setModeColours(bool on);
    bool modeColours() const { return m_modeColours; }
    static QColor lockedColour() { return QColor(192, 192, 192); }
    static QColor editableColour() { return QColor(248, 248, 199); }

    /// Row colours of the window (negative quantities red, goods out of use grey).
    void setRowColours(DatasetModel::RowColours colours);

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

signals:
    /// A title was clicked and the sort done (or not: `sorted` false).
    void titleClicked(const QString &fieldName, bool sorted);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void attachModel(DatasetModel *model);
    void onModelReset();
    void updateSortTitle();
    void applyColours();

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
};

} // namespace hemu
