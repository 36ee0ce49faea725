#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace hemu {

/**
 * What SQLite would replay from a write-ahead log (the "-wal" file beside a database), read
 * from its bytes alone: frames count only while their salts and running checksum hold, and
 * only up to the last commit. Lets the program judge a log before SQLite replays it.
 */
struct WriteAheadLog
{
    bool present = false;          // a file of that name exists
    bool replayable = false;       // its header is valid and at least one transaction is committed
    quint32 pageSize = 0;          // from the log's header
    quint32 databasePages = 0;     // size of the database after the last committed transaction
    QSet<quint32> pages;           // pages the committed frames hold
    QByteArray firstPageHeader;    // first 100 bytes of the newest committed copy of page 1, if any

    /// Reads `path` (normally the database's name with "-wal" added).
    static WriteAheadLog read(const QString &path);
};

} // namespace hemu
