#include "core/db/accountsetformat.h"

#include <QFile>
#include <QFileInfo>

namespace hemu {

namespace {
quint32 bigEndian32(const QByteArray &b, int offset)
{
    return (quint32(quint8(b[offset])) << 24) | (quint32(quint8(b[offset + 1])) << 16)
        | (quint32(quint8(b[offset + 2])) << 8) | quint32(quint8(b[offset + 3]));
}
} // namespace

ProbeResult probeAccountSet(const QString &path)
{
    QFileInfo info(path);
    if (!info.exists())
        return ProbeResult::Missing;
    if (!info.isFile())
        return ProbeResult::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ProbeResult::Unreadable;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return ProbeResult::NotSqlite;

    if (qint32(bigEndian32(header, 68)) != AccountSetFormat::ApplicationId)
        return ProbeResult::ForeignSqlite;
    if (int(bigEndian32(header, 60)) > AccountSetFormat::SchemaVersion)
        return ProbeResult::NewerSchema;

    // Page size 1 stands for 65536. The in-header page count is valid when the
    // "version-valid-for" number equals the change counter.
    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pageCount = bigEndian32(header, 28);
    const bool countValid = bigEndian32(header, 92) == bigEndian32(header, 24) && pageCount > 0;
    if (countValid && qint64(pageSize) * pageCount > info.size())
        return ProbeResult::Truncated;
    return ProbeResult::Ok;
}

} // namespace hemu
