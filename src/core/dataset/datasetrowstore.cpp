// The row store: the rows in load order, found by serial, rowid or lookup key.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"

#include <algorithm>

namespace hemu {

using namespace datasetrows;

const Dataset::Row *Dataset::findByKey(const QStringList &keyFields, const QVariantList &keyValues) const
{
    ensureAllRows();
    QVector<int> indexes;
    for (const QString &name : keyFields) {
        const int i = fieldIndex(name);
        if (i < 0)
            return nullptr;
        indexes.append(i);
    }
    // One hash per key-field list, rebuilt when the rows change: lookups of a 100,000-row
    // grid must not scan the lookup table once per cell.
    // A row changed or added without touching the keys keeps the index (see keepLookups).
    const QString signature = keyFields.join(QChar(0x1f)).toLower();
    LookupIndex &index = (*m_lookupIndexes)[signature];
    if (index.version != m_version) {
        index.fields = indexes;
        index.rows.clear();
        index.rows.reserve(qsizetype(m_rows.size()));
        for (const Row *row : m_rows) {
            const QString k = lookupKey(index, row->values);
            if (!index.rows.contains(k))
                index.rows.insert(k, row);
        }
        index.version = m_version;
    }
    return index.rows.value(joinedKey(keyValues), nullptr);
}

QString Dataset::lookupKey(const LookupIndex &index, const RowValues &values) const
{
    QVariantList key;
    key.reserve(index.fields.size());
    for (int i : index.fields)
        key.append(fieldValue(values, i));
    return joinedKey(key);
}

void Dataset::keepLookups(quint64 before, const std::function<bool(LookupIndex &)> &stillValid)
{
    for (auto it = m_lookupIndexes->begin(); it != m_lookupIndexes->end(); ++it) {
        if (it->version == before && stillValid(*it))
            it->version = m_version;
    }
}

void Dataset::rowValuesChanged(Row *row, const RowValues &before)
{
    const quint64 version = m_version;
    bumpVersion();
    // The indexes point at row objects: one whose keys stayed the same is still right.
    keepLookups(version, [&](LookupIndex &index) { return lookupKey(index, before) == lookupKey(index, row->values); });
}

void Dataset::clearRows()
{
    for (Row *r : m_rows)
        delete r;
    m_rows.clear();
    m_rowidOrdered = true;
    m_rowidIndex.reset();
    for (Row *r : m_batchDeleted)
        delete r;
    m_batchDeleted.clear();
    m_batchInfo->clear();
    m_view.clear();
    m_current = -1;
    bumpVersion();
}

Dataset::Row *Dataset::findBySerial(quint64 serial) const
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), serial,
                               [](const Row *r, quint64 s) { return r->serial < s; });
    return it != m_rows.end() && (*it)->serial == serial ? *it : nullptr;
}

void Dataset::insertStored(Row *row)
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row->serial,
                               [](const Row *r, quint64 s) { return r->serial < s; });
    const bool atEnd = it == m_rows.end();
    if (m_rowidOrdered) {
        // Still ordered by rowid when the row has one that falls between its neighbours.
        const bool afterPrevious = it == m_rows.begin() || (*(it - 1))->rowid < row->rowid;
        const bool beforeNext = atEnd || row->rowid < (*it)->rowid;
        m_rowidOrdered = row->hasRowid && afterPrevious && beforeNext;
    }
    if (m_rowidIndex && row->hasRowid && !m_rowidIndex->contains(row->rowid))
        m_rowidIndex->insert(row->rowid, row);
    it = m_rows.insert(it, row);
    const quint64 version = m_version;
    bumpVersion();
    // A row added after all others is found last for its key: only a new key changes an index.
    if (atEnd) {
        keepLookups(version, [&](LookupIndex &index) {
            const QString k = lookupKey(index, row->values);
            if (!index.rows.contains(k))
                index.rows.insert(k, row);
            return true;
        });
    }
}

void Dataset::removeStored(Row *row)
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row->serial,
                               [](const Row *r, quint64 s) { return r->serial < s; });
    if (it == m_rows.end() || *it != row)
        it = std::find(m_rows.begin(), m_rows.end(), row);
    if (it != m_rows.end())
        m_rows.erase(it);
    if (m_rowidIndex && row->hasRowid && m_rowidIndex->value(row->rowid) == row)
        m_rowidIndex->remove(row->rowid);
    const quint64 version = m_version;
    bumpVersion();
    // An index that finds another row for this row's key does not change.
    keepLookups(version, [&](LookupIndex &index) { return index.rows.value(lookupKey(index, row->values)) != row; });
}

void Dataset::setRowid(Row *row, qint64 rowid, bool hasRowid)
{
    if (row->rowid == rowid && row->hasRowid == hasRowid)
        return;
    row->rowid = rowid;
    row->hasRowid = hasRowid;
    m_rowidOrdered = false;
    m_rowidIndex.reset();
}

Dataset::Row *Dataset::findByRowid(qint64 rowid) const
{
    if (m_rowidOrdered) {
        auto it = std::lower_bound(m_rows.begin(), m_rows.end(), rowid, [](const Row *r, qint64 id) { return r->rowid < id; });
        return it != m_rows.end() && (*it)->rowid == rowid ? *it : nullptr;
    }
    if (!m_rowidIndex) {
        m_rowidIndex = std::make_unique<QHash<qint64, Row *>>();
        m_rowidIndex->reserve(qsizetype(m_rows.size()));
        for (Row *r : m_rows) {
            if (r->hasRowid && !m_rowidIndex->contains(r->rowid))
                m_rowidIndex->insert(r->rowid, r);
        }
    }
    return m_rowidIndex->value(rowid, nullptr);
}

} // namespace hemu
