#include "ui/widgets/lookuplist.h"

#include "core/dataset/dataset.h"
#include "core/dataset/valuecompare.h"
#include "ui/widgets/datasetwatcher.h"

namespace hemu {

LookupList::LookupList(Dataset *lookup, const QStringList &keyFields, const QString &listField, QObject *parent)
    : QAbstractListModel(parent)
    , m_lookup(lookup)
    , m_keyFields(keyFields)
    , m_listField(listField)
{
    datasetChanged();
    DatasetWatcher::subscribe(lookup, this,
                              DatasetWatcher::AllRows | DatasetWatcher::State | DatasetWatcher::Fields
                                  | DatasetWatcher::Destroyed,
                              [this] { datasetChanged(); });
}

void LookupList::datasetChanged()
{
    // Any change may move rows: the list starts again (cheap, nothing is copied).
    beginResetModel();
    const Dataset *lookup = m_lookup;
    m_keyIndexes.clear();
    m_listIndex = -1;
    m_rows = 0;
    m_pendingRow = -1;
    if (lookup && lookup->isOpen()) {
        m_listIndex = lookup->fieldIndex(m_listField);
        for (const QString &name : std::as_const(m_keyFields))
            m_keyIndexes.append(lookup->fieldIndex(name));
        if (m_listIndex >= 0 && !m_keyIndexes.contains(-1)) {
            m_rows = lookup->rowCount();
            if (lookup->state() == Dataset::State::Insert && lookup->isPendingRow(lookup->currentRow())) {
                m_pendingRow = lookup->currentRow();
                --m_rows;
            }
        }
    }
    m_rowOfKey.clear();
    m_indexed = false;
    endResetModel();
}

int LookupList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariantList LookupList::keyAt(int row) const
{
    QVariantList key;
    if (row < 0 || row >= m_rows || !m_lookup)
        return key;
    for (int index : m_keyIndexes)
        key.append(m_lookup->value(datasetRow(row), index));
    return key;
}

QString LookupList::hashOf(const QVariantList &key) const
{
    QString text;
    for (const QVariant &part : key) {
        text += ValueCompare::hashKey(part);
        text += QChar(0x1f);
    }
    return text;
}

int LookupList::rowOfKey(const QVariantList &key) const
{
    if (key.size() != m_keyIndexes.size() || key.isEmpty())
        return -1;
    for (const QVariant &part : key) {
        if (part.isNull())
            return -1;
    }
    if (!m_indexed) {
        m_rowOfKey.clear();
        m_rowOfKey.reserve(m_rows);
        for (int row = m_rows - 1; row >= 0; --row)
            m_rowOfKey.insert(hashOf(keyAt(row)), row); // the first row of a key wins
        m_indexed = true;
    }
    return m_rowOfKey.value(hashOf(key), -1);
}

QVariant LookupList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || !m_lookup)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_lookup->displayText(datasetRow(index.row()), m_listIndex);
    case KeyRole:
        return keyAt(index.row());
    default:
        return {};
    }
}

} // namespace hemu
