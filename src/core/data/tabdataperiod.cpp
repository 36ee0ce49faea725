// Period operations of TabData: the bulk statements run, and the stock views show what they
// wrote from their next use on.
#include "core/backup/backupstore.h"
#include "core/bills/billvalues.h"
#include "core/bills/periodoperations.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/refusals.h"
#include "core/prompter.h"

namespace hemu {

template<typename Work> bool TabData::withStockViewsRefreshed(Work work)
{
    // A pending edit of the goods or customer stock view would write its old counters over
    // what the statements wrote: such a view is closed for the work (the edit dropped) and
    // comes back reading its rows on first use.
    const bool pending = Goods->isEditing() || Goods->updatesPending() || GoodsInCusts->isEditing()
                         || GoodsInCusts->updatesPending();
    if (!pending) {
        // Otherwise the views keep their rows, rows in view and current rows, and every view
        // of the two tables is read again on its next use: a window that shows one reads it
        // once the operation has returned, and nobody waits for 200,000 customer rows to be
        // read, or freed, for nobody to look at them.
        const bool ok = work();
        for (Dataset *view : {Goods, GoodsInCusts, m_base.lkGoods, m_base.Goods, Goods1, Goods2, GoodsCheck, GoodsInCusts1,
                              GoodsInCusts2})
            view->markStale();
        return ok;
    }
    Goods->disableControls();
    GoodsInCusts->disableControls();
    Goods->close(); // closes the customer views with it
    const bool ok = work();
    const bool goodsDeferred = Goods->loadOnFirstUse(), custDeferred = GoodsInCusts->loadOnFirstUse();
    Goods->setLoadOnFirstUse(true);
    GoodsInCusts->setLoadOnFirstUse(true);
    Goods->open();
    Goods->setLoadOnFirstUse(goodsDeferred);
    GoodsInCusts->setLoadOnFirstUse(custDeferred);
    GoodsInCusts->enableControls();
    Goods->enableControls();
    // The other views of the same tables show the new counters too, read on their next use
    // (on the row they stood on; a pending edit is kept and the view read after it).
    for (Dataset *view : {m_base.lkGoods, m_base.Goods, Goods1, Goods2, GoodsCheck, GoodsInCusts1, GoodsInCusts2})
        view->markStale();
    return ok;
}

template<typename Work> bool TabData::withBillViewsClosed(Work work)
{
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        header(kind)->close(); // closes its lines first
        detail(kind)->close();
    }
    Invoices->close();
    const bool ok = work();
    // Open afterwards in any case, as they were.
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        header(kind)->open();
        detail(kind)->open();
    }
    Invoices->open();
    InvoiceMx->open();
    return ok;
}

void TabData::backUpFirst()
{
    const BackupStore::Result result = BackupStore(m_db.path()).backUp(m_db);
    if (result.outcome == BackupStore::Outcome::Failed)
        m_prompter.warning(QStringLiteral("自动备份失败：%1").arg(result.error));
}

namespace {
bool report(const PeriodOperations::Result &r, QString *error)
{
    if (!r.ok && error)
        *error = isBusy(r.error) ? busyText() : r.error.text();
    return r.ok;
}
} // namespace

bool TabData::RecalcTotals(const QString &start, const QString &end, ProgressSink &progress, QString *error)
{
    // The bounds are compared with the stored dates as texts: "2026-3-1" would count nothing.
    if (!BillValues::rangeDate(start).isValid() || !BillValues::rangeDate(end).isValid()) {
        if (error)
            *error = BillValues::badDateText();
        return false;
    }
    return withStockViewsRefreshed([&] { return report(PeriodOperations::RecalcTotals(m_db, start, end, progress), error); });
}

bool TabData::CarryForward(const QDate &carriedOn)
{
    backUpFirst();
    QSqlError error;
    const bool ok = withStockViewsRefreshed([&] {
        const PeriodOperations::Result r = PeriodOperations::CarryForward(m_db, carriedOn);
        error = r.error;
        return r.ok;
    });
    if (carriedOn.isValid() && m_base.UserInfo->isOpen() && !m_base.UserInfo->isEditing())
        m_base.UserInfo->refresh();
    if (ok) {
        m_prompter.information(QStringLiteral("结转完毕！"));
        return true;
    }
    m_prompter.warning(QStringLiteral("异常：结转处理失败!"));
    if (isBusy(error))
        m_prompter.warning(busyText()); // nothing was changed: it can be run again later
    return false;
}

bool TabData::PurgeIdleCustStock(QString *error)
{
    GoodsInCusts->disableControls();
    GoodsInCusts->close();
    const bool ok = report(PeriodOperations::PurgeIdleCustStock(m_db), error);
    GoodsInCusts->open();
    GoodsInCusts->enableControls();
    for (Dataset *view : {GoodsInCusts1, GoodsInCusts2})
        if (view->isOpen())
            view->refresh();
    return ok;
}

bool TabData::ClearTotals(QString *error)
{
    backUpFirst();
    return withStockViewsRefreshed([&] { return report(PeriodOperations::ClearTotals(m_db), error); });
}

bool TabData::ClearBills(QString *error)
{
    backUpFirst();
    return withBillViewsClosed([&] { return report(PeriodOperations::ClearBills(m_db), error); });
}

bool TabData::ClearAll(QString *error)
{
    backUpFirst();
    return withBillViewsClosed(
        [&] { return withStockViewsRefreshed([&] { return report(PeriodOperations::ClearAll(m_db), error); }); });
}


} // namespace hemu
