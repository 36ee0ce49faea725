// Period operations of TabData: the bulk statements run with the stock views closed, and
// the views come back with what the statements wrote.
#include "core/backup/backupstore.h"
#include "core/bills/billvalues.h"
#include "core/bills/periodoperations.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/refusals.h"
#include "core/prompter.h"

namespace hemu {

template<typename Work> bool TabData::withStockViewsClosed(Work work)
{
    Goods->disableControls();
    GoodsInCusts->disableControls();
    Goods->close(); // closes the customer views with it
    const bool ok = work();
    // The goods and customer stock views come back reading their rows on first use: a window
    // that shows them reads them as it repaints, and the operation does not read 200,000
    // customer rows before it returns for nobody to look at them.
    const bool goodsDeferred = Goods->loadOnFirstUse(), custDeferred = GoodsInCusts->loadOnFirstUse();
    Goods->setLoadOnFirstUse(true);
    GoodsInCusts->setLoadOnFirstUse(true);
    Goods->open();
    Goods->setLoadOnFirstUse(goodsDeferred);
    GoodsInCusts->setLoadOnFirstUse(custDeferred);
    GoodsInCusts->enableControls();
    Goods->enableControls();
    // The other views of the same tables show the new counters too.
    for (Dataset *view : {m_base.lkGoods, m_base.Goods, Goods1, Goods2, GoodsCheck, GoodsInCusts2}) {
        if (view->isOpen() && !view->isEditing())
            view->refresh();
    }
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
    return withStockViewsClosed([&] { return report(PeriodOperations::RecalcTotals(m_db, start, end, progress), error); });
}

bool TabData::CarryForward(const QDate &carriedOn)
{
    backUpFirst();
    QSqlError error;
    const bool ok = withStockViewsClosed([&] {
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
    return withStockViewsClosed([&] { return report(PeriodOperations::ClearTotals(m_db), error); });
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
        [&] { return withStockViewsClosed([&] { return report(PeriodOperations::ClearAll(m_db), error); }); });
}


} // namespace hemu
