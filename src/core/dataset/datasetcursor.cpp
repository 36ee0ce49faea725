// The view (filter and sort over the stored rows) and the cursor on it.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/dataset/filterexpression.h"
#include "core/dataset/valuecompare.h"

#include <QRegularExpression>
#include <algorithm>
#include <numeric>

namespace hemu {

using namespace datasetrows;

bool Dataset::passesFilter(const Row *row) const
{
    if (!m_filtered)
        return true;
    if (m_rowidFilter && !(row->hasRowid && m_rowidFilter->contains(row->rowid)))
        return false;
    if (!m_filterExpr || !m_filterExpr->isBound())
        return true;
    return m_filterExpr->matches([this, row](int f) { return fieldValue(row->values, f); },
                                 m_filterCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

void Dataset::rebuildView(bool keepCurrent)
{
    Row *current = keepCurrent ? rowAt(m_current) : nullptr;
    // The current row may have left the stored rows (and be freed) since the view was built:
    // only a row still stored, compared by address alone, is looked for again.
    if (current && current != m_insertRow.get() && std::find(m_rows.begin(), m_rows.end(), current) == m_rows.end())
        current = nullptr;
    const int position = m_current;
    m_view.clear();
    if (m_filtered && m_rowidFilter) {
        // The few rows of the set, found by rowid, in load order.
        m_view.reserve(m_rowidFilter->size());
        for (const qint64 rowid : *m_rowidFilter) {
            Row *r = findByRowid(rowid);
            if (r && passesFilter(r))
                m_view.append(r);
        }
        std::sort(m_view.begin(), m_view.end(), [](const Row *a, const Row *b) { return a->serial < b->serial; });
    } else {
        m_view.reserve(qsizetype(m_rows.size()));
        for (Row *r : m_rows) {
            if (passesFilter(r))
                m_view.append(r);
        }
    }
    sortView();
    for (int i = 0; i < m_view.size(); ++i)
        m_view[i]->viewHint = i;
    if (m_state == State::Insert && m_insertRow) {
        // The pending new row stays visible where the user is typing it.
        const int at = qBound(0, position, int(m_view.size()));
        m_view.insert(at, m_insertRow.get());
        m_current = at;
        return;
    }
    m_current = current ? viewIndexOf(current) : -1;
    if (m_current < 0 && !m_view.isEmpty())
        m_current = keepCurrent ? qBound(0, position, int(m_view.size()) - 1) : 0;
}

// After a (re)load: the view from scratch, on its first row.
void Dataset::showFromFirstRow()
{
    rebuildView(false);
    m_current = m_view.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.isEmpty();
}

void Dataset::updateEnds()
{
    m_bof = m_current <= 0;
    m_eof = m_view.isEmpty();
}

void Dataset::sortView()
{
    const QVector<SortKey> &keys = *m_sortKeys;
    if (keys.isEmpty() || m_view.size() < 2)
        return;
    // Compute the key values once per row, then sort positions (stable: ties keep load order).
    const int k = int(keys.size());
    const int n = int(m_view.size());
    std::vector<QVariant> values(size_t(n) * size_t(k));
    for (int r = 0; r < n; ++r) {
        for (int j = 0; j < k; ++j)
            values[size_t(r) * k + j] = fieldValue(m_view[r]->values, keys[j].field);
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (int j = 0; j < k; ++j) {
            int c = ValueCompare::compare(values[size_t(a) * k + j], values[size_t(b) * k + j]);
            if (keys[j].descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    QVector<Row *> sorted;
    sorted.reserve(n);
    for (int i : order)
        sorted.append(m_view[i]);
    m_view = std::move(sorted);
}

Dataset::Row *Dataset::rowAt(int row) const
{
    return row >= 0 && row < m_view.size() ? m_view[row] : nullptr;
}

int Dataset::viewIndexOf(const Row *row) const
{
    if (!row)
        return -1;
    // The row's last known place is right unless rows were inserted or removed before it.
    if (row->viewHint >= 0 && row->viewHint < m_view.size() && m_view[row->viewHint] == row)
        return row->viewHint;
    for (int i = 0; i < m_view.size(); ++i) {
        if (m_view[i] == row) {
            row->viewHint = i;
            return i;
        }
    }
    return -1;
}

void Dataset::viewInsert(int position, Row *row)
{
    position = qBound(0, position, int(m_view.size()));
    if (m_disableCount == 0)
        emit rowAboutToBeInserted(position);
    m_view.insert(position, row);
    row->viewHint = position;
    if (m_current >= position)
        ++m_current;
    else if (m_current < 0)
        m_current = position;
    if (m_disableCount == 0)
        emit rowInserted(position);
}

void Dataset::viewRemove(int position)
{
    if (position < 0 || position >= m_view.size())
        return;
    if (m_disableCount == 0)
        emit rowAboutToBeRemoved(position);
    m_view.remove(position);
    if (m_current > position)
        --m_current;
    else if (m_current == position)
        m_current = qMin(position, int(m_view.size()) - 1);
    if (m_disableCount == 0)
        emit rowRemoved(position);
}

void Dataset::moveTo(int row)
{
    if (row == m_current)
        return;
    if (m_hooks.beforeScroll)
        m_hooks.beforeScroll(*this);
    m_current = row;
    emitCurrent();
    notifyDetails(false);
    if (m_hooks.afterScroll)
        m_hooks.afterScroll(*this);
}

bool Dataset::prepareMove()
{
    if (!isOpen())
        return false;
    const DatasetError e = checkBrowseMode();
    return e.ok();
}

bool Dataset::setCurrentRow(int row)
{
    ensureRows();
    if (row < 0 || row >= m_view.size())
        return false;
    if (row == m_current && !isEditing())
        return true;
    // Posting or dropping a pending row may shift the rows: aim at the row, not the index.
    const Row *target = m_view[row];
    if (!prepareMove())
        return false;
    const int index = viewIndexOf(target);
    if (index < 0)
        return false;
    m_bof = m_eof = false;
    moveTo(index);
    return true;
}

void Dataset::first()
{
    ensureRows();
    if (!prepareMove())
        return;
    m_bof = true;
    m_eof = m_view.isEmpty();
    moveTo(m_view.isEmpty() ? -1 : 0);
}

void Dataset::last()
{
    ensureAllRows();
    if (!prepareMove())
        return;
    m_eof = true;
    m_bof = m_view.isEmpty();
    moveTo(int(m_view.size()) - 1);
}

void Dataset::next()
{
    ensureRows();
    if (!prepareMove())
        return;
    if (m_current >= int(m_view.size()) - 1 && canFetchMore())
        fetchMore(); // the rows that follow the last one read
    if (m_current >= int(m_view.size()) - 1) {
        m_eof = true;
        return;
    }
    m_bof = m_eof = false;
    moveTo(m_current + 1);
}

void Dataset::prior()
{
    ensureRows();
    if (!prepareMove())
        return;
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    m_bof = m_eof = false;
    moveTo(m_current - 1);
}

bool Dataset::locate(const QStringList &fields, const QVariantList &values, LocateOptions options)
{
    ensureAllRows();
    if (!isOpen() || fields.size() != values.size() || fields.isEmpty())
        return false;
    QVector<int> indexes;
    for (const QString &name : fields) {
        const int i = fieldIndex(name);
        if (i < 0) {
            m_lastError = DatasetError(DatasetError::Code::Validation, QStringLiteral("字段“%1”不存在。").arg(name));
            return false;
        }
        indexes.append(i);
    }
    const Qt::CaseSensitivity cs = options.testFlag(CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const bool partial = options.testFlag(PartialKey);
    for (int r = 0; r < m_view.size(); ++r) {
        const RowValues &rowValues = (m_state == State::Edit && r == m_current) ? m_buffer : m_view[r]->values;
        bool match = true;
        for (int j = 0; j < indexes.size() && match; ++j) {
            const QVariant v = fieldValue(rowValues, indexes[j]);
            const QVariant &want = values[j];
            if (partial && want.typeId() == QMetaType::QString && !isNullValue(v))
                match = v.toString().startsWith(want.toString(), cs);
            else
                match = ValueCompare::equal(v, want, cs);
        }
        if (match) {
            if (r == m_current)
                return true;
            return setCurrentRow(r);
        }
    }
    return false;
}

bool Dataset::locate(const QString &field, const QVariant &value, LocateOptions options)
{
    return locate(QStringList{field}, QVariantList{value}, options);
}

Bookmark Dataset::bookmark() const
{
    ensureRows();
    Bookmark b;
    if (const Row *row = rowAt(m_current)) {
        b.serial = row->serial;
        b.rowid = row->rowid;
        b.hasRowid = row->hasRowid;
    }
    return b;
}

bool Dataset::bookmarkValid(const Bookmark &bookmark) const
{
    ensureRows();
    if (!bookmark.isValid())
        return false;
    for (const Row *r : m_view) {
        if (r->serial == bookmark.serial || (bookmark.hasRowid && r->hasRowid && r->rowid == bookmark.rowid))
            return true;
    }
    return false;
}

bool Dataset::gotoBookmark(const Bookmark &bookmark)
{
    ensureAllRows();
    if (!bookmark.isValid() || !isOpen())
        return false;
    int target = -1;
    for (int i = 0; i < m_view.size() && target < 0; ++i) {
        if (m_view[i]->serial == bookmark.serial)
            target = i;
    }
    // After a reload the row is a new object: find it by its rowid.
    for (int i = 0; i < m_view.size() && target < 0 && bookmark.hasRowid; ++i) {
        if (m_view[i]->hasRowid && m_view[i]->rowid == bookmark.rowid)
            target = i;
    }
    if (target < 0)
        return false;
    return setCurrentRow(target);
}

qint64 Dataset::currentRowid() const
{
    return rowidAt(m_current);
}

qint64 Dataset::rowidAt(int row) const
{
    ensureRows();
    const Row *r = rowAt(row);
    return r && r->hasRowid ? r->rowid : 0;
}

bool Dataset::locateRowid(qint64 rowid)
{
    ensureAllRows();
    const int i = viewIndexOf(findByRowid(rowid));
    return i >= 0 && setCurrentRow(i);
}

DatasetError Dataset::bindFilter(FilterExpression *expression) const
{
    QString error;
    if (!expression->bind([this](const QString &name) { return fieldIndex(name); }, &error))
        return DatasetError(DatasetError::Code::Filter, error);
    return {};
}

DatasetError Dataset::setFilter(const QString &text)
{
    std::shared_ptr<FilterExpression> expression;
    if (!text.trimmed().isEmpty()) {
        QString error;
        expression = FilterExpression::parse(text, &error);
        if (!expression)
            return remember(DatasetError(DatasetError::Code::Filter, error));
        if (!m_fields.empty()) {
            const DatasetError e = bindFilter(expression.get());
            if (e.failed())
                return remember(e);
        }
    }
    if (isOpen() && m_filtered) {
        const DatasetError e = checkBrowseMode();
        if (e.failed())
            return e;
    }
    m_filterText = text;
    m_filterExpr = expression;
    if (isOpen() && m_filtered)
        reapplyView();
    return {};
}

// The rows shown changed (filter or sort): rebuild the view, keep the current row where it
// can stay, and tell the models and the details.
void Dataset::reapplyView()
{
    ensureAllRows(); // a filter or a sort applies to every row
    const Row *before = rowAt(m_current);
    rebuildView(true);
    updateEnds();
    emitReset();
    emitCurrent();
    if (rowAt(m_current) != before) {
        notifyDetails(false);
        if (m_hooks.afterScroll)
            m_hooks.afterScroll(*this);
    }
}

DatasetError Dataset::setFiltered(bool filtered)
{
    if (m_filtered == filtered)
        return {};
    if (isOpen()) {
        const DatasetError e = checkBrowseMode();
        if (e.failed())
            return e;
    }
    m_filtered = filtered;
    if (isOpen() && (m_filterExpr || m_rowidFilter))
        reapplyView();
    return {};
}

DatasetError Dataset::setRowidFilter(std::optional<QSet<qint64>> rowids)
{
    if (isOpen() && m_filtered) {
        const DatasetError e = checkBrowseMode();
        if (e.failed())
            return e;
    }
    m_rowidFilter = std::move(rowids);
    if (isOpen() && m_filtered)
        reapplyView();
    return {};
}

DatasetError Dataset::resolveSort(const QString &text, QVector<SortKey> *keys) const
{
    keys->clear();
    const QStringList items = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        QString spec = item.trimmed();
        if (spec.isEmpty())
            continue;
        bool descending = false;
        static const QRegularExpression direction(QStringLiteral(R"(\s+(ASC|DESC)$)"),
                                                  QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = direction.match(spec);
        if (m.hasMatch()) {
            descending = m.captured(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
            spec = spec.left(m.capturedStart()).trimmed();
        }
        const QStringList names = sortKeyFor(spec);
        for (const QString &name : names) {
            const int i = fieldIndex(name);
            if (i < 0) {
                keys->clear();
                return DatasetError(DatasetError::Code::Sort, QStringLiteral("排序字段“%1”不存在。").arg(name));
            }
            keys->append({i, descending});
        }
    }
    return {};
}

DatasetError Dataset::setSort(const QString &text)
{
    // Before the fields are known (never opened) the text waits for them.
    QVector<SortKey> keys;
    if (!m_fields.empty()) {
        const DatasetError e = resolveSort(text, &keys);
        if (e.failed())
            return remember(e);
    }
    if (isOpen()) {
        const DatasetError e = checkBrowseMode();
        if (e.failed())
            return e;
    }
    m_sortText = text;
    *m_sortKeys = keys;
    if (isOpen())
        reapplyView();
    return {};
}

QStringList Dataset::sortKeyFor(const QString &fieldName) const
{
    const Field *f = findField(fieldName);
    if (f && f->isLookup() && !f->keyFields().isEmpty())
        return f->keyFields();
    QString name = fieldName.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    return {f ? f->name() : name};
}

} // namespace hemu
