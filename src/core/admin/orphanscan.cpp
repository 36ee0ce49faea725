#include "core/admin/orphanscan.h"

#include "core/bills/billkind.h"
#include "core/db/database.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace hemu {

namespace {

const char *progressText(BillKind kind)
{
    switch (kind) {
    case BillKind::StockIn: return "扫描入库单";
    case BillKind::Delivery: return "扫描发货单";
    case BillKind::Receipt: return "扫描收款单";
    }
    return "";
}

/// Orphan rows of one pair, in TabID order; one entry per row, so a lost bill with three
/// lines is named three times.
bool orphanTabIds(Database &db, BillKind kind, QList<qint64> *ids, QString *error)
{
    QSqlQuery q = db.query(QStringLiteral("SELECT m.TabID FROM %1 m WHERE NOT EXISTS (SELECT 1 FROM %2 h WHERE h.TabID = m.TabID) "
                                          "ORDER BY m.TabID, m.rowid")
                               .arg(detailTable(kind), headerTable(kind)));
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        ids->append(q.value(0).toLongLong());
    if (q.lastError().isValid()) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

bool scanPair(Database &db, BillKind kind, bool deleteOrphans, OrphanScan::Result *r)
{
    // Deleting: the rows named are the rows deleted, in one write. Only looking: one snapshot,
    // no write lock.
    std::optional<Transaction> tx;
    std::optional<ReadTransaction> read;
    if (deleteOrphans)
        tx.emplace(db);
    else
        read.emplace(db);
    if (tx ? !tx->isActive() : !read->isActive()) {
        r->error = db.lastError().text();
        return false;
    }
    QList<qint64> ids;
    if (!orphanTabIds(db, kind, &ids, &r->error))
        return false;
    const QString line = QStringLiteral("    孤行的单据标识码=");
    for (qint64 id : ids)
        r->log << line + QString::number(id) + (deleteOrphans ? QStringLiteral(" 删除。") : QString());
    if (deleteOrphans) {
        QSqlError e;
        if (!db.exec(QStringLiteral("DELETE FROM %1 WHERE NOT EXISTS (SELECT 1 FROM %2 h WHERE h.TabID = %1.TabID)")
                         .arg(detailTable(kind), headerTable(kind)),
                     {}, &e)) {
            r->error = e.text();
            return false;
        }
        if (!tx->commit()) {
            r->error = db.lastError().text();
            return false;
        }
        r->log << QStringLiteral("    删除明细孤行:%1个").arg(ids.size());
    } else {
        r->log << QStringLiteral("    发现明细孤行:%1个").arg(ids.size());
    }
    r->found += int(ids.size());
    return true;
}

} // namespace

OrphanScan::Result OrphanScan::run(Database &db, bool deleteOrphans)
{
    Result r;
    r.log << headingText();
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        r.log << QString::fromUtf8(progressText(kind));
        if (!scanPair(db, kind, deleteOrphans, &r)) {
            r.ok = false;
            r.log << r.error;
            return r;
        }
    }
    r.log << doneText();
    return r;
}

} // namespace hemu
