#pragma once

#include "core/dataset/dataseterror.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace hemu {

class Dataset;
class NumberFormat;
class RowValues;

enum class DataType { Integer, Float, Text, Boolean, Date, Blob };
enum class FieldKind { Data, Lookup, Calculated };

/** Read access to one record (a stored row or the pending edit) for calculated fields. */
class RecordRef
{
public:
    QVariant value(const QString &fieldName) const;
    QVariant value(int fieldIndex) const;
    bool isNull(const QString &fieldName) const;
    /// The field's value as a number; NULL (or a text that is no number) counts as 0.
    double number(const QString &fieldName) const;
    const Dataset &dataset() const { return *m_dataset; }

private:
    friend class Dataset;
    RecordRef(const Dataset *dataset, const RowValues *values)
        : m_dataset(dataset), m_values(values)
    {
    }
    const Dataset *m_dataset;
    const RowValues *m_values;
};

using CalcFunction = std::function<QVariant(const RecordRef &)>;

/// A value as a number for arithmetic where an empty operand counts as 0.
double nullAsZero(const QVariant &value);

namespace calc {
/// plus[0] + plus[1] + ... - minus[0] - ..., every NULL operand counting as 0 (Double).
CalcFunction sum(const QStringList &plus, const QStringList &minus = {});
/// factors[0] * factors[1] * ..., every NULL operand counting as 0 (Double).
CalcFunction product(const QStringList &factors);
} // namespace calc

/**
 * One column of a dataset: a table column (data field), a value fetched from another
 * dataset by key (lookup field) or a value computed per row (calculated field).
 * Owned by its dataset; the reference stays valid until the dataset's fields are cleared.
 */
class Field
{
public:
    ~Field();
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;

    /// False only for the stand-in Dataset::fieldByName() returns for an unknown name.
    bool isValid() const { return m_dataset != nullptr; }
    Dataset *dataset() const { return m_dataset; }
    QString name() const { return m_name; }
    FieldKind kind() const { return m_kind; }
    bool isData() const { return m_kind == FieldKind::Data; }
    bool isLookup() const { return m_kind == FieldKind::Lookup; }
    bool isCalculated() const { return m_kind == FieldKind::Calculated; }
    /// Position in the dataset's field list.
    int index() const { return m_index; }

    /// Caption shown as the column title; "上|下" is a two-line title. Empty means the name.
    QString caption() const { return m_caption; }
    QString displayLabel() const { return m_caption.isEmpty() ? m_name : m_caption; }
    void setCaption(const QString &caption);

    DataType dataType() const { return m_dataType; }
    void setDataType(DataType type);
    /// The column's declared SQL type ("INTEGER", "REAL", ...); empty for lookups and calculations.
    QString declaredType() const { return m_declaredType; }
    bool isNumeric() const { return m_dataType == DataType::Integer || m_dataType == DataType::Float; }

    /// Numeric display pattern ("0.0#;'-'0.0#;#.##"); empty gives the default display.
    QString displayFormat() const;
    void setDisplayFormat(const QString &pattern);
    /// Texts shown for a Boolean field; "是" and "否" unless set.
    void setBooleanTexts(const QString &trueText, const QString &falseText);
    /// Replaces the whole display of the field (format and boolean texts).
    void setDisplayFunction(std::function<QString(const QVariant &)> function);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    /// Lookup and calculated fields are always read-only.
    bool isReadOnly() const { return m_readOnly || m_kind != FieldKind::Data; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    /// A required field must not be NULL (or an empty text) when its row is posted.
    bool isRequired() const { return m_required; }
    void setRequired(bool required) { m_required = required; }
    /// Maximum number of characters of a text field; 0 is no limit.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }

    /// Runs before a value is stored: return false to refuse the assignment. The validator
    /// may cancel the pending row (the assignment then reports Refused).
    void setValidator(std::function<bool(Field &, const QVariant &value)> validator)
    {
        m_validator = std::move(validator);
    }
    /// Runs after a value has been stored in the pending record.
    void setOnChange(std::function<void(Field &)> onChange) { m_onChange = std::move(onChange); }

    // Lookup definition: the value of lookupResultField in the row of lookupDataset whose
    // lookupKeyFields equal this dataset's keyFields. No such row gives NULL.
    Dataset *lookupDataset() const { return m_lookupDataset; }
    QStringList lookupKeyFields() const { return m_lookupKeyFields; }
    QString lookupResultField() const { return m_lookupResultField; }
    QStringList keyFields() const { return m_keyFields; }

    CalcFunction calcFunction() const { return m_calc; }

    // The current record of the dataset (the pending edit while editing or inserting).
    QVariant value() const;
    bool isNull() const;
    QString displayText() const;
    QString asString() const;
    double asFloat() const; // NULL is 0
    qint64 asInteger() const;
    bool asBoolean() const;
    QDate asDate() const;
    /// The value of the current row as stored, before the pending edit.
    QVariant oldValue() const;
    /// Assigns in edit or insert state, with type conversion and validation.
    DatasetError setValue(const QVariant &value);
    DatasetError clear() { return setValue(QVariant()); }

    /// The text shown for `value` under this field's display rules.
    QString formatValue(const QVariant &value) const;

private:
    friend class Dataset;
    Field(Dataset *dataset, FieldKind kind, const QString &name);

    Dataset *m_dataset = nullptr;
    FieldKind m_kind = FieldKind::Data;
    QString m_name;
    int m_index = -1;
    int m_column = -1; // data fields: position in the stored row
    QString m_caption;
    DataType m_dataType = DataType::Text;
    QString m_declaredType;
    std::unique_ptr<NumberFormat> m_format;
    QString m_trueText;
    QString m_falseText;
    std::function<QString(const QVariant &)> m_displayFunction;
    bool m_visible = true;
    bool m_readOnly = false;
    bool m_required = false;
    bool m_declared = false; // named by the data module, not created from the table
    bool m_typeExplicit = false; // setDataType() was called: the column's type does not override
    bool m_booleanTextsSet = false;
    int m_maxLength = 0;
    std::function<bool(Field &, const QVariant &)> m_validator;
    std::function<void(Field &)> m_onChange;
    QPointer<Dataset> m_lookupDataset;
    QStringList m_lookupKeyFields;
    QString m_lookupResultField;
    QStringList m_keyFields;
    CalcFunction m_calc;
};

} // namespace hemu
