// Values: reading a field of a row (stored, pending, looked up or calculated) and assigning one.

#include "core/dataset/dataset.h"

#include "core/dataset/datasetrows.h"
#include "core/dataset/valuecompare.h"

#include <QDateTime>

namespace hemu {

using namespace datasetrows;

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

QVariant Dataset::lookup(const QStringList &keyFields, const QVariantList &keyValues, const QString &resultField) const
{
    if (!isOpen() || keyFields.size() != keyValues.size())
        return {};
    const Row *row = findByKey(keyFields, keyValues);
    const int result = fieldIndex(resultField);
    return row && result >= 0 ? fieldValue(row->values, result) : QVariant();
}

} // namespace hemu
