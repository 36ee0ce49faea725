// Fields: declared ones, the default ones of a table, and their columns as the file declares them.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"

#include <QRegularExpression>
#include <algorithm>
#include <sqlite3.h>

namespace hemu {

using namespace datasetrows;

struct Dataset::TableColumn
{
    QString name;
    QString type;
    bool primaryKey = false;
};

namespace {

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

} // namespace

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

    QList<TableColumn> columns;
    if (m_rowSource && m_kind != Kind::Table) {
        for (const SourceColumn &c : std::as_const(m_sourceColumns))
            columns.append({c.name, c.type, false});
    } else if (m_kind == Kind::Table) {
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
        for (const TableColumn &c : columns) {
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
    for (const TableColumn &c : columns) {
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
        const TableColumn &c = columns[ci];
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

} // namespace hemu
