#include "ui/widgets/datagrid.h"

#include "core/data/sortbytitle.h"
#include "ui/widgets/celleditor.h"
#include "ui/widgets/datagridheader.h"
#include "ui/widgets/gridactions.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

namespace hemu {

namespace {
// Column widths are made from the titles and this many rows: enough to see the usual width
// of a column, few enough that a grid over 100,000 rows opens at once.
constexpr int sizingRows = 60;
constexpr int maxAutoWidth = 320;
constexpr int cellPadding = 8; // room between a column's longest text and the grid line
} // namespace

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent)
    , m_header(new DataGridHeader(this))
    , m_errors(this)
{
    setHorizontalHeader(m_header);
    m_header->setResizeContentsPrecision(sizingRows);
    m_header->setStretchLastSection(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false); // title clicks sort the dataset, not the model

    // Uniform row heights: the view never asks 100,000 rows for their size.
    QHeaderView *rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    rows->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶")) + 10);

    connect(m_header, &QHeaderView::sectionClicked, this, &DataGrid::sortByTitle);
    setItemDelegate(new CellEditor(this));
    m_gridActions = new GridActions(this);
    connect(qApp, &QApplication::focusChanged, this, &DataGrid::onFocusChanged);
    setReadOnly(false);
}

DataGrid::~DataGrid() = default;

Dataset *DataGrid::dataset() const
{
    return m_model ? m_model->dataset() : nullptr;
}

void DataGrid::setDataset(Dataset *dataset, const QStringList &fieldNames)
{
    DatasetModel *previous = m_ownModel;
    m_ownModel = new DatasetModel(dataset, this);
    if (!fieldNames.isEmpty() && m_columns.isEmpty())
        m_ownModel->setFieldNames(fieldNames);
    attachModel(m_ownModel);
    delete previous;
}

void DataGrid::setDatasetModel(DatasetModel *model)
{
    attachModel(model);
    if (m_ownModel && m_ownModel != model) {
        delete m_ownModel;
        m_ownModel = nullptr;
    }
}

void DataGrid::attachModel(DatasetModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_sortedField.clear();
    m_sizedColumns.clear();
    setModel(model);
    if (!model)
        return;
    // Item views submit the model whenever their current row changes, including the moves
    // the grid makes itself to follow the dataset: that would post a new row the moment it
    // shows. Moves the user makes go through currentChanged(), where the dataset posts or
    // drops the pending row as its rules say; an editor closed with Enter still submits.
    QObject::disconnect(selectionModel(), SIGNAL(currentRowChanged(QModelIndex, QModelIndex)), model, SLOT(submit()));
    model->setReadOnly(m_readOnly);
    applyColumns();
    if (m_rowColours)
        model->setRowColours(m_rowColours);
    // Connected after the view's own connections, so the view has taken each change in
    // before the grid looks at the dataset's cursor again.
    connect(model, &DatasetModel::errorOccurred, this, [this](const DatasetError &error) { m_errors.report(error); });
    connect(model, &DatasetModel::currentRowChanged, this, &DataGrid::syncFromDataset);
    connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::onModelReset);
    connect(model, &QAbstractItemModel::rowsInserted, this, &DataGrid::syncFromDataset);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &DataGrid::syncFromDataset);
    onModelReset();
}

void DataGrid::setColumns(const QList<GridColumn> &columns)
{
    m_columns = columns;
    m_sizedColumns.clear();
    applyColumns();
    onModelReset();
}

const GridColumn *DataGrid::columnAt(int column) const
{
    const Field *field = m_model ? m_model->fieldAt(column) : nullptr;
    if (!field)
        return nullptr;
    for (const GridColumn &definition : m_columns) {
        if (definition.field.compare(field->name(), Qt::CaseInsensitive) == 0)
            return &definition;
    }
    return nullptr;
}

void DataGrid::applyColumns()
{
    if (!m_model || m_columns.isEmpty())
        return;
    QStringList names;
    for (const GridColumn &column : std::as_const(m_columns))
        names.append(column.field);
    if (m_model->fieldNames() != names)
        m_model->setFieldNames(names);
    m_model->clearColumnOptions();
    for (const GridColumn &column : std::as_const(m_columns)) {
        DatasetModel::ColumnOptions options;
        options.caption = column.title;
        options.background = column.background;
        options.readOnly = column.readOnly || column.editor == GridColumn::Editor::None;
        options.keyEditable = column.editor == GridColumn::Editor::Lookup;
        options.choices = column.choices;
        m_model->setColumnOptions(column.field, options);
    }
}

void DataGrid::onModelReset()
{
    QStringList columns;
    for (int column = 0; m_model && column < m_model->columnCount(); ++column)
        columns.append(m_model->fieldAt(column)->name());
    if (columns != m_sizedColumns && m_model && m_model->rowCount() > 0) {
        m_sizedColumns = columns;
        autoSizeColumns();
    }
    // Widths the grid was given stand, whatever the rows hold.
    for (int column = 0; m_model && column < m_model->columnCount(); ++column) {
        if (const GridColumn *definition = columnAt(column); definition && definition->width > 0)
            setColumnWidth(column, definition->width);
    }
    updateSortTitle();
    syncFromDataset();
}

void DataGrid::autoSizeColumns()
{
    if (!m_model)
        return;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        // A width the grid was given stands: measuring the rows for it would be wasted.
        if (const GridColumn *definition = columnAt(column); definition && definition->width > 0)
            continue;
        resizeColumnToContents(column);
        setColumnWidth(column, qMin(columnWidth(column) + cellPadding, maxAutoWidth));
    }
}

void DataGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    applyEditTriggers();
    if (m_model)
        m_model->setReadOnly(readOnly);
    applyColours();
}

void DataGrid::setModeColours(bool on)
{
    m_modeColours = on;
    applyColours();
}

void DataGrid::applyColours()
{
    if (!m_modeColours) {
        // Back to the colours of the application and the window around the grid.
        if (m_paletteSet)
            setPalette(QPalette());
        m_paletteSet = false;
        return;
    }
    QPalette colours = palette();
    colours.setColor(QPalette::Base, m_readOnly ? lockedColour() : editableColour());
    setPalette(colours);
    m_paletteSet = true;
}

void DataGrid::applyEditTriggers()
{
    if (m_readOnly) {
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        return;
    }
    QAbstractItemView::EditTriggers triggers =
        QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked;
    if (!m_doubleClickCommand)
        triggers |= QAbstractItemView::DoubleClicked;
    setEditTriggers(triggers);
}

void DataGrid::setRowColours(DatasetModel::RowColours colours)
{
    m_rowColours = std::move(colours);
    if (m_model)
        m_model->setRowColours(m_rowColours);
}

void DataGrid::setDoubleClickCommand(bool on)
{
    m_doubleClickCommand = on;
    applyEditTriggers();
}

void DataGrid::setMultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QList<int> DataGrid::selectedRows() const
{
    QList<int> rows;
    const Dataset *ds = dataset();
    if (!ds || !selectionModel())
        return rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    for (const QModelIndex &index : selected) {
        if (index.row() < ds->rowCount() && !ds->isPendingRow(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<qint64> DataGrid::selectedRowIds() const
{
    QList<qint64> ids;
    const Dataset *ds = dataset();
    if (!ds || !selectionModel())
        return ids;
    QList<int> rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    if (rows.isEmpty() && ds->currentRow() >= 0)
        rows.append(ds->currentRow());
    std::sort(rows.begin(), rows.end());
    for (int row : std::as_const(rows)) {
        if (row < ds->rowCount() && !ds->isPendingRow(row))
            ids.append(ds->rowidAt(row));
    }
    return ids;
}

QString DataGrid::printTitle() const
{
    return m_printTitle.isEmpty() ? window()->windowTitle() : m_printTitle;
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!m_doubleClickCommand) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit rowActivated(index.row());
    event->accept();
}

bool DataGrid::isOwn(const QWidget *widget) const
{
    // Walked by parent, not isAncestorOf(): a drop-down list is a window of its own.
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w == this)
            return true;
    }
    return false;
}

void DataGrid::onFocusChanged(QWidget *, QWidget *now)
{
    // No widget at all has the focus while the window is inactive: that is no leaving.
    if (!now)
        return;
    const bool inside = isOwn(now);
    // The keyboard gone to another window (a picker filling this grid, a message about it)
    // comes back here: only a move within the grid's own window leaves it.
    if (!inside && now->window() != window())
        return;
    if (inside && !m_hadFocus) {
        m_hadFocus = true;
        emit focusEntered();
    } else if (!inside && m_hadFocus) {
        m_hadFocus = false;
        emit focusLeft();
    }
}

void DataGrid::sortByTitle(int column)
{
    Dataset *ds = dataset();
    const Field *field = m_model ? m_model->fieldAt(column) : nullptr;
    if (!ds || !field || !m_titleSort)
        return;
    const QString name = field->name();
    m_sortedField = name;
    const bool sorted = !SortByTitle(*ds, name).isEmpty();
    updateSortTitle();
    emit titleClicked(name, sorted);
}

void DataGrid::updateSortTitle()
{
    // The green title shows the sort in force: a sort changed since (by a rule, another
    // window) takes the colour away again.
    Dataset *ds = dataset();
    if (!m_sortedField.isEmpty() && (!ds || !isTitleSortOf(*ds, m_sortedField, ds->sort())))
        m_sortedField.clear();
    m_header->setHighlightedSection(m_sortedField.isEmpty() || !m_model ? -1 : m_model->columnOf(m_sortedField));
}

bool DataGrid::postRow()
{
    Dataset *ds = dataset();
    if (!ds || !ds->isEditing())
        return true;
    return m_errors.report(ds->post());
}

bool DataGrid::insertRow()
{
    Dataset *ds = dataset();
    if (!ds || m_readOnly || !ds->isOpen())
        return false;
    // An empty grid starts where line entry starts.
    const int entryColumn = m_model && !m_nextRowField.isEmpty() ? qMax(0, m_model->columnOf(m_nextRowField)) : 0;
    const int column = currentIndex().isValid() ? currentIndex().column() : entryColumn;
    if (!m_errors.report(ds->insert()))
        return false;
    syncFromDataset();
    if (m_model && ds->currentRow() >= 0 && column < m_model->columnCount())
        setCurrentIndex(m_model->index(ds->currentRow(), column));
    return true;
}

bool DataGrid::cancelRow()
{
    Dataset *ds = dataset();
    if (!ds || !ds->isEditing())
        return true;
    return m_errors.report(ds->cancel());
}

void DataGrid::syncFromDataset()
{
    Dataset *ds = dataset();
    if (!ds || !m_model || m_syncing)
        return;
    m_syncing = true;
    const int row = ds->currentRow();
    if (row >= 0 && row < m_model->rowCount() && m_model->columnCount() > 0) {
        const int column = currentIndex().isValid() ? qMin(currentIndex().column(), m_model->columnCount() - 1) : 0;
        const QModelIndex target = m_model->index(row, column);
        // With several rows selectable, a cursor already where the grid's current row is was
        // moved by the user's own click: the selection the click makes stays.
        const bool userMovedHere = selectionMode() == QAbstractItemView::ExtendedSelection && currentIndex().row() == row;
        if (!userMovedHere && (currentIndex() != target || !selectionModel()->isRowSelected(row, {})))
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else if (selectionModel()) {
        selectionModel()->clear();
    }
    m_syncing = false;
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !m_model || m_model->isFollowingDataset() || !current.isValid())
        return;
    Dataset *ds = dataset();
    if (!ds || current.row() == ds->currentRow())
        return;
    // The user moved: the dataset follows (posting a pending row). When it cannot, the grid
    // goes back to the row the dataset is still on, once this selection change is over.
    if (!m_model->setCurrentRow(current.row()))
        QMetaObject::invokeMethod(this, &DataGrid::syncFromDataset, Qt::QueuedConnection);
}

void DataGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter in a cell editor posts through the model; a new row posted that way starts the
    // next one as Enter on the grid does.
    Dataset *ds = dataset();
    const bool wasNew = ds && ds->state() == Dataset::State::Insert;
    QTableView::closeEditor(editor, hint);
    if (wasNew && hint == QAbstractItemDelegate::SubmitModelCache && !m_nextRowField.isEmpty() && ds == dataset()
        && !ds->isEditing())
        QMetaObject::invokeMethod(this, &DataGrid::startNextRow, Qt::QueuedConnection);
}

bool DataGrid::startNextRow()
{
    Dataset *ds = dataset();
    if (!ds || m_readOnly || !ds->isOpen() || ds->isEditing())
        return false;
    if (!m_errors.report(ds->append()))
        return false;
    syncFromDataset();
    const int column = m_model ? m_model->columnOf(m_nextRowField) : -1;
    if (column >= 0 && ds->currentRow() >= 0)
        setCurrentIndex(m_model->index(ds->currentRow(), column));
    return true;
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter in a cell editor: the editor's value is committed and the row posted as the
        // editor closes; posting here first would leave the typed value out.
        if (state() == QAbstractItemView::EditingState) {
            event->accept();
            return;
        }
        if (!m_readOnly && dataset() && dataset()->isEditing()) {
            const bool wasNew = dataset()->state() == Dataset::State::Insert;
            if (postRow() && wasNew && !m_nextRowField.isEmpty())
                startNextRow();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (dataset() && dataset()->isEditing()) {
            cancelRow();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Insert:
        if (event->modifiers() & Qt::AltModifier) {
            insertRow();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

} // namespace hemu
