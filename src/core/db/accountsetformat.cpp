#include "core/db/accountsetformat.h"

#include "core/db/writeaheadlog.h"

#include <QFile>
#include <QFileInfo>

namespace hemu {

namespace {
quint32 bigEndian32(const QByteArray &b, int offset)
{
    return (quint32(quint8(b[offset])) << 24) | (quint32(quint8(b[offset + 1])) << 16)
        | (quint32(quint8(b[offset + 2])) << 8) | quint32(quint8(b[offset + 3]));
}

/// Page size 1 in the header stands for 65536.
quint32 pageSizeOf(const QByteArray &header)
{
    const quint32 size = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    return size == 1 ? 65536 : size;
}

/// Judges the 100-byte SQLite header of a database (or of its page 1 in a log).
ProbeResult probeHeader(const QByteArray &header)
{
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return ProbeResult::NotSqlite;
    if (qint32(bigEndian32(header, 68)) != AccountSetFormat::ApplicationId)
        return ProbeResult::ForeignSqlite;
    if (int(bigEndian32(header, 60)) > AccountSetFormat::SchemaVersion)
        return ProbeResult::NewerSchema;
    return ProbeResult::Ok;
}

/// Whether the file's own header says it is in write-ahead-log mode (read and write version 2).
bool inWalMode(const QByteArray &header)
{
    return header.size() >= 20 && header[18] == 2 && header[19] == 2;
}

/// Whether the pages beyond the end of the file are all held by the log: then a header
/// page count ahead of the size is a checkpoint under way, not a cut-off file.
bool logHoldsTail(const WriteAheadLog &log, quint32 pageSize, qint64 fileSize)
{
    if (!log.replayable || log.pageSize != pageSize)
        return false;
    for (qint64 page = fileSize / pageSize + 1; page <= log.databasePages; ++page) {
        if (!log.pages.contains(quint32(page)))
            return false;
    }
    return true;
}

QByteArray readHeader(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(100) : QByteArray();
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
    const ProbeResult byHeader = probeHeader(header);
    if (byHeader != ProbeResult::Ok)
        return byHeader;

    // The in-header page count is valid when the "version-valid-for" number equals the
    // change counter.
    const quint32 pageSize = pageSizeOf(header);
    const quint32 pageCount = bigEndian32(header, 28);
    const bool countValid = bigEndian32(header, 92) == bigEndian32(header, 24) && pageCount > 0;
    if (countValid && qint64(pageSize) * pageCount > info.size()
        && !logHoldsTail(WriteAheadLog::read(path + QStringLiteral("-wal")), pageSize, info.size()))
        return ProbeResult::Truncated;
    return ProbeResult::Ok;
}

QString foreignLeftover(const QString &path)
{
    const QByteArray header = readHeader(path);
    if (header.size() < 100)
        return {};
    const QString walPath = path + QStringLiteral("-wal");
    const WriteAheadLog log = WriteAheadLog::read(walPath);
    if (log.replayable) {
        // SQLite would copy these pages into the set: they must be pages of an account set of
        // the same page size. A log without page 1 cannot be told apart; it is let through.
        if (log.pageSize != pageSizeOf(header)
            || (!log.firstPageHeader.isEmpty()
                && (probeHeader(log.firstPageHeader) != ProbeResult::Ok || pageSizeOf(log.firstPageHeader) != log.pageSize)))
            return QFileInfo(walPath).fileName();
    }
    // A set in write-ahead-log mode never writes a rollback journal; one beside it belongs
    // to another file, and replaying it would overwrite the set's pages.
    const QString journalPath = path + QStringLiteral("-journal");
    const QFileInfo journal(journalPath);
    if (inWalMode(header) && journal.exists() && (!journal.isFile() || journal.size() > 0))
        return journal.fileName();
    return {};
}

} // namespace hemu
