#include "core/dataset/rowvalues.h"

#include <cstdlib>
#include <cstring>

namespace hemu {

// Packed layout, one malloc'ed block:
//   quint32 size of the block | quint16 columns n | quint8 offset width w (2 or 4)
//   n + 1 offsets of w bytes, from the start of the cells (the last one is the cells' end)
//   cells: a tag byte, then 8 bytes for an integer or real, the bytes of a text or blob.
// The tags keep a null QString and a null QByteArray apart from empty ones, so a row comes
// back exactly as it was packed.

namespace {
enum Tag : char { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4, NullText = 5, NullBlob = 6 };
constexpr int HeaderSize = 4 + 2 + 1;

template<typename T> T readAt(const char *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

quint32 blockSize(const char *packed) { return readAt<quint32>(packed); }
int columnCount(const char *packed) { return readAt<quint16>(packed + 4); }

/// Start and length of cell `i` (tag included).
const char *cell(const char *packed, int i, int *length)
{
    const int n = columnCount(packed);
    const int width = static_cast<unsigned char>(packed[6]);
    const char *offsets = packed + HeaderSize;
    const char *cells = offsets + (n + 1) * width;
    quint32 from, to;
    if (width == 2) {
        from = readAt<quint16>(offsets + i * 2);
        to = readAt<quint16>(offsets + (i + 1) * 2);
    } else {
        from = readAt<quint32>(offsets + i * 4);
        to = readAt<quint32>(offsets + (i + 1) * 4);
    }
    *length = int(to - from);
    return cells + from;
}

QVariant decode(const char *c, int length)
{
    switch (c[0]) {
    case Integer: return QVariant(qlonglong(readAt<qint64>(c + 1)));
    case Real: return QVariant(readAt<double>(c + 1));
    case Text: return QVariant(QString::fromUtf8(c + 1, length - 1));
    case Blob: return QVariant(QByteArray(c + 1, length - 1));
    case NullText: return QVariant(QString());
    case NullBlob: return QVariant(QByteArray());
    default: return QVariant();
    }
}
} // namespace

RowValues::RowValues(const RowValues &other)
    : m_vector(other.m_vector)
{
    if (other.m_packed) {
        const quint32 size = blockSize(other.m_packed);
        m_packed = static_cast<char *>(std::malloc(size));
        std::memcpy(m_packed, other.m_packed, size);
    }
}

RowValues::RowValues(RowValues &&other) noexcept
    : m_vector(std::move(other.m_vector)), m_packed(other.m_packed)
{
    other.m_packed = nullptr;
}

RowValues &RowValues::operator=(const RowValues &other)
{
    if (this != &other) {
        RowValues copy(other);
        *this = std::move(copy);
    }
    return *this;
}

RowValues &RowValues::operator=(RowValues &&other) noexcept
{
    if (this != &other) {
        std::free(m_packed);
        m_packed = other.m_packed;
        other.m_packed = nullptr;
        m_vector = std::move(other.m_vector);
    }
    return *this;
}

RowValues::~RowValues()
{
    std::free(m_packed);
}

int RowValues::size() const
{
    return m_packed ? columnCount(m_packed) : int(m_vector.size());
}

QVariant RowValues::at(int i) const
{
    if (i < 0 || i >= size())
        return {};
    if (!m_packed)
        return m_vector[i];
    int length = 0;
    const char *c = cell(m_packed, i, &length);
    return decode(c, length);
}

QVector<QVariant> RowValues::toVector() const
{
    if (!m_packed)
        return m_vector;
    QVector<QVariant> out;
    const int n = size();
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out.append(at(i));
    return out;
}

void RowValues::set(int i, const QVariant &value)
{
    if (m_packed) {
        m_vector = toVector();
        std::free(m_packed);
        m_packed = nullptr;
    }
    if (i >= 0 && i < m_vector.size())
        m_vector[i] = value;
}

void RowValues::resize(int n)
{
    if (m_packed) {
        m_vector = toVector();
        std::free(m_packed);
        m_packed = nullptr;
    }
    m_vector.resize(n);
}

void RowValues::clear()
{
    std::free(m_packed);
    m_packed = nullptr;
    m_vector.clear();
}

void RowValues::pack()
{
    if (m_packed)
        return;
    Builder builder(int(m_vector.size()));
    for (const QVariant &v : std::as_const(m_vector)) {
        if (!builder.add(v))
            return;
    }
    *this = builder.finish();
}

bool RowValues::operator==(const RowValues &other) const
{
    const int n = size();
    if (n != other.size())
        return false;
    if (m_packed && other.m_packed) {
        if (blockSize(m_packed) == blockSize(other.m_packed) && std::memcmp(m_packed, other.m_packed, blockSize(m_packed)) == 0)
            return true;
        // Cells with the same bytes hold the same value; the others compare as QVariants
        // (an integer equals the same real).
        for (int i = 0; i < n; ++i) {
            int a = 0, b = 0;
            const char *ca = cell(m_packed, i, &a);
            const char *cb = cell(other.m_packed, i, &b);
            if ((a != b || std::memcmp(ca, cb, size_t(a)) != 0) && decode(ca, a) != decode(cb, b))
                return false;
        }
        return true;
    }
    for (int i = 0; i < n; ++i) {
        if (at(i) != other.at(i))
            return false;
    }
    return true;
}

// ---- Builder ----------------------------------------------------------------------------

RowValues::Builder::Builder(int columns)
    : m_columns(columns)
{
    m_offsets.reserve(size_t(columns) + 1);
    m_cells.reserve(size_t(columns) * 9);
}

void RowValues::Builder::begin(char tag)
{
    m_offsets.push_back(quint32(m_cells.size()));
    m_cells.push_back(tag);
}

void RowValues::Builder::append(const void *data, size_t bytes)
{
    const char *p = static_cast<const char *>(data);
    m_cells.insert(m_cells.end(), p, p + bytes);
}

void RowValues::Builder::addNull()
{
    begin(Null);
}

void RowValues::Builder::addInteger(qint64 value)
{
    begin(Integer);
    append(&value, sizeof value);
}

void RowValues::Builder::addReal(double value)
{
    begin(Real);
    append(&value, sizeof value);
}

void RowValues::Builder::addText(const char *utf8, int bytes)
{
    begin(utf8 ? Text : NullText);
    if (bytes > 0)
        append(utf8, size_t(bytes));
}

void RowValues::Builder::addBlob(const void *data, int bytes)
{
    begin(data ? Blob : NullBlob);
    if (bytes > 0)
        append(data, size_t(bytes));
}

bool RowValues::Builder::add(const QVariant &value)
{
    if (!value.isValid()) {
        addNull();
        return true;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
        addInteger(value.toLongLong());
        return true;
    case QMetaType::Double:
        addReal(value.toDouble());
        return true;
    case QMetaType::QString: {
        const QString s = value.toString();
        if (s.isNull()) {
            addText(nullptr, 0);
        } else {
            const QByteArray utf8 = s.toUtf8();
            addText(utf8.constData() ? utf8.constData() : "", int(utf8.size()));
        }
        return true;
    }
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        addBlob(b.isNull() ? nullptr : (b.constData() ? b.constData() : ""), int(b.size()));
        return true;
    }
    default:
        return false;
    }
}

RowValues RowValues::Builder::finish()
{
    while (int(m_offsets.size()) < m_columns)
        addNull();
    m_offsets.push_back(quint32(m_cells.size()));
    const int n = int(m_offsets.size()) - 1;
    const int width = m_cells.size() <= 0xffff ? 2 : 4;
    const quint32 size = quint32(HeaderSize + (n + 1) * width + m_cells.size());
    char *block = static_cast<char *>(std::malloc(size));
    const quint16 count = quint16(n);
    std::memcpy(block, &size, 4);
    std::memcpy(block + 4, &count, 2);
    block[6] = char(width);
    char *offsets = block + HeaderSize;
    for (int i = 0; i <= n; ++i) {
        if (width == 2) {
            const quint16 o = quint16(m_offsets[i]);
            std::memcpy(offsets + i * 2, &o, 2);
        } else {
            std::memcpy(offsets + i * 4, &m_offsets[i], 4);
        }
    }
    if (!m_cells.empty())
        std::memcpy(offsets + (n + 1) * width, m_cells.data(), m_cells.size());
    RowValues out;
    out.m_packed = block;
    m_offsets.clear();
    m_cells.clear();
    return out;
}

} // namespace hemu
