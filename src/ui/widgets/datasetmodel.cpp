#include "ui/widgets/datasetmodel.h"

#include "core/format/datetext.h"
#include "core/format/numberformat.h"

namespace hemu {

namespace {

struct Following
{
    explicit Following(int &counter)
        : m_counter(counter)
    {
        ++m_counter;
    }
    ~Following() { --m_counter; }
    int &m_counter;
};

QString indicatorText(Dataset::State state)
{
    switch (state) {
    case Dataset::State::Insert:
        return QStringLiteral("*");
    case Dataset::State::Edit:
        return QStringLiteral("✎");
    default:
        return QStringLiteral("▶");
    }
}

} // namespace

DatasetModel::DatasetModel(Dataset *dataset, QObject *parent)
    : QAbstractTableModel(parent)
    , m_dataset(dataset)
{
    resolveColumns();
    connectDataset();
    m_indicatorRow = m_dataset ? m_dataset->currentRow() : -1;
}

void DatasetModel::connectDataset()
{
    if (!m_dataset)
        return;
    connect(m_dataset, &Dataset::rowsAboutToBeReset, this, &DatasetModel::onAboutToReset);
    connect(m_dataset, &Dataset::rowsReset, this, &DatasetModel::onReset);
    connect(m_dataset, &Dataset::rowAboutToBeInserted, this, &DatasetModel::onAboutToInsert);
    connect(m_dataset, &Dataset::rowInserted, this, &DatasetModel::onInserted);
    connect(m_dataset, &Dataset::rowAboutToBeRemoved, this, &DatasetModel::onAboutToRemove);
    connect(m_dataset, &Dataset::rowRemoved, this, &DatasetModel::onRemoved);
    connect(m_dataset, &Dataset::rowChanged, this, &DatasetModel::emitRowChanged);
    connect(m_dataset, &Dataset::rowsAboutToBeAppended, this, &DatasetModel::onAboutToAppend);
    connect(m_dataset, &Dataset::rowsAppended, this, &DatasetModel::onAppended);
    connect(m_dataset, &Dataset::currentChanged, this, &DatasetModel::onCurrentChanged);
    connect(m_dataset, &Dataset::stateChanged, this, [this] { emitIndicatorChanged(m_indicatorRow); });
    connect(m_dataset, &Dataset::fieldsChanged, this, &DatasetModel::onStructureChanged);
    connect(m_dataset, &Dataset::activeChanged, this, &DatasetModel::onStructureChanged);
    connect(m_dataset, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_columns.clear();
        endResetModel();
    });
}

void DatasetModel::setFieldNames(const QStringList &names)
{
    beginResetModel();
    m_requestedNames = names;
    resolveColumns();
    endResetModel();
}

void DatasetModel::resolveColumns()
{
    m_columns.clear();
    if (!m_dataset)
        return;
    if (m_requestedNames.isEmpty()) {
        for (const Field *field : m_dataset->visibleFields())
            m_columns.append(field->index());
        return;
    }
    for (const QString &name : m_requestedNames) {
        const int index = m_dataset->fieldIndex(name);
        if (index >= 0)
            m_columns.append(index);
    }
}

Field *DatasetModel::fieldAt(int column) const
{
    if (!m_dataset || column < 0 || column >= m_columns.size())
        return nullptr;
    const int index = m_columns.at(column);
    if (index < 0 || index >= m_dataset->fieldCount())
        return nullptr;
    return &m_dataset->field(index);
}

int DatasetModel::columnOf(const QString &fieldName) const
{
    if (!m_dataset)
        return -1;
    const int index = m_dataset->fieldIndex(fieldName);
    return index < 0 ? -1 : int(m_columns.indexOf(index));
}

void DatasetModel::setReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {});
}

void DatasetModel::setColumnOptions(const QString &fieldName, const ColumnOptions &options)
{
    m_columnOptions.insert(fieldName.toLower(), options);
    const int column = columnOf(fieldName);
    if (column < 0)
        return;
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

void DatasetModel::clearColumnOptions()
{
    m_columnOptions.clear();
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

DatasetModel::ColumnOptions DatasetModel::columnOptions(const Field &field) const
{
    return m_columnOptions.value(field.name().toLower());
}

void DatasetModel::setBooleanStyle(const QString &fieldName, BooleanStyle style)
{
    m_booleanStyles.insert(fieldName.toLower(), style);
    const int column = columnOf(fieldName);
    if (column >= 0 && rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

DatasetModel::BooleanStyle DatasetModel::booleanStyle(const Field &field) const
{
    if (field.dataType() != DataType::Boolean)
        return BooleanStyle::Text;
    return m_booleanStyles.value(field.name().toLower(), BooleanStyle::Text);
}

void DatasetModel::setRowColours(RowColours colours)
{
    m_rowColours = std::move(colours);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole, Qt::FontRole});
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->isOpen())
        return 0;
    return m_dataset->rowCount();
}

bool DatasetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_dataset && m_dataset->canFetchMore();
}

void DatasetModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const DatasetError e = m_dataset->fetchMore();
    if (e.failed())
        fail(e);
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::editValueAt(int row, const Field &field) const
{
    return editValue(m_dataset->value(row, field.index()), field);
}

QVariant DatasetModel::editValue(const QVariant &value, const Field &field)
{
    if (value.isNull())
        return field.dataType() == DataType::Date ? QVariant() : QVariant(QString());
    switch (field.dataType()) {
    case DataType::Float:
        // Editors get every digit the value has, not the display pattern's rounding.
        return NumberFormat::defaultText(value.toDouble());
    case DataType::Integer:
        return QString::number(value.toLongLong());
    case DataType::Date:
        return value.metaType().id() == QMetaType::QString ? QVariant(parseStoredDate(value.toString()))
                                                           : QVariant(value.toDate());
    case DataType::Boolean:
        return value.toBool();
    case DataType::Text:
    case DataType::Blob:
        break;
    }
    return value.toString();
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    const Field *field = fieldAt(index.column());
    if (!field || index.row() < 0 || index.row() >= rowCount())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole: {
        if (booleanStyle(*field) == BooleanStyle::CheckBox)
            return {};
        const auto options = m_columnOptions.constFind(field->name().toLower());
        if (options != m_columnOptions.cend() && !options->choices.isEmpty())
            return choiceText(options->choices, m_dataset->value(row, field->index()));
        return m_dataset->displayText(row, field->index());
    }
    case Qt::EditRole:
        if (field->isLookup() && columnOptions(*field).keyEditable)
            return keyValuesAt(row, *field);
        return editValueAt(row, *field);
    case Qt::CheckStateRole:
        if (booleanStyle(*field) != BooleanStyle::CheckBox)
            return {};
        return m_dataset->value(row, field->index()).toBool() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (field->isNumeric())
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (field->dataType() == DataType::Boolean)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        const QVariant rowColour = m_rowColours ? m_rowColours(row, role) : QVariant();
        if (rowColour.isValid())
            return rowColour;
        const QColor column = columnOptions(*field).background;
        return column.isValid() ? QVariant(column) : QVariant();
    }
    case Qt::ForegroundRole:
    case Qt::FontRole:
    case SelectedBackgroundRole:
    case SelectedForegroundRole:
        return m_rowColours ? m_rowColours(row, role) : QVariant();
    case FieldNameRole:
        return field->name();
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && m_dataset && section == m_dataset->currentRow())
            return indicatorText(m_dataset->state());
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }
    const Field *field = fieldAt(section);
    if (!field)
        return {};
    const QString caption = columnOptions(*field).caption.isEmpty() ? field->displayLabel() : columnOptions(*field).caption;
    switch (role) {
    case CaptionRole:
        return caption;
    case Qt::DisplayRole:
        return QString(caption).replace(QLatin1Char('|'), QLatin1Char('\n'));
    case FieldNameRole:
        return field->name();
    default:
        return {};
    }
}

QVariant DatasetModel::keyValuesAt(int row, const Field &field) const
{
    QVariantList key;
    for (const QString &name : field.keyFields())
        key.append(m_dataset->value(row, m_dataset->fieldIndex(name)));
    return key;
}

bool DatasetModel::isEditable(const Field &field) const
{
    if (m_readOnly || !m_dataset || !m_dataset->isOpen() || m_dataset->isReadOnly() || columnOptions(field).readOnly)
        return false;
    if (field.isLookup() && columnOptions(field).keyEditable) {
        // Chosen by key: editable as far as the keys it assigns are.
        for (const QString &name : field.keyFields()) {
            const Field *key = m_dataset->findField(name);
            if (!key || key->isReadOnly())
                return false;
        }
        return !field.keyFields().isEmpty();
    }
    if (field.isReadOnly())
        return false;
    switch (field.dataType()) {
    case DataType::Blob:
        return false; // pictures are loaded through an image binder, not typed
    case DataType::Boolean:
        return booleanStyle(field) == BooleanStyle::CheckBox;
    default:
        return true;
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    const Field *field = fieldAt(index.column());
    if (!field)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (isEditable(*field))
        result |= booleanStyle(*field) == BooleanStyle::CheckBox ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return result;
}

bool DatasetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    Field *field = fieldAt(index.column());
    if (!field || !isEditable(*field) || index.row() >= rowCount())
        return false;
    m_assignFailed = false;
    QVariant newValue;
    if (role == Qt::CheckStateRole) {
        if (booleanStyle(*field) != BooleanStyle::CheckBox)
            return false;
        newValue = value.toInt() == Qt::Checked;
        if (newValue.toBool() == m_dataset->value(index.row(), field->index()).toBool())
            return true;
    } else if (role == Qt::EditRole && field->isLookup()) {
        // A key chosen for a lookup column: assigned to the key fields below.
        if (value.toList() == keyValuesAt(index.row(), *field).toList())
            return true;
        newValue = value;
    } else if (role == Qt::EditRole) {
        if (value == editValueAt(index.row(), *field))
            return true;
        // An emptied cell is an empty value, whatever the field's type.
        const bool empty = !value.isValid() || (value.metaType().id() == QMetaType::QString && value.toString().isEmpty());
        newValue = empty ? QVariant() : value;
    } else {
        return false;
    }

    if (index.row() != m_dataset->currentRow() && !setCurrentRow(index.row()))
        return false;
    if (!m_dataset->isEditing()) {
        const DatasetError error = m_dataset->edit();
        if (error.failed()) {
            fail(error);
            return false;
        }
    }
    DatasetError error;
    if (field->isLookup()) {
        const QStringList keys = field->keyFields();
        const QVariantList values = newValue.toList();
        for (int i = 0; i < keys.size() && error.ok(); ++i)
            error = m_dataset->setValue(keys.at(i), values.value(i));
    } else {
        error = field->setValue(newValue);
    }
    // The pending row shows what it holds now, accepted or not.
    emitRowChanged(m_dataset->currentRow());
    if (error.failed()) {
        m_assignFailed = true;
        fail(error);
        return false;
    }
    return true;
}

bool DatasetModel::submit()
{
    // A view following a change of the dataset is not the user asking for a post.
    if (!m_dataset || !m_dataset->isEditing() || isFollowingDataset())
        return true;
    if (m_assignFailed) {
        m_assignFailed = false;
        return false;
    }
    const DatasetError error = m_dataset->post();
    if (error.failed()) {
        fail(error);
        return false;
    }
    return true;
}

bool DatasetModel::setCurrentRow(int row)
{
    if (!m_dataset || row == m_dataset->currentRow())
        return true;
    if (m_dataset->setCurrentRow(row))
        return true;
    fail(m_dataset->lastError());
    return false;
}

void DatasetModel::fail(const DatasetError &error)
{
    emit errorOccurred(error);
}

void DatasetModel::emitRowChanged(int row)
{
    if (row < 0 || row >= rowCount() || columnCount() == 0 || m_resetting)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DatasetModel::emitIndicatorChanged(int row)
{
    if (row >= 0 && row < rowCount() && !m_resetting)
        emit headerDataChanged(Qt::Vertical, row, row);
}

// The dataset announces its changes in pairs; a change that arrives without its announcement
// (an enableControls() after notifications were suspended) is taken as a reset, so the model
// never reports a row count the view has not been told about.

void DatasetModel::onAboutToReset()
{
    const Following following(m_following);
    if (m_resetting)
        return;
    beginResetModel();
    m_resetting = true;
}

void DatasetModel::onReset()
{
    const Following following(m_following);
    if (!m_resetting)
        beginResetModel();
    m_resetting = false;
    m_inserting = m_removing = false;
    m_indicatorRow = m_dataset ? m_dataset->currentRow() : -1;
    endResetModel();
}

void DatasetModel::onAboutToInsert(int row)
{
    onAboutToAppend(row, row);
}

void DatasetModel::onInserted(int row)
{
    // The row marked as current moves down with the rows above it.
    if (!m_resetting && m_inserting && m_indicatorRow >= row)
        ++m_indicatorRow;
    onAppended();
}

void DatasetModel::onAboutToAppend(int first, int last)
{
    const Following following(m_following);
    if (m_resetting)
        return;
    beginInsertRows({}, first, last);
    m_inserting = true;
}

void DatasetModel::onAppended()
{
    const Following following(m_following);
    if (m_resetting)
        return;
    if (!m_inserting) {
        onReset();
        return;
    }
    m_inserting = false;
    endInsertRows();
}

void DatasetModel::onAboutToRemove(int row)
{
    const Following following(m_following);
    if (m_resetting)
        return;
    beginRemoveRows({}, row, row);
    m_removing = true;
}

void DatasetModel::onRemoved(int row)
{
    const Following following(m_following);
    if (m_resetting)
        return;
    if (!m_removing) {
        onReset();
        return;
    }
    m_removing = false;
    if (m_indicatorRow > row)
        --m_indicatorRow;
    else if (m_indicatorRow == row)
        m_indicatorRow = -1;
    endRemoveRows();
}

void DatasetModel::onCurrentChanged(int row)
{
    const Following following(m_following);
    const int previous = m_indicatorRow;
    m_indicatorRow = row;
    emitIndicatorChanged(previous);
    emitIndicatorChanged(row);
    emit currentRowChanged(row);
}

void DatasetModel::onStructureChanged()
{
    const Following following(m_following);
    const QVector<int> previous = m_columns;
    resolveColumns();
    if (m_resetting)
        return;
    if (m_columns == previous) {
        // Same columns: a caption, a display format or a visibility elsewhere changed. The
        // rows stay as they are; only what they show is drawn again.
        if (!m_columns.isEmpty()) {
            emit headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
            if (rowCount() > 0)
                emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        }
        return;
    }
    const QVector<int> next = m_columns;
    m_columns = previous;
    beginResetModel();
    m_columns = next;
    m_inserting = m_removing = false;
    m_indicatorRow = m_dataset ? m_dataset->currentRow() : -1;
    endResetModel();
}

} // namespace hemu
