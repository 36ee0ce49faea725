#include "ui/widgets/celleditor.h"

#include "core/dataset/dataset.h"
#include "core/dataset/valuecompare.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/lookuplist.h"

#include <QComboBox>
#include <QListView>

namespace hemu {

namespace {

constexpr char choiceEditor[] = "choiceEditor";

} // namespace

CellEditor::CellEditor(DataGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

void CellEditor::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected))
        return;
    const QVariant background = index.data(DatasetModel::SelectedBackgroundRole);
    const QVariant text = index.data(DatasetModel::SelectedForegroundRole);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        if (background.canConvert<QColor>() && background.isValid())
            option->palette.setColor(group, QPalette::Highlight, background.value<QColor>());
        if (text.canConvert<QColor>() && text.isValid())
            option->palette.setColor(group, QPalette::HighlightedText, text.value<QColor>());
    }
}

QWidget *CellEditor::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const GridColumn *column = m_grid->columnAt(index.column());
    const Field *field = m_grid->datasetModel() ? m_grid->datasetModel()->fieldAt(index.column()) : nullptr;
    if (!column || !field)
        return QStyledItemDelegate::createEditor(parent, option, index);
    switch (column->editor) {
    case GridColumn::Editor::Lookup: {
        LookupList *list = nullptr;
        if (field->isLookup())
            list = new LookupList(field->lookupDataset(), field->lookupKeyFields(), field->lookupResultField());
        else if (column->lookup)
            list = new LookupList(column->lookup, {column->lookupKey}, column->lookupList);
        if (!list)
            return nullptr;
        auto *combo = new QComboBox(parent);
        list->setParent(combo);
        combo->setObjectName(QStringLiteral("cellLookup"));
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setModel(list);
        if (auto *view = qobject_cast<QListView *>(combo->view()))
            view->setUniformItemSizes(true); // 100,000 rows are never measured one by one
        return combo;
    }
    case GridColumn::Editor::Choice: {
        auto *combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("cellChoice"));
        combo->setProperty(choiceEditor, true);
        for (const Choice &choice : column->choices)
            combo->addItem(choice.text, choice.value);
        return combo;
    }
    case GridColumn::Editor::None:
        return nullptr;
    case GridColumn::Editor::Text:
        break;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void CellEditor::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (!combo) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    // The stored value, not the editor text of it: keys and choices compare as values.
    const Field *field = m_grid->datasetModel() ? m_grid->datasetModel()->fieldAt(index.column()) : nullptr;
    const QVariant value = field && !field->isLookup() && m_grid->dataset()
                               ? m_grid->dataset()->value(index.row(), field->index())
                               : index.data(Qt::EditRole);
    if (auto *list = qobject_cast<LookupList *>(combo->model())) {
        combo->setCurrentIndex(list->rowOfKey(value.metaType().id() == QMetaType::QVariantList ? value.toList()
                                                                                                : QVariantList{value}));
        return;
    }
    int found = -1;
    for (int i = 0; i < combo->count() && found < 0; ++i) {
        if (!value.isNull() && ValueCompare::equal(combo->itemData(i), value))
            found = i;
    }
    combo->setCurrentIndex(found);
}

void CellEditor::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (!combo) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (combo->currentIndex() < 0)
        return; // nothing chosen: the cell keeps its value
    if (auto *list = qobject_cast<LookupList *>(combo->model())) {
        const QVariantList key = list->keyAt(combo->currentIndex());
        const Field *field = m_grid->datasetModel() ? m_grid->datasetModel()->fieldAt(index.column()) : nullptr;
        // A lookup field takes the whole key; a key column takes its one value.
        model->setData(index, field && field->isLookup() ? QVariant(key) : key.value(0), Qt::EditRole);
        return;
    }
    model->setData(index, combo->currentData(), Qt::EditRole);
}

} // namespace hemu
