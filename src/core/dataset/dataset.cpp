#include "core/dataset/dataset.h"

#include "core/dataset/filterexpression.h"
#include "core/dataset/sqlstatement.h"
#include "core/dataset/valuecompare.h"
#include "core/db/database.h"
#include "core/db/refusals.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>
#include <numeric>
#include <sqlite3.h>

namespace hemu {

struct Dataset::Row
{
    qint64 rowid = 0;
    quint64 serial = 0;
    bool hasRowid = false;
    mutable int viewHint = -1; // where the row last stood in the view (checked before use)
    RowValues values;
};

struct Dataset::BatchInfo
{
    bool inserted = false;       // new row, never written
    RowValues original;          // values as loaded (modified rows)
    QVector<bool> changed;       // columns assigned since the last apply
};

struct Dataset::LookupIndex
{
    quint64 version = 0;
    QVector<int> fields; // the key fields, by position
    QHash<QString, const Row *> rows;
};

struct Dataset::SortKey
{
    int field = -1;
    bool descending = false;
};

// What a write changed in memory, so that a rollback of an enclosing transaction can
// put the rows back as they were.
struct Dataset::Snapshot
{
    enum Kind { Inserted, Edited, Deleted, Batch };
    Kind kind = Edited;
    quint64 generation = 0;
    quint64 serial = 0;
    qint64 rowid = 0;
    bool hasRowid = false;
    RowValues values;
    std::unique_ptr<Row> deleted;
    int viewIndex = 0;
    // batch apply
    struct RowState
    {
        quint64 serial;
        qint64 rowid;
        bool hasRowid;
        RowValues values;
    };
    QList<RowState> rows;
    QHash<quint64, BatchInfo> batchInfo;
    std::vector<std::unique_ptr<Row>> batchDeleted;
};

struct Dataset::ColumnInfo
{
    QString name;
    QString type;
    bool primaryKey = false;
};

namespace {

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

DataType typeFromDeclaration(const QString &declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("BOOL")))
        return DataType::Boolean;
    if (t.contains(QLatin1String("INT")))
        return DataType::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return DataType::Text;
    if (t.contains(QLatin1String("BLOB")))
        return DataType::Blob;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return DataType::Date;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB"))
        || t.contains(QLatin1String("NUM")) || t.contains(QLatin1String("DEC")))
        return DataType::Float;
    return DataType::Text;
}

int lengthFromDeclaration(const QString &declared)
{
    static const QRegularExpression re(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
    const QRegularExpressionMatch m = re.match(declared);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

bool isNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

QString label(const Field &field)
{
    QString caption = field.displayLabel();
    caption.replace(QLatin1Char('|'), QString());
    return caption;
}

QString joinedKey(const QVariantList &values)
{
    QString key;
    for (const QVariant &v : values) {
        key += ValueCompare::hashKey(v);
        key += QChar(0x1f);
    }
    return key;
}

} // namespace

// ---- construction ------------------------------------------------------------------------

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
}

void Dataset::setParam(const QString &name, const QVariant &value)
{
    QString key = name.toLower();
    if (key.startsWith(QLatin1Char(':')) || key.startsWith(QLatin1Char('@')) || key.startsWith(QLatin1Char('$')))
        key.remove(0, 1);
    m_namedParams.insert(key, value);
}

void Dataset::setParam(int position, const QVariant &value)
{
    m_positionalParams.insert(position, value);
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

// ---- fields -----------------------------------------------------------------------------

Field &Dataset::createField(FieldKind kind, const QString &name)
{
    m_fields.push_back(std::unique_ptr<Field>(new Field(this, kind, name)));
    reindexFields();
    return *m_fields.back();
}

void Dataset::reindexFields()
{
    m_fieldByName.clear();
    m_fieldByExactName.clear();
    for (int i = 0; i < int(m_fields.size()); ++i) {
        m_fields[i]->m_index = i;
        const QString key = m_fields[i]->name().toLower();
        if (!m_fieldByName.contains(key))
            m_fieldByName.insert(key, i);
    }
    // Names as the fields spell them find the same field as any other spelling, without
    // lower-casing on every call (calculated fields ask once per row and operand).
    for (const auto &f : m_fields)
        m_fieldByExactName.insert(f->name(), m_fieldByName.value(f->name().toLower()));
    m_lookupIndexes->clear();
    rebindViewKeys();
}

void Dataset::rebindViewKeys()
{
    // Sort keys and the filter tree hold field positions, which change when fields are
    // created, reordered or re-read from a new statement. Names that no longer resolve
    // leave the sort or filter inactive (their text is kept) instead of pointing elsewhere.
    if (m_fields.empty()) {
        m_sortKeys->clear();
        return;
    }
    QVector<SortKey> keys;
    DatasetError e = resolveSort(m_sortText, &keys);
    *m_sortKeys = keys;
    if (e.failed())
        m_lastError = e;
    if (m_filterExpr) {
        e = bindFilter(m_filterExpr.get());
        if (e.failed())
            m_lastError = e;
    }
}

void Dataset::fieldPropertiesChanged()
{
    if (m_disableCount == 0)
        emit fieldsChanged();
}

Field &Dataset::addDataField(const QString &column)
{
    if (isOpen())
        qWarning("Dataset %s: data field %s added while open has no values until reopened", qPrintable(m_name),
                 qPrintable(column));
    if (Field *existing = findField(column); existing && existing->isData()) {
        existing->m_declared = true;
        return *existing;
    }
    Field &f = createField(FieldKind::Data, column);
    f.m_declared = true;
    emit fieldsChanged();
    return f;
}

void Dataset::addDataFields(const QStringList &columns)
{
    for (const QString &c : columns)
        addDataField(c);
}

Field &Dataset::addLookupField(const QString &name, Dataset *lookupDataset, const QStringList &lookupKeyFields,
                               const QString &lookupResultField, const QStringList &keyFields)
{
    Field &f = createField(FieldKind::Lookup, name);
    f.m_declared = true;
    f.m_lookupDataset = lookupDataset;
    f.m_lookupKeyFields = lookupKeyFields;
    f.m_lookupResultField = lookupResultField;
    f.m_keyFields = keyFields;
    if (lookupDataset) {
        if (Field *result = lookupDataset->findField(lookupResultField))
            f.m_dataType = result->dataType();
    }
    emit fieldsChanged();
    return f;
}

Field &Dataset::addLookupField(const QString &name, Dataset *lookupDataset, const QString &lookupKeyField,
                               const QString &lookupResultField, const QString &keyField)
{
    return addLookupField(name, lookupDataset, QStringList{lookupKeyField}, lookupResultField, QStringList{keyField});
}

Field &Dataset::addCalcField(const QString &name, CalcFunction function, DataType type)
{
    Field &f = createField(FieldKind::Calculated, name);
    f.m_declared = true;
    f.m_calc = std::move(function);
    f.m_dataType = type;
    emit fieldsChanged();
    return f;
}

void Dataset::clearFields()
{
    if (isOpen()) {
        qWarning("Dataset %s: fields cannot be cleared while open", qPrintable(m_name));
        return;
    }
    m_fields.clear();
    m_columnNames.clear();
    m_columnList.clear();
    m_quotedColumns.clear();
    m_sourceColumn.clear();
    m_inferType.clear();
    m_columnCount = 0;
    m_defaultFields = false;
    m_rowidAliasColumn = -1;
    reindexFields();
    emit fieldsChanged();
}

Field &Dataset::field(int index) const
{
    if (index < 0 || index >= int(m_fields.size()))
        return fieldByName(QStringLiteral("#%1").arg(index));
    return *m_fields[index];
}

Field *Dataset::findField(const QString &name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : m_fields[i].get();
}

Field &Dataset::fieldByName(const QString &name) const
{
    if (Field *f = findField(name))
        return *f;
    if (!m_invalidField)
        m_invalidField.reset(new Field(nullptr, FieldKind::Data, QString()));
    m_invalidField->m_name = name;
    return *m_invalidField;
}

int Dataset::fieldIndex(const QString &name) const
{
    const auto exact = m_fieldByExactName.constFind(name);
    if (exact != m_fieldByExactName.cend())
        return *exact;
    QString key = name.trimmed();
    if (key.startsWith(QLatin1Char('[')) && key.endsWith(QLatin1Char(']')))
        key = key.mid(1, key.size() - 2).trimmed();
    return m_fieldByName.value(key.toLower(), -1);
}

QList<Field *> Dataset::fields() const
{
    QList<Field *> list;
    list.reserve(int(m_fields.size()));
    for (const auto &f : m_fields)
        list.append(f.get());
    return list;
}

QList<Field *> Dataset::visibleFields() const
{
    QList<Field *> list;
    for (const auto &f : m_fields) {
        if (f->isVisible())
            list.append(f.get());
    }
    return list;
}

void Dataset::setFieldOrder(const QStringList &names)
{
    std::vector<int> order;
    for (const QString &name : names) {
        const int i = fieldIndex(name);
        if (i >= 0 && std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    }
    for (int i = 0; i < int(m_fields.size()); ++i) {
        if (std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    }
    std::vector<std::unique_ptr<Field>> ordered;
    for (int i : order)
        ordered.push_back(std::move(m_fields[i]));
    m_fields = std::move(ordered);
    reindexFields();
    emit fieldsChanged();
}

DatasetError Dataset::initFields()
{
    sqlite3 *h = m_db.handle();
    if (!h)
        return DatasetError(DatasetError::Code::State, QStringLiteral("数据库没有打开，不能读取“%1”的字段。").arg(m_name));

    QList<ColumnInfo> columns;
    if (m_kind == Kind::Table) {
        if (m_table.isEmpty())
            return DatasetError(DatasetError::Code::Definition, QStringLiteral("数据集“%1”没有指定数据表。").arg(m_name));
        SqlStatement st(h, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_table)));
        if (!st.ok())
            return DatasetError(DatasetError::Code::Database, st.error().databaseText(), st.error());
        int rc = st.step();
        for (; rc == SQLITE_ROW; rc = st.step())
            columns.append({st.column(1).toString(), st.column(2).toString(), st.column(5).toInt() > 0});
        if (rc != SQLITE_DONE)
            return DatasetError(DatasetError::Code::Database, st.error().databaseText(), st.error());
        if (columns.isEmpty())
            return DatasetError(DatasetError::Code::Definition, QStringLiteral("数据表“%1”不存在。").arg(m_table));
    } else {
        if (m_sql.trimmed().isEmpty())
            return DatasetError(DatasetError::Code::Definition, QStringLiteral("数据集“%1”没有查询语句。").arg(m_name));
        SqlStatement st(h, m_sql);
        if (!st.ok())
            return DatasetError(DatasetError::Code::Database,
                                QStringLiteral("查询“%1”有误：%2").arg(m_name, st.error().databaseText()), st.error());
        for (int i = 0; i < st.columnCount(); ++i) {
            const char *decl = sqlite3_column_decltype(st.handle(), i);
            columns.append({QString::fromUtf8(sqlite3_column_name(st.handle(), i)),
                            decl ? QString::fromUtf8(decl) : QString(), false});
        }
    }
    auto columnIndex = [&columns](const QString &name) {
        for (int i = 0; i < columns.size(); ++i) {
            if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    };

    bool anyDeclared = false;
    for (const auto &f : m_fields)
        anyDeclared = anyDeclared || (f->isData() && f->m_declared);

    if (anyDeclared) {
        // Only the named columns are read: drop default fields left from an earlier open.
        std::vector<std::unique_ptr<Field>> kept;
        for (auto &f : m_fields) {
            if (!f->isData() || f->m_declared)
                kept.push_back(std::move(f));
        }
        m_fields = std::move(kept);
        m_defaultFields = false;
    } else {
        // Every column (but the excluded ones) becomes a field ahead of the declared lookups
        // and calculations; fields of an earlier open keep their settings.
        std::vector<std::unique_ptr<Field>> defaults;
        for (const ColumnInfo &c : columns) {
            if (m_excluded.contains(c.name, Qt::CaseInsensitive))
                continue;
            std::unique_ptr<Field> f;
            for (auto &existing : m_fields) {
                if (existing && existing->isData() && existing->name().compare(c.name, Qt::CaseInsensitive) == 0) {
                    f = std::move(existing);
                    break;
                }
            }
            if (!f)
                f.reset(new Field(this, FieldKind::Data, c.name));
            defaults.push_back(std::move(f));
        }
        for (auto &f : m_fields) {
            if (f && !f->isData())
                defaults.push_back(std::move(f));
        }
        m_fields = std::move(defaults);
        m_defaultFields = true;
    }

    m_columnNames.clear();
    m_sourceColumn.clear();
    m_inferType.clear();
    m_rowidAliasColumn = -1;
    int pkCount = 0;
    QString aliasName;
    for (const ColumnInfo &c : columns) {
        if (c.primaryKey) {
            ++pkCount;
            aliasName = c.name;
            if (c.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) != 0)
                aliasName.clear();
        }
    }
    if (pkCount != 1)
        aliasName.clear();

    for (auto &f : m_fields) {
        if (!f->isData())
            continue;
        const int ci = columnIndex(f->name());
        if (ci < 0) {
            return DatasetError(DatasetError::Code::Definition,
                                QStringLiteral("“%1”没有字段“%2”。").arg(m_kind == Kind::Table ? m_table : m_name, f->name()));
        }
        const ColumnInfo &c = columns[ci];
        f->m_column = int(m_columnNames.size());
        f->m_declaredType = c.type;
        if (!f->m_typeExplicit)
            f->m_dataType = typeFromDeclaration(c.type);
        if (f->m_maxLength == 0)
            f->m_maxLength = lengthFromDeclaration(c.type);
        m_columnNames.append(c.name);
        m_sourceColumn.append(ci);
        m_inferType.append(c.type.isEmpty() && !f->m_typeExplicit && m_kind != Kind::Table);
        if (!aliasName.isEmpty() && c.name.compare(aliasName, Qt::CaseInsensitive) == 0)
            m_rowidAliasColumn = f->m_column;
    }
    m_columnCount = int(m_columnNames.size());
    m_columnList.clear();
    m_quotedColumns.clear();
    // A lookup shows its result field's type (a float lookup takes the number format).
    for (auto &f : m_fields) {
        if (!f->isLookup() || f->m_typeExplicit || !f->m_lookupDataset)
            continue;
        Dataset *source = f->m_lookupDataset;
        if (source != this && source->m_columnNames.isEmpty()) // its fields are not typed yet
            source->initFields();
        if (Field *result = source->findField(f->m_lookupResultField))
            f->m_dataType = result->dataType();
    }
    reindexFields();

    emit fieldsChanged();
    return {};
}

// ---- values -----------------------------------------------------------------------------

const RowValues *Dataset::currentValues() const
{
    ensureRows();
    switch (m_state) {
    case State::Insert:
        return m_insertRow ? &m_insertRow->values : nullptr;
    case State::Edit:
        return &m_buffer;
    case State::Browse:
        return m_current >= 0 && m_current < m_view.size() ? &m_view[m_current]->values : nullptr;
    case State::Inactive:
        break;
    }
    return nullptr;
}

QVariant Dataset::fieldValue(const RowValues &values, int fieldIndex) const
{
    const Field &f = *m_fields[fieldIndex];
    switch (f.m_kind) {
    case FieldKind::Data: {
        if (f.m_column < 0 || f.m_column >= values.size())
            return {};
        const QVariant v = values.at(f.m_column);
        if (f.m_dataType == DataType::Boolean && !isNullValue(v) && v.typeId() != QMetaType::Bool)
            return QVariant(nullAsZero(v) != 0);
        return v;
    }
    case FieldKind::Lookup:
        return lookupValue(values, f);
    case FieldKind::Calculated: {
        const RecordRef record(this, &values);
        if (f.m_calc)
            return f.m_calc(record);
        if (m_hooks.onCalcFields)
            return m_hooks.onCalcFields(record, f);
        return {};
    }
    }
    return {};
}

QVariant Dataset::lookupValue(const RowValues &values, const Field &field) const
{
    Dataset *source = field.m_lookupDataset;
    if (!source || !source->isOpen())
        return {};
    QVariantList key;
    key.reserve(field.m_keyFields.size());
    for (const QString &name : field.m_keyFields) {
        const int i = fieldIndex(name);
        if (i < 0)
            return {};
        QVariant v = fieldValue(values, i);
        if (isNullValue(v))
            return {};
        key.append(v);
    }
    const Row *row = source->findByKey(field.m_lookupKeyFields, key);
    if (!row)
        return {};
    const int result = source->fieldIndex(field.m_lookupResultField);
    return result < 0 ? QVariant() : source->fieldValue(row->values, result);
}

const Dataset::Row *Dataset::findByKey(const QStringList &keyFields, const QVariantList &keyValues) const
{
    ensureRows();
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

QVariant Dataset::currentFieldValue(int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= int(m_fields.size()))
        return {};
    const RowValues *values = currentValues();
    return values ? fieldValue(*values, fieldIndex) : QVariant();
}

QVariant Dataset::storedFieldValue(int fieldIndex) const
{
    ensureRows();
    if (fieldIndex < 0 || fieldIndex >= int(m_fields.size()) || m_state == State::Insert)
        return {};
    if (m_current < 0 || m_current >= m_view.size())
        return {};
    return fieldValue(m_view[m_current]->values, fieldIndex);
}

QVariant Dataset::value(const QString &fieldName) const
{
    return currentFieldValue(fieldIndex(fieldName));
}

QVariant Dataset::value(int row, int fieldIndex) const
{
    ensureRows();
    if (row < 0 || row >= m_view.size() || fieldIndex < 0 || fieldIndex >= int(m_fields.size()))
        return {};
    const RowValues &values = (m_state == State::Edit && row == m_current) ? m_buffer : m_view[row]->values;
    return fieldValue(values, fieldIndex);
}

QString Dataset::displayText(int row, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= int(m_fields.size()))
        return {};
    return m_fields[fieldIndex]->formatValue(value(row, fieldIndex));
}

bool Dataset::isPendingRow(int row) const
{
    ensureRows();
    return m_state == State::Insert && row == m_current && row >= 0;
}

DatasetError Dataset::convertValue(const Field &field, const QVariant &in, QVariant *out) const
{
    const QString name = label(field);
    auto invalid = [&](const QString &what) {
        return DatasetError(DatasetError::Code::Validation,
                            QStringLiteral("“%1”不是有效的%2（字段“%3”）。").arg(in.toString(), what, name));
    };
    if (isNullValue(in)) {
        *out = QVariant();
        return {};
    }
    const bool isText = in.typeId() == QMetaType::QString;
    const QString text = isText ? in.toString().trimmed() : QString();
    if (isText && text.isEmpty() && field.m_dataType != DataType::Text) {
        *out = QVariant();
        return {};
    }
    switch (field.m_dataType) {
    case DataType::Integer: {
        if (isText) {
            bool ok = false;
            const qint64 v = text.toLongLong(&ok);
            if (ok) {
                *out = qlonglong(v);
                return {};
            }
            const double d = text.toDouble(&ok);
            if (ok && d == double(qint64(d))) {
                *out = qlonglong(d);
                return {};
            }
            return invalid(QStringLiteral("整数"));
        }
        if (ValueCompare::isNumber(in)) {
            const double d = in.toDouble();
            if (in.typeId() == QMetaType::LongLong || in.typeId() == QMetaType::Int || in.typeId() == QMetaType::Bool) {
                *out = qlonglong(in.toLongLong());
                return {};
            }
            if (d == double(qint64(d))) {
                *out = qlonglong(d);
                return {};
            }
        }
        return invalid(QStringLiteral("整数"));
    }
    case DataType::Float: {
        double d = 0;
        if (ValueCompare::toNumber(in, &d)) {
            *out = d;
            return {};
        }
        return invalid(QStringLiteral("数值"));
    }
    case DataType::Boolean: {
        if (in.typeId() == QMetaType::Bool || ValueCompare::isNumber(in)) {
            *out = qlonglong(nullAsZero(in) != 0 ? 1 : 0);
            return {};
        }
        const QString t = text.toLower();
        static const QStringList yes{QStringLiteral("true"), QStringLiteral("1"), QStringLiteral("yes"),
                                     QStringLiteral("是"), QStringLiteral("√")};
        static const QStringList no{QStringLiteral("false"), QStringLiteral("0"), QStringLiteral("no"),
                                    QStringLiteral("否")};
        if (yes.contains(t)) {
            *out = qlonglong(1);
            return {};
        }
        if (no.contains(t)) {
            *out = qlonglong(0);
            return {};
        }
        return invalid(QStringLiteral("逻辑值"));
    }
    case DataType::Date: {
        if (in.typeId() == QMetaType::QDate) {
            if (!in.toDate().isValid())
                return invalid(QStringLiteral("日期"));
            *out = in.toDate().toString(Qt::ISODate);
            return {};
        }
        if (in.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = in.toDateTime();
            if (!dt.isValid())
                return invalid(QStringLiteral("日期"));
            *out = dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                             : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return {};
        }
        // Stored as ISO text so that text comparison orders dates.
        static const char *const dateForms[] = {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyy.M.d"};
        for (const char *form : dateForms) {
            const QDate d = QDate::fromString(text, QLatin1String(form));
            if (d.isValid()) {
                *out = d.toString(Qt::ISODate);
                return {};
            }
        }
        static const char *const timeForms[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-M-d H:m:s", "yyyy-MM-ddTHH:mm:ss",
                                                "yyyy-M-d H:m"};
        for (const char *form : timeForms) {
            const QDateTime dt = QDateTime::fromString(text, QLatin1String(form));
            if (dt.isValid()) {
                *out = dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                return {};
            }
        }
        return invalid(QStringLiteral("日期"));
    }
    case DataType::Text: {
        QString s;
        if (in.typeId() == QMetaType::QDate)
            s = in.toDate().toString(Qt::ISODate);
        else if (in.typeId() == QMetaType::QByteArray)
            s = QString::fromUtf8(in.toByteArray());
        else if (in.typeId() == QMetaType::Double)
            s = QString::number(in.toDouble(), 'g', 15);
        else
            s = in.toString();
        if (field.m_maxLength > 0 && s.toUcs4().size() > field.m_maxLength) {
            return DatasetError(DatasetError::Code::Validation,
                                QStringLiteral("字段“%1”最多 %2 个字符。").arg(name).arg(field.m_maxLength));
        }
        *out = s;
        return {};
    }
    case DataType::Blob:
        *out = in.typeId() == QMetaType::QString ? in.toString().toUtf8() : in.toByteArray();
        return {};
    }
    return {};
}

DatasetError Dataset::assign(Field &field, const QVariant &value)
{
    if (field.m_dataset != this)
        return DatasetError(DatasetError::Code::Validation, QStringLiteral("字段“%1”不属于“%2”。").arg(field.name(), m_name));
    if (m_state == State::Inactive)
        return remember(stateError(QStringLiteral("修改字段“%1”").arg(label(field))));
    if (m_state == State::Browse) {
        if (!m_autoEdit)
            return remember(DatasetError(DatasetError::Code::State,
                                         QStringLiteral("“%1”不在编辑状态，不能修改字段“%2”。").arg(m_name, label(field))));
        const DatasetError e = edit();
        if (e.failed())
            return e;
    }
    if (!field.isData() || field.m_column < 0)
        return remember(DatasetError(DatasetError::Code::Validation, QStringLiteral("字段“%1”是只读的，不能修改。").arg(label(field))));
    if (field.isReadOnly() && !m_linkAssign)
        return remember(DatasetError(DatasetError::Code::Validation, QStringLiteral("字段“%1”是只读的，不能修改。").arg(label(field))));
    QVariant converted;
    const DatasetError e = convertValue(field, value, &converted);
    if (e.failed())
        return remember(e);
    if (field.m_validator) {
        const State before = m_state;
        const bool accepted = field.m_validator(field, converted);
        if (!accepted || m_state != before)
            return DatasetError(DatasetError::Code::Refused, QString());
    }
    RowValues &values = m_state == State::Insert ? m_insertRow->values : m_buffer;
    values.set(field.m_column, converted);
    m_changed[field.m_column] = true;
    if (!m_inNewRecord && !m_linkAssign)
        m_userModified = true;
    emitRowChanged(m_current);
    if (field.m_onChange)
        field.m_onChange(field);
    return {};
}

DatasetError Dataset::setValue(const QString &fieldName, const QVariant &value)
{
    return fieldByName(fieldName).setValue(value);
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

// ---- reading ----------------------------------------------------------------------------

void Dataset::ensureRows() const
{
    if (!m_rowsPending || m_state == State::Inactive)
        return;
    // Reading rows changes no value anyone has seen: the open merely happened later.
    Dataset *self = const_cast<Dataset *>(this);
    self->m_rowsPending = false;
    const DatasetError e = self->load();
    if (e.failed())
        self->m_lastError = e;
    self->rebuildView(false);
    self->m_current = m_view.isEmpty() ? -1 : 0;
    self->m_bof = true;
    self->m_eof = m_view.isEmpty();
    self->notifyDetails(true);
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
        row->values = st.row(builder, n, offset, table ? nullptr : &m_sourceColumn);
        rows->push_back(row);
    }
    return {};
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
        noRows = key.isEmpty() || std::any_of(key.cbegin(), key.cend(), isNullValue);
        QStringList parts;
        for (const QString &d : m_detailFields)
            parts.append(quoted(d) + QStringLiteral(" = ?"));
        where = parts.join(QStringLiteral(" AND "));
    }
    if (!noRows) {
        const DatasetError e = readRows(where, key, &rows);
        if (e.failed())
            return e;
    }
    clearRows();
    m_rows = std::move(rows);
    m_rowsPending = false;
    m_rowidOrdered = m_kind == Kind::Table; // read ORDER BY rowid
    m_loadedMasterKey = key;
    m_masterKeyLoaded = true;
    ++m_loadGeneration;
    bumpVersion();
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

// ---- open, close, refresh ---------------------------------------------------------------

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
    QList<Dataset *> list;
    for (const auto &d : m_openDependencies) {
        if (d)
            list.append(d);
    }
    return list;
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
    rebuildView(false);
    m_current = m_view.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.isEmpty();
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
    m_masterKeyLoaded = false;
    m_loadedMasterKey.clear();
    ++m_loadGeneration;
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
    e = reload(true);
    if (e.failed())
        return remember(e);
    if (m_hooks.afterRefresh)
        m_hooks.afterRefresh(*this);
    return {};
}

DatasetError Dataset::reload(bool fireHooks)
{
    Q_UNUSED(fireHooks)
    if (m_rowsPending)
        return {};
    const Row *current = rowAt(m_current);
    const bool hadRowid = current && current->hasRowid;
    const qint64 rowid = current ? current->rowid : 0;
    const int position = m_current;
    const DatasetError e = load();
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
    m_bof = m_current <= 0;
    m_eof = m_view.isEmpty();
    emitReset();
    emitCurrent();
    notifyDetails(true);
    return {};
}

void Dataset::registerReloadUndo()
{
    if (m_db.transactionDepth() == 0)
        return;
    // Rows read inside a transaction that is later rolled back are read again afterwards.
    QPointer<Dataset> self(this);
    const quint64 generation = m_loadGeneration;
    m_db.onRollback([self, generation] {
        if (self && self->isOpen() && self->m_loadGeneration == generation && !self->isEditing())
            self->reload(false);
    });
}

// ---- view and cursor --------------------------------------------------------------------

bool Dataset::passesFilter(const Row *row) const
{
    if (!m_filtered || !m_filterExpr || !m_filterExpr->isBound())
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
    m_view.reserve(qsizetype(m_rows.size()));
    for (Row *r : m_rows) {
        if (passesFilter(r))
            m_view.append(r);
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
    ensureRows();
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
    ensureRows();
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

QVariant Dataset::lookup(const QStringList &keyFields, const QVariantList &keyValues, const QString &resultField) const
{
    if (!isOpen() || keyFields.size() != keyValues.size())
        return {};
    const Row *row = findByKey(keyFields, keyValues);
    const int result = fieldIndex(resultField);
    return row && result >= 0 ? fieldValue(row->values, result) : QVariant();
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
    ensureRows();
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
    ensureRows();
    const int i = viewIndexOf(findByRowid(rowid));
    return i >= 0 && setCurrentRow(i);
}

// ---- states -----------------------------------------------------------------------------

void Dataset::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (m_disableCount == 0)
        emit stateChanged(state);
}

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

DatasetError Dataset::reportWriteError(const DatasetError &error, bool isDelete)
{
    DatasetError e = error;
    const QString refusal = refusalMessage(error.sqlError());
    if (!refusal.isEmpty())
        e = DatasetError(error.code(), refusal, error.sqlError());
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
    *values = st.row(builder, m_columnCount, 0);
    return {};
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
                    SqlStatement del(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quotedTable()));
                    if (!del.ok() || !del.bind(1, row->rowid) || !del.run())
                        err = del.error();
                    else if (sqlite3_changes(m_db.handle()) == 0)
                        failure = conflictError(); // another program deleted it first
                }
                if (failure.ok() && !err.isValid()) {
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
    m_bof = m_current <= 0;
    m_eof = m_view.isEmpty();
    emitCurrent();
    notifyDetails(false);
    if (m_hooks.afterDelete)
        m_hooks.afterDelete(*this);
    if (m_hooks.afterScroll)
        m_hooks.afterScroll(*this);
    return {};
}

// ---- transactions -----------------------------------------------------------------------

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

// ---- batch ------------------------------------------------------------------------------

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
            QSqlError err;
            if (!m_db.exec(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoted(m_table)), {row->rowid}, &err))
                failure = DatasetError(DatasetError::Code::Database,
                                       QStringLiteral("删除“%1”的记录失败：%2").arg(m_name, err.databaseText()), err);
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
    if (failure.failed()) {
        const QString refusal = refusalMessage(failure.sqlError());
        if (!refusal.isEmpty())
            failure = DatasetError(failure.code(), refusal, failure.sqlError());
        return remember(failure);
    }
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
    m_bof = m_current <= 0;
    m_eof = m_view.isEmpty();
    emitReset();
    emitCurrent();
    notifyDetails(false);
}

// ---- filter and sort --------------------------------------------------------------------

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
    if (isOpen() && m_filtered) {
        reapplyView();
    }
    return {};
}

// The rows shown changed (filter or sort): rebuild the view, keep the current row where it
// can stay, and tell the models and the details.
void Dataset::reapplyView()
{
    const Row *before = rowAt(m_current);
    rebuildView(true);
    m_bof = m_current <= 0;
    m_eof = m_view.isEmpty();
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
    if (isOpen() && m_filterExpr) {
        reapplyView();
    }
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
    if (isOpen()) {
        rebuildView(true);
        m_bof = m_current <= 0;
        m_eof = m_view.isEmpty();
        emitReset();
        emitCurrent();
    }
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

// ---- re-reading rows --------------------------------------------------------------------

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
    if (rowids.isEmpty() || m_rowsPending)
        return {};

    QHash<qint64, Row *> fetched;
    std::vector<Row *> read;
    QVariantList key;
    bool belongsNowhere = false;
    QString masterWhere;
    if (m_master) {
        key = m_loadedMasterKey;
        belongsNowhere = key.isEmpty() || std::any_of(key.cbegin(), key.cend(), isNullValue);
        QStringList parts;
        for (const QString &d : m_detailFields)
            parts.append(quoted(d) + QStringLiteral(" = ?"));
        masterWhere = parts.join(QStringLiteral(" AND "));
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
        if (!masterWhere.isEmpty()) {
            where += QStringLiteral(" AND ") + masterWhere;
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
        m_bof = m_current <= 0;
        m_eof = m_view.isEmpty();
        emitCurrent();
    }
    notifyDetails(false);
    return {};
}

// ---- master link ------------------------------------------------------------------------

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
    QList<Dataset *> list;
    for (const auto &d : m_details) {
        if (d)
            list.append(d);
    }
    return list;
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
    rebuildView(false);
    m_current = m_view.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.isEmpty();
    emitReset();
    emitCurrent();
    notifyDetails(true);
    if (m_hooks.afterScroll)
        m_hooks.afterScroll(*this);
}

// ---- notifications ----------------------------------------------------------------------

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
