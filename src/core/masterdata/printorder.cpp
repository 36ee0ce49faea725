#include "core/masterdata/printorder.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/sqlstatement.h"
#include "core/filechooser.h"
#include "core/prompter.h"

#include <sqlite3.h>

namespace hemu::PrintOrder {

namespace {

/// Sets BaseData's bulk-update switch for as long as it lives.
class BulkUpdate
{
public:
    explicit BulkUpdate(BaseData &base) : m_base(base) { m_base.BulkGoodsUpdate = true; }
    ~BulkUpdate() { m_base.BulkGoodsUpdate = false; }

private:
    BaseData &m_base;
};

/// Writes the numbers; false (nothing written) with `error` when the file refused.
bool write(Database &db, const QList<qint64> &ids, ProgressSink &progress, Result *r)
{
    Transaction tx(db);
    if (!tx.isActive()) {
        r->error = db.lastError().text();
        return false;
    }
    const QString sql = QStringLiteral("UPDATE Goods SET HardOrder = ? WHERE GoodID = ?");
    const int n = int(ids.size());
    for (int i = 0; i < n; ++i) {
        progress.progress(i + 1, n);
        // The connection keeps the prepared statement: one parse for the whole run.
        SqlStatement update(db, sql);
        if (!update.ok() || !update.bindAll({i + 1, ids.at(i)}) || !update.run()) {
            r->error = update.error().text();
            return false;
        }
        if (sqlite3_changes(db.handle()) == 0)
            ++r->missing;
        else
            ++r->numbered;
    }
    if (!tx.commit()) {
        r->error = db.lastError().text();
        return false;
    }
    return true;
}

} // namespace

Result apply(BaseData &base, Dataset &goods, ProgressSink &progress)
{
    Result r;
    BulkUpdate bulk(base);
    // The codes in the order the view shows them, read before anything moves.
    QList<qint64> ids;
    const int idField = goods.fieldIndex(QStringLiteral("GoodID"));
    const int n = goods.rowCount();
    ids.reserve(n);
    for (int row = 0; row < n; ++row) {
        if (!goods.isPendingRow(row))
            ids.append(goods.value(row, idField).toLongLong());
    }
    Prompter &tell = base.prompter();
    if (!write(base.MyADOCnn(), ids, progress, &r)) {
        r.ok = false;
        r.numbered = 0;
        r.missing = 0;
        tell.warning(failedText(int(ids.size())));
    } else {
        for (int i = 0; i < r.missing; ++i)
            tell.warning(missingText());
    }
    // Every view that shows the numbers reads them again.
    goods.refresh();
    for (Dataset *view : {base.Goods, base.lkGoods, base.tabData() ? base.tabData()->Goods : nullptr}) {
        if (view && view != &goods && view->isOpen())
            view->refresh();
    }
    goods.first();
    if (r.ok)
        tell.information(doneText());
    return r;
}

} // namespace hemu::PrintOrder
