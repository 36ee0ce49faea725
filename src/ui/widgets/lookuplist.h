#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QPointer>
#include <QStringList>

namespace hemu {

class Dataset;

/**
 * The rows of a lookup dataset as a list for a drop-down: the text of one field per row,
 * the row's key beside it. It reads the dataset in place (nothing copied), so a list over
 * 100,000 goods costs nothing until the drop-down shows a few of them, and it follows the
 * dataset's changes. A new row not yet posted is not offered.
 */
class LookupList : public QAbstractListModel
{
    Q_OBJECT
public:
    /// data() role giving the row's key values (QVariantList).
    static constexpr int KeyRole = Qt::UserRole + 10;

    LookupList(Dataset *lookup, const QStringList &keyFields, const QString &listField, QObject *parent = nullptr);

    Dataset *dataset() const { return m_lookup; }
    QStringList keyFields() const { return m_keyFields; }
    QString listField() const { return m_listField; }

    /// The key of `row`.
    QVariantList keyAt(int row) const;
    /// The row holding `key`; -1 when none does (or the key has a NULL part).
    int rowOfKey(const QVariantList &key) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QString hashOf(const QVariantList &key) const;
    /// The dataset row shown as list row `row`.
    int datasetRow(int row) const { return m_pendingRow >= 0 && row >= m_pendingRow ? row + 1 : row; }
    void datasetChanged();

    QPointer<Dataset> m_lookup;
    QStringList m_keyFields;
    QString m_listField;
    QVector<int> m_keyIndexes;
    int m_listIndex = -1;
    int m_rows = 0;
    int m_pendingRow = -1; // the dataset's unposted new row, left out of the list
    // key → row, built on the first search after a change.
    mutable QHash<QString, int> m_rowOfKey;
    mutable bool m_indexed = false;
};

} // namespace hemu
