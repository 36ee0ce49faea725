#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace hemu {

/**
 * Reads the members of a zip archive (an .xlsx workbook is one): stored and deflated members,
 * found through the central directory. A small reader of its own on zlib: QuaZip, the
 * obvious library, exports the names of the minizip functions that libxlsxwriter calls, so a
 * program linking both (ours: the grids export XLSX) sends one library's calls into the other.
 */
class ZipReader
{
public:
    /// Reads the archive's directory; false with `error` when it is no zip archive.
    bool open(const QString &path, QString *error);
    bool contains(const QString &name) const { return m_entries.contains(name); }
    /// The member `name` uncompressed; false when it is missing or damaged.
    bool read(const QString &name, QByteArray *bytes) const;

private:
    struct Entry
    {
        quint16 method = 0;
        quint32 compressedSize = 0;
        quint32 size = 0;
        quint32 crc = 0;
        quint32 localHeader = 0;
    };
    QByteArray m_data;
    QHash<QString, Entry> m_entries;
};

} // namespace hemu
