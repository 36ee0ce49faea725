// Batch mode (changes held until applyUpdates) and following a rollback of the enclosing
// transaction: the rows in memory go back to what the file holds.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/db/database.h"

#include <algorithm>

namespace hemu {

using namespace datasetrows;

void Dataset::registerReloadUndo()
{
    if (m_db.transactionDepth() == 0)
        return;
    // Rows read inside a transaction that is later rolled back are read again afterwards.
    QPointer<Dataset> self(this);
    const quint64 generation = m_loadGeneration;
    m_db.onRollback([self, generation] {
        if (self && self->isOpen() && self->m_loadGeneration == generation && !self->isEditing())
            self->reload();
    });
}

void Dataset::registerUndo(const std::shared_ptr<Snapshot> &snapshot)
{
    if (m_db.transactionDepth() == 0)
        return;
    QPointer<Dataset> self(this);
    m_db.onRollback([self, snapshot] {
        if (self)
            self->undo(*snapshot);
    });
}

void Dataset::undo(Snapshot &s)
{
    // Rows loaded again since the write are undone by that load's own handler.
    if (!isOpen() || s.generation != m_loadGeneration)
        return;
    switch (s.kind) {
    case Snapshot::Inserted: {
        Row *row = findBySerial(s.serial);
        if (!row)
            return;
        if (m_state == State::Edit && rowAt(m_current) == row)
            cancel();
        const int position = viewIndexOf(row);
        removeStored(row);
        viewRemove(position);
        m_batchInfo->remove(row->serial);
        delete row;
        emitCurrent();
        notifyDetails(false);
        break;
    }
    case Snapshot::Edited: {
        Row *row = findBySerial(s.serial);
        if (!row)
            return;
        row->values = s.values;
        setRowid(row, s.rowid, s.hasRowid);
        bumpVersion();
        emitRowChanged(viewIndexOf(row));
        notifyDetails(false);
        break;
    }
    case Snapshot::Deleted: {
        if (!s.deleted)
            return;
        Row *row = s.deleted.release();
        insertStored(row);
        viewInsert(qMin(s.viewIndex, int(m_view.size())), row);
        emitCurrent();
        notifyDetails(false);
        break;
    }
    case Snapshot::Batch: {
        for (const Snapshot::RowState &rs : std::as_const(s.rows)) {
            if (Row *row = findBySerial(rs.serial)) {
                row->values = rs.values;
                setRowid(row, rs.rowid, rs.hasRowid);
            }
        }
        for (auto it = s.batchInfo.cbegin(); it != s.batchInfo.cend(); ++it) {
            if (findBySerial(it.key()))
                m_batchInfo->insert(it.key(), it.value());
        }
        for (auto &row : s.batchDeleted) {
            const quint64 serial = row->serial;
            m_batchDeleted.push_back(row.release());
            if (s.batchInfo.contains(serial))
                m_batchInfo->insert(serial, s.batchInfo.value(serial));
        }
        s.batchDeleted.clear();
        bumpVersion();
        emitReset();
        emitCurrent();
        break;
    }
    }
}

bool Dataset::updatesPending() const
{
    return !m_batchInfo->isEmpty() || !m_batchDeleted.empty();
}

DatasetError Dataset::applyUpdates()
{
    if (!isOpen())
        return remember(stateError(QStringLiteral("写入修改")));
    DatasetError e = checkBrowseMode();
    if (e.failed())
        return e;
    if (!updatesPending())
        return {};
    if (m_kind != Kind::Table) {
        // A query has no table to write to: its changes are simply accepted.
        m_batchInfo->clear();
        for (Row *r : m_batchDeleted)
            delete r;
        m_batchDeleted.clear();
        return {};
    }
    struct Result
    {
        Row *row;
        RowValues values;
        qint64 rowid;
    };
    QList<Result> results;
    DatasetError failure;
    {
        Transaction tx(m_db);
        if (!tx.isActive())
            failure = DatasetError(DatasetError::Code::Database, QStringLiteral("不能开始写入：%1").arg(m_db.lastError().text()),
                                   m_db.lastError());
        for (Row *row : m_batchDeleted) {
            if (failure.failed())
                break;
            if (!row->hasRowid)
                continue;
            failure = deleteStoredRow(row->rowid);
        }
        for (Row *row : m_rows) {
            if (failure.failed())
                break;
            auto it = m_batchInfo->constFind(row->serial);
            if (it == m_batchInfo->cend())
                continue;
            Result r{row, {}, row->rowid};
            QSqlError err;
            failure = writeRow(row->rowid, row->values, it->changed, it->inserted, &r.values, &r.rowid, &err);
            results.append(r);
        }
        if (failure.ok() && !tx.commit())
            failure = DatasetError(DatasetError::Code::Database,
                                   QStringLiteral("写入“%1”失败：%2").arg(m_name, m_db.lastError().text()),
                                   m_db.lastError());
    }
    if (failure.failed())
        return remember(inRefusalWords(failure));
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->kind = Snapshot::Batch;
    snapshot->generation = m_loadGeneration;
    snapshot->batchInfo = *m_batchInfo;
    for (const Result &r : std::as_const(results)) {
        snapshot->rows.append({r.row->serial, r.row->rowid, r.row->hasRowid, r.row->values});
        r.row->values = r.values;
        setRowid(r.row, r.rowid, true);
    }
    for (Row *r : m_batchDeleted)
        snapshot->batchDeleted.emplace_back(r);
    m_batchDeleted.clear();
    m_batchInfo->clear();
    bumpVersion();
    registerUndo(snapshot);
    for (const Result &r : std::as_const(results))
        emitRowChanged(viewIndexOf(r.row));
    scheduleStaleRead();
    return {};
}

void Dataset::cancelUpdates()
{
    if (isEditing())
        cancel();
    if (!updatesPending())
        return;
    for (auto it = m_batchInfo->cbegin(); it != m_batchInfo->cend(); ++it) {
        Row *row = findBySerial(it.key());
        if (!row)
            continue;
        if (it->inserted) {
            removeStored(row);
            delete row;
        } else {
            row->values = it->original;
        }
    }
    for (Row *row : m_batchDeleted) {
        auto it = m_batchInfo->constFind(row->serial);
        if (it != m_batchInfo->cend() && !it->inserted)
            row->values = it->original;
        insertStored(row);
    }
    m_batchDeleted.clear();
    m_batchInfo->clear();
    bumpVersion();
    rebuildView(true);
    updateEnds();
    emitReset();
    emitCurrent();
    notifyDetails(false);
    scheduleStaleRead();
}

} // namespace hemu
