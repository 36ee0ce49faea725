#include "core/import/zipreader.h"

#include <QFile>
#include <QFileInfo>
#include <zlib.h>

namespace hemu {

namespace {

quint32 le(const QByteArray &d, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(d.at(at + i));
    return v;
}

/// Workbooks are small; a member claiming more than this is not one we read.
constexpr quint32 MaxMemberSize = 512u * 1024u * 1024u;

} // namespace

bool ZipReader::open(const QString &path, QString *error)
{
    m_entries.clear();
    auto fail = [&] {
        if (error)
            *error = QStringLiteral("%1 不是 XLSX 工作簿。").arg(QFileInfo(path).fileName());
        m_data.clear();
        m_entries.clear();
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取文件 %1。").arg(QFileInfo(path).fileName());
        return false;
    }
    m_data = file.readAll();
    // The end-of-directory record: 22 bytes and a comment of up to 64 KiB at the end.
    qsizetype end = -1;
    for (qsizetype at = m_data.size() - 22; at >= 0 && at >= m_data.size() - 22 - 65535; --at) {
        if (le(m_data, at, 4) == 0x06054b50) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return fail();
    const quint32 count = le(m_data, end + 10, 2);
    qsizetype at = le(m_data, end + 16, 4);
    for (quint32 i = 0; i < count; ++i) {
        if (at + 46 > m_data.size() || le(m_data, at, 4) != 0x02014b50)
            return fail();
        Entry e;
        e.method = quint16(le(m_data, at + 10, 2));
        e.crc = le(m_data, at + 16, 4);
        e.compressedSize = le(m_data, at + 20, 4);
        e.size = le(m_data, at + 24, 4);
        const quint32 nameLength = le(m_data, at + 28, 2);
        const quint32 extraLength = le(m_data, at + 30, 2);
        const quint32 commentLength = le(m_data, at + 32, 2);
        e.localHeader = le(m_data, at + 42, 4);
        if (at + 46 + nameLength > m_data.size())
            return fail();
        m_entries.insert(QString::fromUtf8(m_data.mid(at + 46, nameLength)), e);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return true;
}

bool ZipReader::read(const QString &name, QByteArray *bytes) const
{
    const auto it = m_entries.constFind(name);
    if (it == m_entries.cend())
        return false;
    const Entry &e = *it;
    const qsizetype header = e.localHeader;
    if (header + 30 > m_data.size() || le(m_data, header, 4) != 0x04034b50 || e.size > MaxMemberSize)
        return false;
    const qsizetype start = header + 30 + le(m_data, header + 26, 2) + le(m_data, header + 28, 2);
    if (start + qsizetype(e.compressedSize) > m_data.size())
        return false;
    const QByteArray packed = m_data.mid(start, e.compressedSize);
    if (e.method == 0) {
        *bytes = packed;
    } else if (e.method == 8) {
        bytes->resize(qsizetype(e.size));
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return false;
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
        z.avail_in = uInt(packed.size());
        z.next_out = reinterpret_cast<Bytef *>(bytes->data());
        z.avail_out = uInt(bytes->size());
        const int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (rc != Z_STREAM_END || z.total_out != e.size)
            return false;
    } else {
        return false;
    }
    return crc32(0L, reinterpret_cast<const Bytef *>(bytes->constData()), uInt(bytes->size())) == e.crc;
}

} // namespace hemu
