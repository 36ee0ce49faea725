#include "core/dataset/field.h"

#include "core/dataset/dataset.h"
#include "core/dataset/valuecompare.h"
#include "core/format/numberformat.h"

namespace hemu {

double nullAsZero(const QVariant &value)
{
    double d = 0;
    return ValueCompare::toNumber(value, &d) ? d : 0.0;
}

namespace calc {
CalcFunction sum(const QStringList &plus, const QStringList &minus)
{
    return [plus, minus](const RecordRef &r) -> QVariant {
        double total = 0;
        for (const QString &name : plus)
            total += r.number(name);
        for (const QString &name : minus)
            total -= r.number(name);
        return total;
    };
}

CalcFunction product(const QStringList &factors)
{
    return [factors](const RecordRef &r) -> QVariant {
        double total = 1;
        for (const QString &name : factors)
            total *= r.number(name);
        return total;
    };
}
} // namespace calc

QVariant RecordRef::value(const QString &fieldName) const
{
    return value(m_dataset->fieldIndex(fieldName));
}

QVariant RecordRef::value(int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= m_dataset->fieldCount())
        return {};
    return m_dataset->fieldValue(*m_values, fieldIndex);
}

bool RecordRef::isNull(const QString &fieldName) const
{
    const QVariant v = value(fieldName);
    return !v.isValid() || v.isNull();
}

double RecordRef::number(const QString &fieldName) const
{
    return nullAsZero(value(fieldName));
}

Field::Field(Dataset *dataset, FieldKind kind, const QString &name)
    : m_dataset(dataset), m_kind(kind), m_name(name)
{
    if (kind == FieldKind::Calculated)
        m_dataType = DataType::Float;
}

Field::~Field() = default;

void Field::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_dataset)
        m_dataset->fieldPropertiesChanged();
}

void Field::setDataType(DataType type)
{
    m_dataType = type;
    m_typeExplicit = true;
}

QString Field::displayFormat() const
{
    return m_format ? m_format->pattern() : QString();
}

void Field::setDisplayFormat(const QString &pattern)
{
    if (pattern.isEmpty())
        m_format.reset();
    else
        m_format = std::make_unique<NumberFormat>(pattern);
    if (m_dataset)
        m_dataset->fieldPropertiesChanged();
}

void Field::setBooleanTexts(const QString &trueText, const QString &falseText)
{
    m_trueText = trueText;
    m_falseText = falseText;
    m_booleanTextsSet = true;
}

void Field::setDisplayFunction(std::function<QString(const QVariant &)> function)
{
    m_displayFunction = std::move(function);
}

void Field::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (m_dataset)
        m_dataset->fieldPropertiesChanged();
}

QVariant Field::value() const
{
    return m_dataset ? m_dataset->currentFieldValue(m_index) : QVariant();
}

bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::displayText() const
{
    return formatValue(value());
}

QString Field::asString() const
{
    const QVariant v = value();
    return v.isNull() ? QString() : v.toString();
}

double Field::asFloat() const
{
    return nullAsZero(value());
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return v.toLongLong();
    return qint64(nullAsZero(v));
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    return nullAsZero(v) != 0;
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    const QString text = v.toString();
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QVariant Field::oldValue() const
{
    return m_dataset ? m_dataset->storedFieldValue(m_index) : QVariant();
}

DatasetError Field::setValue(const QVariant &value)
{
    if (!m_dataset)
        return DatasetError(DatasetError::Code::Validation, QStringLiteral("字段“%1”不存在。").arg(m_name));
    return m_dataset->assign(*this, value);
}

QString Field::formatValue(const QVariant &value) const
{
    if (m_displayFunction)
        return m_displayFunction(value);
    if (!value.isValid() || value.isNull())
        return {};
    switch (m_dataType) {
    case DataType::Boolean: {
        const bool on = value.typeId() == QMetaType::Bool ? value.toBool() : nullAsZero(value) != 0;
        if (m_booleanTextsSet)
            return on ? m_trueText : m_falseText;
        return on ? QStringLiteral("是") : QStringLiteral("否");
    }
    case DataType::Integer:
    case DataType::Float:
        if (m_format)
            return m_format->format(value);
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return NumberFormat::defaultText(value.toDouble());
        return value.toString();
    case DataType::Blob:
        return QStringLiteral("(BLOB)");
    case DataType::Text:
    case DataType::Date:
        break;
    }
    if (value.typeId() == QMetaType::Double && m_format)
        return m_format->format(value);
    return value.toString();
}

} // namespace hemu
