#pragma once

#include <QString>
#include <QStringList>

namespace hemu {

class Database;

/**
 * Finds bill detail rows whose bill header is gone, and on request deletes them. Each
 * detail table is compared with its own header table only. The goods counters are left as
 * they are: the period recalculation and the books check count only lines that have a header,
 * so an orphan row never counted there.
 */
class OrphanScan
{
public:
    struct Result
    {
        bool ok = true;
        QString error;   // why the scan stopped (the database's words)
        int found = 0;   // orphan rows over all tables
        QStringList log; // the lines the scan window shows
    };

    /// Scans the three detail tables in order. With `deleteOrphans` each table's orphans are
    /// deleted in one transaction together with its scan; a failure stops the scan there and
    /// leaves that table as it was.
    static Result run(Database &db, bool deleteOrphans);

    static QString headingText() { return QStringLiteral("明细孤立行的单据唯一码:"); }
    static QString doneText() { return QStringLiteral("扫描完毕。"); }
};

} // namespace hemu
