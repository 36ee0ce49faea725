// Editing and writing: edit, insert, post and delete of one row, each in its own transaction,
// and what a conflict with another program's write does.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/db/sqlstatement.h"
#include "core/dataset/valuecompare.h"
#include "core/db/database.h"
#include "core/db/refusals.h"

#include <algorithm>
#include <sqlite3.h>

namespace hemu {

using namespace datasetrows;

DatasetError Dataset::edit()
{
    ensureRows();
    if (m_state == State::Edit || m_state == State::Insert)
        return {};
    if (m_state == State::Inactive)
        return remember(stateError(QStringLiteral("修改")));
    if (isReadOnly())
        return remember(DatasetError(DatasetError::Code::State, QStringLiteral("“%1”是只读的，不能修改。").arg(m_name)));
    if (m_view.isEmpty())
        return append(); // as the grids expect: editing an empty view starts a new row
    if (m_hooks.beforeEdit && !m_hooks.beforeEdit(*this))
        return DatasetError(DatasetError::Code::Refused, QString());
    m_buffer = m_view[m_current]->values;
    m_changed = QVector<bool>(m_columnCount, false);
    m_userModified = false;
    setState(State::Edit);
    return {};
}

DatasetError Dataset::append()
{
    return startNewRow(true);
}

DatasetError Dataset::insert()
{
    return startNewRow(false);
}

DatasetError Dataset::startNewRow(bool appendAtEnd)
{
    ensureRows();
    if (m_state == State::Inactive)
        return remember(stateError(QStringLiteral("添加记录")));
    if (isReadOnly())
        return remember(DatasetError(DatasetError::Code::State, QStringLiteral("“%1”是只读的，不能添加记录。").arg(m_name)));
    DatasetError e = checkBrowseMode();
    if (e.failed())
        return e;
    if (m_hooks.beforeInsert && !m_hooks.beforeInsert(*this))
        return DatasetError(DatasetError::Code::Refused, QString());
    if (m_hooks.beforeScroll)
        m_hooks.beforeScroll(*this);
    m_serialBeforeInsert = m_current >= 0 && m_current < m_view.size() ? m_view[m_current]->serial : 0;
    m_insertRow = std::make_unique<Row>();
    m_insertRow->serial = m_nextSerial++;
    m_insertRow->values.resize(m_columnCount);
    m_changed = QVector<bool>(m_columnCount, false);
    m_userModified = false;
    const int position = appendAtEnd || m_current < 0 ? int(m_view.size()) : m_current;
    m_state = State::Insert; // before the row shows, so that models see it as pending
    viewInsert(position, m_insertRow.get());
    m_current = position;
    if (m_disableCount == 0)
        emit stateChanged(m_state);
    m_bof = m_eof = false;
    // The link columns come from the master's current row.
    if (m_master) {
        const QVariantList key = masterKeyValues();
        m_linkAssign = true;
        for (int i = 0; i < m_detailFields.size() && i < key.size(); ++i) {
            Field *f = findField(m_detailFields[i]);
            if (f && f->isData())
                assign(*f, key[i]);
        }
        m_linkAssign = false;
    }
    if (m_hooks.onNewRecord) {
        m_inNewRecord = true;
        m_hooks.onNewRecord(*this);
        m_inNewRecord = false;
    }
    emitCurrent();
    notifyDetails(false);
    if (m_hooks.afterScroll && m_state == State::Insert)
        m_hooks.afterScroll(*this);
    return {};
}

void Dataset::dropInsertRow()
{
    const int position = viewIndexOf(m_insertRow.get());
    m_state = State::Browse;
    viewRemove(position);
    m_insertRow.reset();
    for (int i = 0; i < m_view.size() && m_serialBeforeInsert != 0; ++i) {
        if (m_view[i]->serial == m_serialBeforeInsert) {
            m_current = i;
            break;
        }
    }
    m_serialBeforeInsert = 0;
    scheduleStaleRead();
}

DatasetError Dataset::cancel()
{
    if (m_state == State::Edit) {
        m_buffer.clear();
        m_changed.clear();
        m_userModified = false;
        setState(State::Browse);
        emitRowChanged(m_current);
    } else if (m_state == State::Insert) {
        dropInsertRow();
        m_changed.clear();
        m_userModified = false;
        if (m_disableCount == 0)
            emit stateChanged(m_state);
        emitCurrent();
        notifyDetails(false);
    } else {
        return {};
    }
    if (m_hooks.afterCancel)
        m_hooks.afterCancel(*this);
    return {};
}

DatasetError Dataset::checkBrowseMode()
{
    if (!isEditing())
        return {};
    if (m_userModified)
        return post();
    return cancel();
}

DatasetError Dataset::post()
{
    if (!isEditing())
        return remember(stateError(QStringLiteral("保存")));
    const bool isInsert = m_state == State::Insert;
    RowValues &pending = isInsert ? m_insertRow->values : m_buffer;
    for (const auto &f : m_fields) {
        if (!f->isData() || !f->m_required || f->m_column < 0)
            continue;
        const QVariant v = pending.at(f->m_column);
        if (isNullValue(v) || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()))
            return remember(DatasetError(DatasetError::Code::Validation, QStringLiteral("字段“%1”必须有值。").arg(label(*f))));
    }
    if (m_hooks.beforePost && !m_hooks.beforePost(*this))
        return DatasetError(DatasetError::Code::Refused, QString());
    if (!isEditing()) // the hook cancelled the row
        return DatasetError(DatasetError::Code::Refused, QString());

    Row *row = isInsert ? m_insertRow.get() : m_view[m_current];

    if (!writesToDatabase()) {
        // Batch mode (and editable queries): the change lives in memory until applyUpdates().
        if (isInsert) {
            Row *added = m_insertRow.release();
            insertStored(added);
            if (m_batch)
                (*m_batchInfo)[added->serial] = BatchInfo{true, {}, m_changed};
        } else {
            if (m_batch) {
                auto it = m_batchInfo->find(row->serial);
                if (it == m_batchInfo->end()) {
                    m_batchInfo->insert(row->serial, BatchInfo{false, row->values, m_changed});
                } else {
                    for (int c = 0; c < m_columnCount; ++c)
                        it->changed[c] = it->changed[c] || m_changed[c];
                }
            }
            row->values = m_buffer;
            bumpVersion();
        }
        return finishPost();
    }

    const RowValues userValues = pending;
    const bool anyChange = isInsert || std::find(m_changed.cbegin(), m_changed.cend(), true) != m_changed.cend();
    RowValues readBack = pending;
    qint64 newRowid = row->rowid;
    QSqlError sqlError;
    DatasetError failure;
    {
        Transaction tx(m_db);
        if (!tx.isActive()) {
            failure = DatasetError(DatasetError::Code::Database, QStringLiteral("不能开始写入：%1").arg(m_db.lastError().text()),
                                   m_db.lastError());
        } else {
            // What the write depends on is read from the file inside the write itself.
            if (!isInsert)
                failure = checkStoredRow(row);
            if (failure.ok() && m_hooks.onPostBegin) {
                failure = m_hooks.onPostBegin(*this);
                if (failure.ok() && !isEditing())
                    failure = DatasetError(DatasetError::Code::Refused, QString());
            }
            if (failure.ok() && (anyChange || std::find(m_changed.cbegin(), m_changed.cend(), true) != m_changed.cend()))
                failure = writeRow(row->rowid, pending, m_changed, isInsert, &readBack, &newRowid, &sqlError);
            if (failure.ok() && m_hooks.onPostWrite) {
                // The hook sees the row as written: new key and database defaults included.
                pending = readBack;
                const bool accepted = m_hooks.onPostWrite(*this);
                if (isEditing())
                    (isInsert ? m_insertRow->values : m_buffer) = userValues;
                if (!accepted || !isEditing())
                    failure = DatasetError(DatasetError::Code::Refused, QString());
            }
            if (failure.ok() && !tx.commit())
                failure = DatasetError(DatasetError::Code::Database,
                                       QStringLiteral("写入“%1”失败：%2").arg(m_name, m_db.lastError().text()),
                                       m_db.lastError());
        }
    } // a failed write is rolled back here, before anyone is told
    if (failure.failed()) {
        if (failure.code() == DatasetError::Code::Conflict)
            return resolveConflict(failure, row->rowid, !isInsert && row->hasRowid);
        if (failure.code() == DatasetError::Code::Database)
            return reportWriteError(failure, false);
        return remember(failure);
    }

    auto snapshot = std::make_shared<Snapshot>();
    snapshot->generation = m_loadGeneration;
    snapshot->serial = row->serial;
    if (isInsert) {
        snapshot->kind = Snapshot::Inserted;
        Row *added = m_insertRow.release();
        added->values = readBack;
        added->rowid = newRowid;
        added->hasRowid = true;
        insertStored(added);
    } else {
        snapshot->kind = Snapshot::Edited;
        snapshot->rowid = row->rowid;
        snapshot->hasRowid = row->hasRowid;
        snapshot->values = row->values;
        row->values = readBack;
        setRowid(row, newRowid, row->hasRowid);
        rowValuesChanged(row, snapshot->values);
    }
    registerUndo(snapshot);
    return finishPost();
}

// The end of every successful post, in memory or in the table: back to browsing, and tell
// the models, the details and the rules.
DatasetError Dataset::finishPost()
{
    m_serialBeforeInsert = 0;
    m_buffer.clear();
    m_userModified = false;
    setState(State::Browse);
    emitRowChanged(m_current);
    notifyDetails(false);
    if (m_hooks.afterPost)
        m_hooks.afterPost(*this);
    return {};
}

// A write the table's rules refused says so in the rule's own words, not SQLite's.
DatasetError Dataset::inRefusalWords(const DatasetError &error)
{
    const QString refusal = refusalMessage(error.sqlError());
    return refusal.isEmpty() ? error : DatasetError(error.code(), refusal, error.sqlError());
}

DatasetError Dataset::reportWriteError(const DatasetError &error, bool isDelete)
{
    DatasetError e = inRefusalWords(error);
    const DatasetHooks::ErrorHandler &handler = isDelete ? m_hooks.onDeleteError : m_hooks.onPostError;
    if (handler && handler(*this, error.sqlError()))
        e.setReported(true);
    m_lastError = e;
    return e;
}

DatasetError Dataset::writeRow(qint64 rowid, const RowValues &values, const QVector<bool> &changed,
                               bool isInsert, RowValues *readBack, qint64 *newRowid, QSqlError *sqlError) const
{
    QStringList columns;
    QVariantList params;
    for (int c = 0; c < m_columnCount; ++c) {
        // An insert names only the assigned columns so that the table's defaults apply to
        // the rest; an update writes only what changed unless told to write every column.
        const bool include = isInsert ? changed.value(c) : (changed.value(c) || !m_onlyChanged);
        if (!include)
            continue;
        columns.append(quotedColumns()[c]);
        params.append(values.at(c));
    }
    QString sql;
    if (isInsert) {
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedTable());
        } else {
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks.append(QStringLiteral("?"));
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quotedTable(), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
    } else {
        if (columns.isEmpty()) {
            *readBack = values;
            *newRowid = rowid;
            return {};
        }
        QStringList sets;
        for (const QString &c : columns)
            sets.append(c + QStringLiteral("=?"));
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quotedTable(), sets.join(QLatin1Char(',')));
        params.append(rowid);
    }
    // Straight on the library with the connection's kept statement: a line is posted again
    // and again with the same columns. A null text or blob is written as NULL, as the Qt
    // driver writes it.
    SqlStatement st(m_db, sql);
    bool bound = st.ok();
    for (int i = 0; i < params.size() && bound; ++i) {
        const QVariant &v = params[i];
        const bool nullText = (v.typeId() == QMetaType::QString && v.toString().isNull())
            || (v.typeId() == QMetaType::QByteArray && v.toByteArray().isNull());
        bound = st.bind(i + 1, nullText ? QVariant() : v);
    }
    if (!bound || st.step() != SQLITE_DONE) {
        *sqlError = st.error();
        return DatasetError(DatasetError::Code::Database, QStringLiteral("写入“%1”失败：%2").arg(m_name, sqlError->databaseText()),
                            *sqlError);
    }
    if (isInsert) {
        *newRowid = sqlite3_last_insert_rowid(m_db.handle());
    } else {
        if (sqlite3_changes(m_db.handle()) == 0)
            return conflictError(); // another program deleted the row
        // Changing an INTEGER PRIMARY KEY moves the row to a new rowid.
        *newRowid = m_rowidAliasColumn >= 0 && changed.value(m_rowidAliasColumn)
                        ? values.at(m_rowidAliasColumn).toLongLong()
                        : rowid;
    }
    return readBackRow(*newRowid, readBack, sqlError);
}

QString Dataset::conflictText() const
{
    return m_conflictText.isEmpty() ? QStringLiteral("该记录已被其他用户修改，已重新读取。") : m_conflictText;
}

DatasetError Dataset::conflictError() const
{
    return DatasetError(DatasetError::Code::Conflict, conflictText());
}

DatasetError Dataset::checkStoredRow(const Row *row) const
{
    if (m_conflictFields.isEmpty() || !row->hasRowid)
        return {};
    QStringList columns;
    QVector<int> stored;
    for (const QString &name : m_conflictFields) {
        const Field *f = findField(name);
        if (!f || !f->isData() || f->m_column < 0)
            continue;
        columns.append(quotedColumns()[f->m_column]);
        stored.append(f->m_column);
    }
    if (columns.isEmpty())
        return {};
    SqlStatement st(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(columns.join(QLatin1Char(',')), quotedTable()));
    const int rc = st.ok() && st.bind(1, row->rowid) ? st.step() : SQLITE_ERROR;
    if (rc == SQLITE_DONE)
        return conflictError();
    if (rc != SQLITE_ROW) {
        const QSqlError error = st.error();
        return DatasetError(DatasetError::Code::Database, QStringLiteral("读取“%1”失败：%2").arg(m_name, error.databaseText()), error);
    }
    for (int i = 0; i < stored.size(); ++i) {
        if (!ValueCompare::equal(st.column(i), row->values.at(stored[i])))
            return conflictError();
    }
    return {};
}

DatasetError Dataset::resolveConflict(const DatasetError &error, qint64 rowid, bool storedRow)
{
    // The change was made against a row the file no longer holds: drop it, show the row as
    // it is now (or not at all).
    cancel();
    if (storedRow && m_kind == Kind::Table)
        refreshRow(rowid);
    DatasetError e = error;
    if (m_hooks.onConflict) {
        m_hooks.onConflict(*this, e);
        e.setReported(true);
    }
    m_lastError = e;
    return e;
}

DatasetError Dataset::readBackRow(qint64 rowid, RowValues *values, QSqlError *sqlError) const
{
    const QString cols = m_columnNames.isEmpty() ? QStringLiteral("rowid") : columnList();
    SqlStatement st(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(cols, quotedTable()));
    if (!st.ok() || !st.bind(1, rowid)) {
        *sqlError = st.error();
        return DatasetError(DatasetError::Code::Database, QStringLiteral("读取“%1”失败：%2").arg(m_name, sqlError->databaseText()),
                            *sqlError);
    }
    const int rc = st.step();
    if (rc != SQLITE_ROW) {
        *sqlError = rc == SQLITE_DONE ? QSqlError(QString(), QStringLiteral("row not found"), QSqlError::StatementError)
                                      : st.error();
        return DatasetError(DatasetError::Code::Database, QStringLiteral("写入后读不到“%1”的记录。").arg(m_name), *sqlError);
    }
    RowValues::Builder builder(m_columnCount);
    *values = readRow(st, builder, m_columnCount, 0);
    return {};
}

DatasetError Dataset::deleteStoredRow(qint64 rowid) const
{
    SqlStatement del(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quotedTable()));
    if (del.ok() && del.bind(1, rowid) && del.run())
        return {};
    const QSqlError err = del.error();
    return DatasetError(DatasetError::Code::Database, QStringLiteral("删除“%1”的记录失败：%2").arg(m_name, err.databaseText()),
                        err);
}

DatasetError Dataset::remove()
{
    ensureRows();
    if (m_state == State::Inactive)
        return remember(stateError(QStringLiteral("删除记录")));
    if (m_state == State::Insert)
        return cancel();
    if (m_state == State::Edit)
        cancel();
    if (m_view.isEmpty() || m_current < 0)
        return remember(DatasetError(DatasetError::Code::State, QStringLiteral("“%1”没有可删除的记录。").arg(m_name)));
    if (isReadOnly())
        return remember(DatasetError(DatasetError::Code::State, QStringLiteral("“%1”是只读的，不能删除。").arg(m_name)));
    if (m_hooks.beforeDelete && !m_hooks.beforeDelete(*this))
        return DatasetError(DatasetError::Code::Refused, QString());
    if (m_state != State::Browse || m_current < 0 || m_current >= m_view.size())
        return DatasetError(DatasetError::Code::Refused, QString());
    Row *row = m_view[m_current];
    int position = m_current;
    std::unique_ptr<Row> owned;

    if (writesToDatabase()) {
        DatasetError failure;
        {
            Transaction tx(m_db);
            QSqlError err;
            if (!tx.isActive()) {
                err = m_db.lastError();
            } else {
                failure = checkStoredRow(row);
                if (failure.ok() && m_hooks.onDeleteBegin)
                    failure = m_hooks.onDeleteBegin(*this);
                if (failure.ok()) {
                    failure = deleteStoredRow(row->rowid);
                    if (failure.ok() && sqlite3_changes(m_db.handle()) == 0)
                        failure = conflictError(); // another program deleted it first
                }
                if (failure.ok()) {
                    if (m_hooks.onDeleteWrite && !m_hooks.onDeleteWrite(*this))
                        failure = DatasetError(DatasetError::Code::Refused, QString());
                    else if (!tx.commit())
                        err = m_db.lastError();
                }
            }
            if (err.isValid())
                failure = DatasetError(DatasetError::Code::Database,
                                       QStringLiteral("删除“%1”的记录失败：%2").arg(m_name, err.databaseText()), err);
        } // a refused or failed delete is rolled back here
        if (failure.code() == DatasetError::Code::Conflict)
            return resolveConflict(failure, row->rowid, row->hasRowid);
        if (failure.failed() && failure.code() != DatasetError::Code::Database)
            return remember(failure);
        if (failure.failed())
            return reportWriteError(failure, true);
        position = viewIndexOf(row); // the hook may have moved the cursor
        removeStored(row);
        owned.reset(row);
        auto snapshot = std::make_shared<Snapshot>();
        snapshot->kind = Snapshot::Deleted;
        snapshot->generation = m_loadGeneration;
        snapshot->viewIndex = position;
        snapshot->deleted = std::move(owned);
        if (m_db.transactionDepth() > 0)
            registerUndo(snapshot);
    } else {
        removeStored(row);
        auto info = m_batchInfo->find(row->serial);
        if (m_batch && !(info != m_batchInfo->end() && info->inserted)) {
            m_batchDeleted.push_back(row); // written by applyUpdates()
        } else {
            if (info != m_batchInfo->end())
                m_batchInfo->erase(info);
            owned.reset(row);
        }
    }
    viewRemove(position);
    updateEnds();
    emitCurrent();
    notifyDetails(false);
    if (m_hooks.afterDelete)
        m_hooks.afterDelete(*this);
    if (m_hooks.afterScroll)
        m_hooks.afterScroll(*this);
    return {};
}

} // namespace hemu
