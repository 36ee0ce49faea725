#pragma once

#include <QStyledItemDelegate>

namespace hemu {

class DataGrid;

/**
 * The in-cell editors of a DataGrid: the field's own editor for text, number and date
 * columns, a drop-down over a lookup dataset (LookupList: nothing copied, fast over 100,000
 * goods) and a drop-down over a fixed list of choices, as the grid's column definitions say.
 */
class CellEditor : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CellEditor(DataGrid *grid);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

protected:
    /// A selected row drawn in the colours its row-colour rule gives for selection.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    DataGrid *m_grid;
};

} // namespace hemu
