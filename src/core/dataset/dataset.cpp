// The dataset's life: construction and settings, open, close and refresh, the master link and
// the notifications that models and details follow.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/dataset/valuecompare.h"
#include "core/db/database.h"

#include <algorithm>

namespace hemu {

using namespace datasetrows;

Dataset::Dataset(Database &db, Kind kind, const QString &name, QObject *parent)
    : QObject(parent), m_db(db), m_kind(kind), m_name(name), m_batchInfo(std::make_unique<QHash<quint64, BatchInfo>>()),
      m_sortKeys(std::make_unique<QVector<SortKey>>()),
      m_lookupIndexes(std::make_unique<QHash<QString, LookupIndex>>())
{
    setObjectName(name);
}

Dataset::~Dataset()
{
    m_insertRow.reset();
    clearRows();
    if (m_master)
        m_master->m_details.removeAll(QPointer<Dataset>(this));
}

QString Dataset::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Table: return QStringLiteral("TADOTable");
    case Kind::Command: return QStringLiteral("TADODataSet");
    case Kind::Query: return QStringLiteral("TADOQuery");
    }
    return {};
}

void Dataset::setTableName(const QString &table)
{
    m_table = table;
    m_quotedTable.clear();
}

void Dataset::setExcludedColumns(const QStringList &columns)
{
    m_excluded = columns;
}

void Dataset::setSql(const QString &sql)
{
    m_sql = sql;
    m_readStamp = {};
}

void Dataset::setRowSource(QList<SourceColumn> columns, RowSource source)
{
    m_sourceColumns = std::move(columns);
    m_rowSource = std::move(source);
    m_readStamp = {};
}

void Dataset::setParam(const QString &name, const QVariant &value)
{
    QString key = name.toLower();
    if (key.startsWith(QLatin1Char(':')) || key.startsWith(QLatin1Char('@')) || key.startsWith(QLatin1Char('$')))
        key.remove(0, 1);
    m_namedParams.insert(key, value);
    m_readStamp = {};
}

void Dataset::setParam(int position, const QVariant &value)
{
    m_positionalParams.insert(position, value);
    m_readStamp = {};
}

QVariant Dataset::param(const QString &name) const
{
    QString key = name.toLower();
    if (key.startsWith(QLatin1Char(':')))
        key.remove(0, 1);
    return m_namedParams.value(key);
}

void Dataset::clearParams()
{
    m_namedParams.clear();
    m_positionalParams.clear();
    m_readStamp = {};
}

bool Dataset::isReadOnly() const
{
    return m_readOnlySet ? m_readOnly : m_kind != Kind::Table;
}

void Dataset::setBatchMode(bool batch)
{
    m_batch = batch;
}

void Dataset::setFilterCaseInsensitive(bool insensitive)
{
    if (m_filterCaseInsensitive == insensitive)
        return;
    m_filterCaseInsensitive = insensitive;
    if (isOpen() && m_filtered && m_filterExpr) {
        rebuildView(true);
        emitReset();
        emitCurrent();
    }
}

bool Dataset::writesToDatabase() const
{
    return m_kind == Kind::Table && !m_batch;
}

DatasetError Dataset::remember(const DatasetError &error)
{
    if (error.failed())
        m_lastError = error;
    return error;
}

DatasetError Dataset::stateError(const QString &operation) const
{
    const QString state = m_state == State::Inactive ? QStringLiteral("没有打开")
                          : m_state == State::Browse ? QStringLiteral("不在编辑状态")
                                                     : QStringLiteral("正在编辑");
    return DatasetError(DatasetError::Code::State, QStringLiteral("“%1”%2，不能%3。").arg(m_name, state, operation));
}

void Dataset::addOpenDependency(Dataset *dependent)
{
    if (!dependent || dependent == this)
        return;
    for (const auto &d : std::as_const(m_openDependencies)) {
        if (d == dependent)
            return;
    }
    m_openDependencies.append(dependent);
}

QList<Dataset *> Dataset::openDependencies() const
{
    return liveDatasets(m_openDependencies);
}

DatasetError Dataset::open()
{
    if (isOpen() || m_opening)
        return {};
    m_opening = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_opening};

    for (Dataset *d : openDependencies()) {
        if (!d->isOpen()) {
            const DatasetError e = d->open();
            if (e.failed())
                return remember(e);
        }
    }
    if (!m_db.isOpen())
        return remember(DatasetError(DatasetError::Code::State, QStringLiteral("数据库没有打开，不能打开“%1”。").arg(m_name)));
    if (m_hooks.beforeOpen && !m_hooks.beforeOpen(*this))
        return DatasetError(DatasetError::Code::Refused, QString());
    DatasetError e = initFields();
    if (e.failed())
        return remember(e);
    if (m_loadOnFirstUse) {
        clearRows();
        ++m_loadGeneration;
        m_rowsPending = true;
    } else {
        e = load();
        if (e.failed())
            return remember(e);
    }
    m_state = State::Browse;
    showFromFirstRow();
    emitReset();
    if (m_disableCount == 0) {
        emit stateChanged(m_state);
        emit activeChanged(true);
    }
    emitCurrent();
    notifyDetails(true);
    if (m_hooks.afterOpen)
        m_hooks.afterOpen(*this);
    if (m_hooks.afterScroll)
        m_hooks.afterScroll(*this);
    return {};
}

void Dataset::close()
{
    if (!isOpen() || m_closing)
        return;
    m_closing = true;
    if (m_hooks.beforeClose)
        m_hooks.beforeClose(*this);
    for (const auto &d : std::as_const(m_details)) {
        if (d)
            d->close();
    }
    for (Dataset *d : openDependencies())
        d->close();
    m_insertRow.reset();
    m_serialBeforeInsert = 0;
    m_buffer.clear();
    m_changed.clear();
    m_userModified = false;
    clearRows();
    m_rowsPending = false;
    m_stale = false;
    m_masterKeyLoaded = false;
    m_loadedMasterKey.clear();
    ++m_loadGeneration;
    m_readStamp = {};
    m_state = State::Inactive;
    m_bof = m_eof = true;
    emitReset();
    if (m_disableCount == 0) {
        emit stateChanged(m_state);
        emit activeChanged(false);
    }
    emitCurrent();
    m_closing = false;
    if (m_hooks.afterClose)
        m_hooks.afterClose(*this);
}

DatasetError Dataset::refresh()
{
    if (!isOpen())
        return remember(stateError(QStringLiteral("刷新")));
    if (m_rowsPending)
        return {}; // nothing read yet: the first use reads the rows as they are then
    DatasetError e = checkBrowseMode();
    if (e.failed())
        return e;
    if (updatesPending())
        return remember(DatasetError(DatasetError::Code::State,
                                     QStringLiteral("“%1”有未写入的修改，不能刷新。").arg(m_name)));
    if (m_hooks.beforeRefresh && !m_hooks.beforeRefresh(*this))
        return {};
    e = reload();
    if (e.failed())
        return remember(e);
    if (m_hooks.afterRefresh)
        m_hooks.afterRefresh(*this);
    return {};
}

DatasetError Dataset::refreshIfChanged()
{
    // A refresh with hooks of its own runs them every time; rows read per master row follow
    // their master instead.
    const bool same = isOpen() && !m_rowsPending && !m_stale && !isEditing() && !updatesPending() && !m_master
                      && !m_hooks.beforeRefresh && !m_hooks.afterRefresh && m_readVersion == m_version
                      && Database::unchangedSince(m_readStamp, m_db.contentStamp());
    return same ? DatasetError() : refresh();
}

// Reads the rows again and keeps the cursor on the same row (or the same place). Neither
// refresh hooks run: refresh() runs them around it, a rollback's re-read runs none.
DatasetError Dataset::reload()
{
    if (m_rowsPending)
        return {};
    const Row *current = rowAt(m_current);
    const bool hadRowid = current && current->hasRowid;
    const qint64 rowid = current ? current->rowid : 0;
    const int position = m_current;
    const size_t readBefore = m_rows.size();
    DatasetError e = load();
    // Read a page at a time: as many rows again as were read, so the place is kept.
    while (e.ok() && m_morePages && m_rows.size() < readBefore)
        e = readPage(m_rows.back(), &m_rows);
    if (e.failed())
        return e;
    rebuildView(false);
    int target = -1;
    if (hadRowid) {
        for (int i = 0; i < m_view.size(); ++i) {
            if (m_view[i]->hasRowid && m_view[i]->rowid == rowid) {
                target = i;
                break;
            }
        }
    }
    if (target < 0 && !m_view.isEmpty())
        target = qBound(0, position, int(m_view.size()) - 1);
    m_current = target;
    updateEnds();
    emitReset();
    emitCurrent();
    notifyDetails(true);
    return {};
}

void Dataset::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (m_disableCount == 0)
        emit stateChanged(state);
    if (state == State::Browse)
        scheduleStaleRead(); // an edit that held a stale view back has ended
}

void Dataset::setMasterLink(Dataset *master, const QStringList &masterFields, const QStringList &detailFields,
                            bool openWithMaster)
{
    clearMasterLink();
    if (!master || master == this)
        return;
    m_master = master;
    m_masterFields = masterFields;
    m_detailFields = detailFields;
    m_masterKeyLoaded = false;
    master->m_details.append(this);
    if (openWithMaster)
        master->addOpenDependency(this);
}

void Dataset::clearMasterLink()
{
    if (m_master) {
        m_master->m_details.removeAll(QPointer<Dataset>(this));
        m_master->m_openDependencies.removeAll(QPointer<Dataset>(this));
    }
    m_master = nullptr;
    m_masterFields.clear();
    m_detailFields.clear();
    m_masterKeyLoaded = false;
}

QList<Dataset *> Dataset::details() const
{
    return liveDatasets(m_details);
}

void Dataset::notifyDetails(bool force)
{
    if (m_details.isEmpty())
        return;
    if (m_disableCount > 0) {
        m_detailsStale = true;
        return;
    }
    m_detailsStale = false;
    for (Dataset *d : details())
        d->masterChanged(force);
}

void Dataset::masterChanged(bool force)
{
    if (!isOpen() || m_closing)
        return;
    const QVariantList key = masterKeyValues();
    if (!force && m_masterKeyLoaded && key.size() == m_loadedMasterKey.size()) {
        bool same = true;
        for (int i = 0; i < key.size() && same; ++i) {
            same = isNullValue(key[i]) ? isNullValue(m_loadedMasterKey[i])
                                       : !isNullValue(m_loadedMasterKey[i]) && ValueCompare::equal(key[i], m_loadedMasterKey[i]);
        }
        if (same)
            return;
    }
    // The detail follows its master: a pending detail row is posted, or dropped if it cannot be.
    if (isEditing() && checkBrowseMode().failed() && isEditing())
        cancel();
    const DatasetError e = load();
    if (e.failed()) {
        m_lastError = e;
        clearRows();
        m_loadedMasterKey = key;
        m_masterKeyLoaded = true;
    }
    showFromFirstRow();
    emitReset();
    emitCurrent();
    notifyDetails(true);
    if (m_hooks.afterScroll)
        m_hooks.afterScroll(*this);
}

void Dataset::disableControls()
{
    ++m_disableCount;
}

void Dataset::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    emitReset();
    emit stateChanged(m_state);
    emitCurrent();
    if (m_detailsStale)
        notifyDetails(false);
}

void Dataset::emitReset()
{
    if (m_disableCount > 0)
        return;
    emit rowsAboutToBeReset();
    emit rowsReset();
}

void Dataset::emitCurrent()
{
    if (m_disableCount == 0)
        emit currentChanged(m_current);
}

void Dataset::emitRowChanged(int row)
{
    if (m_disableCount == 0 && row >= 0 && row < m_view.size())
        emit rowChanged(row);
}

} // namespace hemu
