// Reading rows from the file: the whole set, a master's details, or single rows again.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"

#include <QMetaMethod>
#include <QSet>
#include <algorithm>
#include <sqlite3.h>

namespace hemu {

namespace datasetrows {

RowValues readRow(const SqlStatement &st, RowValues::Builder &builder, int count, int first, const QVector<int> *map)
{
    for (int c = 0; c < count; ++c) {
        const int i = map ? (*map)[c] : first + c;
        switch (sqlite3_column_type(st.handle(), i)) {
        case SQLITE_INTEGER:
            builder.addInteger(sqlite3_column_int64(st.handle(), i));
            break;
        case SQLITE_FLOAT:
            builder.addReal(sqlite3_column_double(st.handle(), i));
            break;
        case SQLITE_TEXT:
            builder.addText(reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), i)), sqlite3_column_bytes(st.handle(), i));
            break;
        case SQLITE_BLOB: {
            // A zero-length blob reads as a null byte array, as QByteArray(nullptr, 0) is.
            const void *data = sqlite3_column_blob(st.handle(), i);
            builder.addBlob(data, sqlite3_column_bytes(st.handle(), i));
            break;
        }
        default:
            builder.addNull();
            break;
        }
    }
    return builder.finish();
}

} // namespace datasetrows

using namespace datasetrows;

namespace {
// Below this many rows a re-read by rowid is cheap enough to do at once.
constexpr qsizetype kWholeViewRows = 256;
} // namespace

void Dataset::ensureRows() const
{
    if (m_stale && !m_rowsPending && m_state != State::Inactive) {
        const_cast<Dataset *>(this)->readStale();
        return;
    }
    if (!m_rowsPending || m_state == State::Inactive)
        return;
    // Reading rows changes no value anyone has seen: the open merely happened later.
    Dataset *self = const_cast<Dataset *>(this);
    self->m_rowsPending = false;
    const DatasetError e = self->load();
    if (e.failed())
        self->m_lastError = e;
    self->showFromFirstRow();
    self->notifyDetails(true);
}

void Dataset::setPagedRead(int pageSize, PageStart start)
{
    m_pageSize = qMax(0, pageSize);
    m_pageStart = std::move(start);
}

DatasetError Dataset::readPage(const Row *last, std::vector<Row *> *rows)
{
    QVariantList after;
    if (last) {
        after.reserve(fieldCount());
        for (int i = 0; i < fieldCount(); ++i)
            after.append(m_fields[size_t(i)]->isData() ? fieldValue(last->values, i) : QVariant());
    }
    // Moving the page changes no statement the rows were read with.
    const Database::ContentStamp stamp = m_readStamp;
    if (m_pageStart)
        m_pageStart(*this, after);
    m_readStamp = stamp;
    m_namedParams.insert(QStringLiteral("pagesize"), m_pageSize);
    std::vector<Row *> page;
    const DatasetError e = readRows({}, {}, &page);
    if (e.failed()) {
        m_morePages = false;
        return e;
    }
    // A statement that gives more than a page is read whole: nothing follows it. A page that
    // holds again the row it was to follow (a key the statement does not go past) ends the
    // reading rather than repeating it for ever.
    m_morePages = int(page.size()) == m_pageSize;
    if (last && std::any_of(page.begin(), page.end(), [last](const Row *r) { return r->values == last->values; })) {
        for (Row *r : page)
            delete r;
        page.clear();
        m_morePages = false;
    }
    rows->insert(rows->end(), page.begin(), page.end());
    return {};
}

void Dataset::appendRows(std::vector<Row *> rows)
{
    if (rows.empty())
        return;
    // The rows were read after every stored row: they come last in load order, and the view
    // shows load order (a filter or a sort reads every page before it applies).
    QVector<Row *> shown;
    for (Row *r : rows) {
        if (passesFilter(r))
            shown.append(r);
    }
    int at = int(m_view.size());
    if (m_state == State::Insert && at > 0 && m_view[at - 1] == m_insertRow.get())
        --at;
    const int count = int(shown.size());
    const bool currentAfter = m_current >= at;
    if (count > 0 && m_disableCount == 0)
        emit rowsAboutToBeAppended(at, at + count - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    m_rowidIndex.reset();
    bumpVersion();
    for (int i = 0; i < count; ++i)
        m_view.insert(at + i, shown[i]);
    for (int i = at; i < m_view.size(); ++i)
        m_view[i]->viewHint = i;
    if (currentAfter)
        m_current += count;
    if (count > 0 && m_disableCount == 0)
        emit rowsAppended(at, at + count - 1);
}

DatasetError Dataset::fetchMore()
{
    ensureRows();
    if (!canFetchMore() || m_rows.empty())
        return {};
    std::vector<Row *> page;
    const DatasetError e = readPage(m_rows.back(), &page);
    if (e.failed())
        return remember(e);
    appendRows(std::move(page));
    return {};
}

DatasetError Dataset::fetchAll()
{
    ensureRows();
    if (!canFetchMore() || m_rows.empty())
        return {};
    std::vector<Row *> rest;
    DatasetError e;
    while (e.ok() && m_morePages)
        e = readPage(rest.empty() ? m_rows.back() : rest.back(), &rest);
    appendRows(std::move(rest));
    return e.failed() ? remember(e) : e;
}

void Dataset::ensureAllRows() const
{
    // Reading the rest changes no row anyone has seen: the rows read are announced as added.
    const_cast<Dataset *>(this)->fetchAll();
}

void Dataset::markStale()
{
    if (!isOpen() || m_rowsPending)
        return; // nothing read yet: the first use reads the rows as they are then
    m_stale = true;
    m_readStamp = {};
    scheduleStaleRead();
}

void Dataset::readStale()
{
    // What the user typed or changed in a batch is never thrown away for a re-read: the rows
    // wait until the edit is posted or dropped.
    if (!m_stale || isEditing() || updatesPending())
        return;
    m_stale = false;
    if (m_hooks.beforeRefresh && !m_hooks.beforeRefresh(*this))
        return;
    const DatasetError e = reload();
    if (e.failed()) {
        m_lastError = e;
        return;
    }
    if (m_hooks.afterRefresh)
        m_hooks.afterRefresh(*this);
}

void Dataset::scheduleStaleRead()
{
    if (!m_stale || m_staleReadQueued)
        return;
    // Only a view something follows (a grid, a binder, a navigator) is read before it is
    // asked for: its widgets would otherwise read it in the middle of a paint.
    static const QMetaMethod reset = QMetaMethod::fromSignal(&Dataset::rowsReset);
    static const QMetaMethod current = QMetaMethod::fromSignal(&Dataset::currentChanged);
    static const QMetaMethod changed = QMetaMethod::fromSignal(&Dataset::rowChanged);
    if (!isSignalConnected(reset) && !isSignalConnected(current) && !isSignalConnected(changed))
        return;
    m_staleReadQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_staleReadQueued = false;
            ensureRows();
        },
        Qt::QueuedConnection);
}

QString Dataset::columnList() const
{
    // Built once per set of columns: a row re-read after each posted line needs the text again.
    if (m_columnList.isEmpty() && !m_columnNames.isEmpty())
        m_columnList = quotedColumns().join(QLatin1Char(','));
    return m_columnList;
}

QStringList Dataset::quotedColumns() const
{
    if (m_quotedColumns.size() != m_columnNames.size()) {
        m_quotedColumns.clear();
        for (const QString &c : m_columnNames)
            m_quotedColumns.append(quoted(c));
    }
    return m_quotedColumns;
}

QString Dataset::quotedTable() const
{
    if (m_quotedTable.isEmpty())
        m_quotedTable = quoted(m_table);
    return m_quotedTable;
}

DatasetError Dataset::readRows(const QString &where, const QVariantList &params, std::vector<Row *> *rows)
{
    sqlite3 *h = m_db.handle();
    if (!h)
        return DatasetError(DatasetError::Code::State, QStringLiteral("数据库没有打开，不能读取“%1”。").arg(m_name));
    const bool table = m_kind == Kind::Table;
    if (m_rowSource && !table)
        return makeRows(rows);
    QString sql;
    if (table) {
        sql = QStringLiteral("SELECT rowid,%1 FROM %2").arg(columnList(), quotedTable());
        if (m_columnNames.isEmpty())
            sql = QStringLiteral("SELECT rowid FROM %1").arg(quotedTable());
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where;
        sql += QStringLiteral(" ORDER BY rowid");
    } else {
        sql = m_sql;
    }
    SqlStatement st(m_db, sql);
    if (!st.ok())
        return DatasetError(DatasetError::Code::Database, QStringLiteral("读取“%1”失败：%2").arg(m_name, st.error().databaseText()),
                            st.error());
    if (table) {
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
    } else {
        // Named parameters bind by name (case-insensitive), '?' ones by position.
        QHash<QString, QVariant> named = m_namedParams;
        if (m_master) {
            for (int i = 0; i < m_detailFields.size() && i < params.size(); ++i)
                named.insert(m_detailFields[i].toLower(), params[i]);
        }
        const int count = sqlite3_bind_parameter_count(st.handle());
        for (int i = 1; i <= count; ++i) {
            const char *raw = sqlite3_bind_parameter_name(st.handle(), i);
            if (raw) {
                QString n = QString::fromUtf8(raw).toLower();
                n.remove(0, 1);
                st.bind(i, named.value(n));
            } else {
                st.bind(i, m_positionalParams.value(i - 1));
            }
        }
    }
    const int offset = table ? 1 : 0;
    const int n = m_columnCount;
    RowValues::Builder builder(n);
    for (;;) {
        const int rc = st.step();
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            const QSqlError err = st.error();
            for (Row *r : *rows)
                delete r;
            rows->clear();
            return DatasetError(DatasetError::Code::Database, QStringLiteral("读取“%1”失败：%2").arg(m_name, err.databaseText()), err);
        }
        Row *row = new Row;
        row->serial = m_nextSerial++;
        if (table) {
            row->rowid = sqlite3_column_int64(st.handle(), 0);
            row->hasRowid = true;
        }
        row->values = readRow(st, builder, n, offset, table ? nullptr : &m_sourceColumn);
        rows->push_back(row);
    }
    return {};
}

DatasetError Dataset::makeRows(std::vector<Row *> *rows)
{
    std::vector<RowValues> made;
    const DatasetError e = m_rowSource(&made);
    if (e.failed())
        return e;
    // The stored columns are the source's own unless fields were declared in another order.
    bool asMade = m_sourceColumn.size() == m_sourceColumns.size();
    for (int c = 0; asMade && c < m_sourceColumn.size(); ++c)
        asMade = m_sourceColumn[c] == c;
    RowValues::Builder builder(m_columnCount);
    rows->reserve(rows->size() + made.size());
    for (RowValues &values : made) {
        Row *row = new Row;
        row->serial = m_nextSerial++;
        if (asMade) {
            row->values = std::move(values);
        } else {
            for (int c = 0; c < m_columnCount; ++c)
                builder.add(values.at(m_sourceColumn[c]));
            row->values = builder.finish();
        }
        rows->push_back(row);
    }
    return {};
}

QString Dataset::masterWhere() const
{
    QStringList parts;
    for (const QString &d : m_detailFields)
        parts.append(quoted(d) + QStringLiteral(" = ?"));
    return parts.join(QStringLiteral(" AND "));
}

QVariantList Dataset::masterKeyValues() const
{
    QVariantList key;
    if (!m_master || !m_master->isOpen() || !m_master->currentValues())
        return key;
    for (const QString &f : m_masterFields)
        key.append(m_master->value(f));
    return key;
}

DatasetError Dataset::load()
{
    std::vector<Row *> rows;
    QVariantList key;
    bool noRows = false;
    QString where;
    if (m_master) {
        key = masterKeyValues();
        noRows = hasNullKey(key);
        where = masterWhere();
    }
    // Taken before the read: a commit by another program while it runs shows as a change.
    const Database::ContentStamp stamp = m_master ? Database::ContentStamp() : m_db.contentStamp();
    const bool paged = m_pageSize > 0 && m_kind != Kind::Table && !m_master;
    m_morePages = false;
    if (!noRows && paged) {
        DatasetError e = readPage(nullptr, &rows);
        // A filter or a sort in force needs every row.
        const bool everyRow = (m_filtered && (m_filterExpr || m_rowidFilter)) || !m_sortKeys->isEmpty();
        while (e.ok() && m_morePages && everyRow)
            e = readPage(rows.back(), &rows);
        if (e.failed()) {
            for (Row *r : rows)
                delete r;
            return e;
        }
    } else if (!noRows) {
        const DatasetError e = readRows(where, key, &rows);
        if (e.failed())
            return e;
    }
    clearRows();
    m_rows = std::move(rows);
    m_rowsPending = false;
    m_stale = false;
    m_rowidOrdered = m_kind == Kind::Table; // read ORDER BY rowid
    m_loadedMasterKey = key;
    m_masterKeyLoaded = true;
    ++m_loadGeneration;
    bumpVersion();
    m_readStamp = stamp;
    m_readVersion = m_version;
    // Columns of a query without a declared type take the type of their first value.
    for (int c = 0; c < m_inferType.size(); ++c) {
        if (!m_inferType[c])
            continue;
        for (const Row *r : m_rows) {
            const QVariant v = r->values.at(c);
            if (isNullValue(v))
                continue;
            for (auto &f : m_fields) {
                if (f->isData() && f->m_column == c && !f->m_typeExplicit) {
                    f->m_dataType = v.typeId() == QMetaType::LongLong ? DataType::Integer
                                    : v.typeId() == QMetaType::Double ? DataType::Float
                                    : v.typeId() == QMetaType::QByteArray ? DataType::Blob
                                                                          : DataType::Text;
                }
            }
            break;
        }
    }
    registerReloadUndo();
    return {};
}

DatasetError Dataset::refreshRows(const QList<qint64> &requested)
{
    // A rowid named twice is one row: read it once, or the second pass would take it as gone.
    QList<qint64> rowids = requested;
    std::sort(rowids.begin(), rowids.end());
    rowids.erase(std::unique(rowids.begin(), rowids.end()), rowids.end());
    if (!isOpen())
        return remember(stateError(QStringLiteral("刷新记录")));
    if (m_kind != Kind::Table)
        return remember(DatasetError(DatasetError::Code::State, QStringLiteral("“%1”不是数据表，不能按记录刷新。").arg(m_name)));
    if (rowids.isEmpty() || m_rowsPending || m_stale)
        return {}; // the whole view is read on its next use anyway
    // Most of a large view rewritten (a stocktaking of every item): one read of the whole
    // view on its next use costs less than finding 20,000 rows one by one now.
    if (rowids.size() >= kWholeViewRows && rowids.size() * 2 >= qsizetype(m_rows.size()) && !isEditing()
        && !updatesPending()) {
        markStale();
        return {};
    }

    QHash<qint64, Row *> fetched;
    std::vector<Row *> read;
    QVariantList key;
    bool belongsNowhere = false;
    QString detailWhere;
    if (m_master) {
        key = m_loadedMasterKey;
        belongsNowhere = hasNullKey(key);
        detailWhere = masterWhere();
    }
    const int chunk = 400;
    for (int start = 0; start < rowids.size() && !belongsNowhere; start += chunk) {
        QStringList marks;
        QVariantList params;
        for (int i = start; i < qMin(int(rowids.size()), start + chunk); ++i) {
            marks.append(QStringLiteral("?"));
            params.append(rowids[i]);
        }
        QString where = QStringLiteral("rowid IN (%1)").arg(marks.join(QLatin1Char(',')));
        if (!detailWhere.isEmpty()) {
            where += QStringLiteral(" AND ") + detailWhere;
            params += key;
        }
        const DatasetError e = readRows(where, params, &read);
        if (e.failed()) {
            for (Row *r : read)
                delete r;
            return remember(e);
        }
    }
    for (Row *r : read)
        fetched.insert(r->rowid, r);

    QSet<qint64> deletedPending;
    for (const Row *r : m_batchDeleted)
        deletedPending.insert(r->rowid);

    bool currentGone = false;
    const Row *currentBefore = rowAt(m_current);
    for (qint64 rowid : rowids) {
        if (deletedPending.contains(rowid))
            continue;
        Row *mine = findByRowid(rowid);
        Row *fresh = fetched.take(rowid);
        if (mine && m_batchInfo->contains(mine->serial)) {
            delete fresh; // pending changes of a batch win until applied or cancelled
            continue;
        }
        if (mine && fresh) {
            if (mine->values != fresh->values) {
                std::swap(mine->values, fresh->values);
                rowValuesChanged(mine, fresh->values);
                emitRowChanged(viewIndexOf(mine));
            }
            delete fresh;
        } else if (fresh) {
            fresh->serial = m_nextSerial++;
            insertStored(fresh);
            if (passesFilter(fresh)) {
                // Keep a pending new row last where it is being typed.
                int at = int(m_view.size());
                if (m_state == State::Insert && at > 0 && m_view[at - 1] == m_insertRow.get())
                    --at;
                viewInsert(at, fresh);
            }
        } else if (mine) {
            if (m_state == State::Edit && rowAt(m_current) == mine)
                cancel();
            const int position = viewIndexOf(mine);
            if (mine == currentBefore)
                currentGone = true;
            removeStored(mine);
            viewRemove(position);
            delete mine;
        }
    }
    for (Row *r : std::as_const(fetched))
        delete r;

    if (m_db.transactionDepth() > 0) {
        QPointer<Dataset> self(this);
        const quint64 generation = m_loadGeneration;
        m_db.onRollback([self, generation, rowids] {
            if (self && self->isOpen() && self->m_loadGeneration == generation)
                self->refreshRows(rowids);
        });
    }
    if (currentGone) {
        updateEnds();
        emitCurrent();
    }
    notifyDetails(false);
    return {};
}

} // namespace hemu
