#include "core/admin/renumbering.h"

#include "core/bills/billkind.h"
#include "core/db/database.h"
#include "core/filechooser.h"

#include <QSqlError>
#include <QSqlQuery>

namespace hemu {

namespace {

const char *logName(BillKind kind)
{
    switch (kind) {
    case BillKind::StockIn: return "入库明细";
    case BillKind::Delivery: return "发货明细";
    case BillKind::Receipt: return "缴款明细";
    }
    return "";
}

struct Row
{
    qint64 rowid;
    qint64 tabId;
    QVariant itemNo;
};

bool readRows(Database &db, const QString &table, QList<Row> *rows, QString *error)
{
    QSqlQuery q = db.query(QStringLiteral("SELECT rowid, TabID, ItemNo FROM %1 ORDER BY TabID ASC, ItemNo ASC, rowid ASC").arg(table));
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        rows->append({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2)});
    if (q.lastError().isValid()) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

bool renumberTable(Database &db, BillKind kind, ProgressSink &progress, Renumbering::Result *r)
{
    const QString table = detailTable(kind);
    const QString name = QString::fromUtf8(logName(kind));
    r->log << name;
    Transaction tx(db);
    QList<Row> rows;
    if (!tx.isActive() || !readRows(db, table, &rows, &r->error)) {
        if (r->error.isEmpty())
            r->error = db.lastError().text();
        return false;
    }
    const QString update = QStringLiteral("UPDATE %1 SET ItemNo = ? WHERE rowid = ?").arg(table);
    qint64 previous = -1;
    int n = 0;
    qint64 done = 0;
    for (const Row &row : std::as_const(rows)) {
        progress.progress(++done, rows.size());
        if (row.tabId == previous) {
            ++n;
        } else {
            previous = row.tabId;
            n = 1;
        }
        if (row.itemNo.isValid() && !row.itemNo.isNull() && row.itemNo.toLongLong() == n)
            continue;
        QSqlError e;
        if (!db.exec(update, {n, row.rowid}, &e)) {
            r->log << name + QStringLiteral(" Exception:@TabID") + QString::number(row.tabId) + QStringLiteral("Itemno=")
                          + QString::number(n);
            r->error = e.text();
            return false;
        }
    }
    if (!tx.commit()) {
        r->error = db.lastError().text();
        return false;
    }
    r->total += rows.size();
    r->log << Renumbering::updatedText();
    return true;
}

} // namespace

Renumbering::Result Renumbering::run(Database &db, ProgressSink &progress)
{
    Result r;
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        if (!renumberTable(db, kind, progress, &r)) {
            r.ok = false;
            r.log << r.error;
            return r;
        }
    }
    r.log << doneText(r.total) << reopenText();
    return r;
}

} // namespace hemu
