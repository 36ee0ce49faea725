#pragma once

#include <QByteArray>
#include <QVariant>
#include <QVector>
#include <cstdint>
#include <vector>

namespace hemu {

/**
 * The values of one dataset row. Rows read from the database are kept packed: one block
 * holding every column as a tag and its bytes (integers and reals as 8 bytes, texts as
 * UTF-8), a tenth of what a QVariant per column costs; a 200,000-row view stays small.
 * A row being edited is unpacked into QVariants on its first assignment.
 */
class RowValues
{
public:
    RowValues() = default;
    RowValues(const QVector<QVariant> &values) : m_vector(values) {}
    RowValues(const RowValues &other);
    RowValues(RowValues &&other) noexcept;
    RowValues &operator=(const RowValues &other);
    RowValues &operator=(RowValues &&other) noexcept;
    ~RowValues();

    int size() const;
    bool isEmpty() const { return size() == 0; }
    /// The value of column `i` (an invalid QVariant for NULL or a column out of range).
    QVariant at(int i) const;
    /// Sets column `i`, unpacking the row first.
    void set(int i, const QVariant &value);
    /// `n` columns; unpacks the row, new columns are NULL.
    void resize(int n);
    void clear();
    QVector<QVariant> toVector() const;
    bool isPacked() const { return m_packed != nullptr; }
    /// Packs the row when every value is NULL, an integer, a real, a text or a blob (the
    /// types the database gives); any other value keeps the row as it is.
    void pack();

    /// Same values column by column, as QVariant compares them.
    bool operator==(const RowValues &other) const;
    bool operator!=(const RowValues &other) const { return !(*this == other); }

    /// Builds a packed row column by column, straight from what the database returns.
    class Builder
    {
    public:
        explicit Builder(int columns);
        void addNull();
        void addInteger(qint64 value);
        void addReal(double value);
        void addText(const char *utf8, int bytes);
        void addBlob(const void *data, int bytes);
        /// Adds any value; false (nothing added) for a type a packed row does not hold.
        bool add(const QVariant &value);
        /// The packed row; the builder is empty again (and keeps its buffers) for the next.
        RowValues finish();

    private:
        void begin(char tag);
        void append(const void *data, size_t bytes);
        int m_columns;
        std::vector<quint32> m_offsets;
        std::vector<char> m_cells;
    };

private:
    QVector<QVariant> m_vector; // unpacked form
    char *m_packed = nullptr;   // packed form: see rowvalues.cpp
};

} // namespace hemu
