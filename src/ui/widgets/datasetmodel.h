#pragma once

#include "core/dataset/dataset.h"
#include "ui/widgets/gridcolumn.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QVector>
#include <functional>

namespace hemu {

/**
 * A table model over one Dataset: a column per field, a row per row of the dataset's view,
 * edits assigned through the dataset, and the dataset's changes followed row by row.
 */
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// headerData() role giving the field's caption as written ("上|下"); DisplayRole gives
    /// it with the '|' as a line break for views that know nothing of two-line titles.
    static constexpr int CaptionRole = Qt::UserRole + 1;
    /// data() role giving the field's name.
    static constexpr int FieldNameRole = Qt::UserRole + 2;
    /// data() roles asked of the row colours for a selected row: its background and text
    /// (invalid: the grid's selection colours).
    static constexpr int SelectedBackgroundRole = Qt::UserRole + 3;
    static constexpr int SelectedForegroundRole = Qt::UserRole + 4;

    /// How a Boolean field shows: as the field's own texts ("√", "是") or as a check box.
    enum class BooleanStyle { Text, CheckBox };

    /// Colours of a whole row (negative quantities red, goods out of use grey): asked for
    /// BackgroundRole, ForegroundRole, FontRole and, for a selected row, the two Selected
    /// roles; an invalid QVariant means the default.
    using RowColours = std::function<QVariant(int row, int role)>;

    explicit DatasetModel(Dataset *dataset, QObject *parent = nullptr);

    Dataset *dataset() const { return m_dataset; }

    /// Shows these fields, in this order (names the dataset does not have are left out);
    /// an empty list shows the dataset's visible fields.
    void setFieldNames(const QStringList &names);
    QStringList fieldNames() const { return m_requestedNames; }
    /// The field shown in `column`, nullptr when there is none.
    Field *fieldAt(int column) const;
    /// The column showing `fieldName` (case-insensitive), -1 when it is not shown.
    int columnOf(const QString &fieldName) const;

    /// No edits through the model at all (the dataset's and fields' read-only flags count too).
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    /// What a grid says about one of its columns beyond the field's own properties.
    struct ColumnOptions
    {
        QString caption;    ///< replaces the field's caption when set
        QColor background;  ///< of every cell, unless a row colour gives one
        bool readOnly = false;
        /// A lookup field edited by choosing a key (setData with the key values as a list).
        bool keyEditable = false;
        Choices choices;    ///< values shown by their choice text
    };
    void setColumnOptions(const QString &fieldName, const ColumnOptions &options);
    void clearColumnOptions();
    ColumnOptions columnOptions(const Field &field) const;

    void setBooleanStyle(const QString &fieldName, BooleanStyle style);
    BooleanStyle booleanStyle(const Field &field) const;

    void setRowColours(RowColours colours);

    /// A value as an editor starts from: every digit of a number (not the display pattern's
    /// rounding) as text, a date as a QDate, a Boolean as bool, anything else as text.
    static QVariant editValue(const QVariant &value, const Field &field);

    /// True while the model passes on a change of the dataset's rows: views moving their
    /// current index then must not move the dataset's cursor back.
    bool isFollowingDataset() const { return m_following > 0; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    /// Moves the dataset to the row, starts an edit when needed and assigns the field. An
    /// unchanged value changes nothing (opening and closing an editor starts no edit).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    /// Posts the pending row: item views call it when an editor is closed with Enter. Not
    /// after an assignment that failed: the user is looking at the message about it.
    bool submit() override;
    /// A dataset read a page at a time: the view asks for the next page as it scrolls there.
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

public slots:
    /// Moves the dataset's cursor (posting a pending row); false with errorOccurred() when
    /// the dataset could not move.
    bool setCurrentRow(int row);

signals:
    /// An action of the model failed; windows show it unless it was refused or reported.
    void errorOccurred(const hemu::DatasetError &error);
    /// The dataset's cursor moved (row -1: no current row).
    void currentRowChanged(int row);

private:
    void connectDataset();
    void resolveColumns();
    bool isEditable(const Field &field) const;
    QVariant editValueAt(int row, const Field &field) const;
    QVariant keyValuesAt(int row, const Field &field) const;
    void fail(const DatasetError &error);
    void emitRowChanged(int row);
    void emitIndicatorChanged(int row);

    void onAboutToReset();
    void onReset();
    void onAboutToInsert(int row);
    void onInserted(int row);
    void onAboutToRemove(int row);
    void onRemoved(int row);
    void onAboutToAppend(int first, int last);
    void onAppended();
    void onCurrentChanged(int row);
    void onStructureChanged();

    QPointer<Dataset> m_dataset;
    QStringList m_requestedNames;
    QVector<int> m_columns; // field indexes
    QHash<QString, BooleanStyle> m_booleanStyles; // lower-case field name
    QHash<QString, ColumnOptions> m_columnOptions; // lower-case field name
    RowColours m_rowColours;
    bool m_readOnly = false;
    bool m_resetting = false;
    bool m_inserting = false;
    bool m_removing = false;
    int m_indicatorRow = -1;
    int m_following = 0;
    bool m_assignFailed = false; // the last setData() was refused
};

} // namespace hemu
