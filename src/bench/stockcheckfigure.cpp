// The stocktaking figure: "调整" booking a difference for every goods item of the large set
// in one transaction (the views it changed read on their next use, timed apart), against the same reads and
// UPDATEs straight on SQLite.
#include "bench/benchmark.h"
#include "bench/plainread.h"
#include "bench/rawstatement.h"
#include "core/analysis/stockcheck.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"

namespace hemu::bench {

bool Benchmark::measureStockCheck(QString *error)
{
    Database &db = m_base->MyADOCnn();
    sqlite3 *h = db.handle();
    Dataset &check = *m_tab->GoodsCheck;
    if (!m_base->MarkZeroGoods(error))
        return false;
    if (const DatasetError e = StockCheck::showCounted(check); e.failed()) {
        *error = e.message();
        return false;
    }
    check.rowCount(); // the view as the window shows it, read before the first run
    // Every goods item gets a difference: shortages, surpluses within and beyond the delivered.
    const char *typed = "UPDATE Goods SET DiffCheck = (GoodID % 9) - 4.5";
    RawStatement begin(h, "BEGIN IMMEDIATE");
    RawStatement read(h, "SELECT GoodID, HandInc, CustHandInc, DiffCheck FROM Goods WHERE DiffCheck IS NOT NULL AND DiffCheck <> 0 "
                         "ORDER BY GoodID");
    RawStatement write(h, "UPDATE Goods SET HandInc = ?, CustHandInc = ?, DiffCheck = 0 WHERE GoodID = ?");
    RawStatement commit(h, "COMMIT");
    int goods = 0;
    QList<double> ours, raw, afterwards;
    for (int run = 0; run < m_size.runs; ++run) {
        if (!rawExec(h, typed)) {
            *error = QStringLiteral("differences: ") + QString::fromUtf8(sqlite3_errmsg(h));
            return false;
        }
        StockCheck::Result r;
        ours << timeMs([&] { r = StockCheck::adjust(check, {m_tab->Goods, m_base->Goods, m_base->lkGoods}); });
        if (!r.ok) {
            *error = QStringLiteral("stock check: ") + r.error;
            return false;
        }
        goods = r.adjusted;
        // The views read again on their next use are used now, outside the figure, as the
        // window's grid and the other windows' would once the adjustment returned.
        afterwards << timeMs([&] {
            for (Dataset *view : {&check, m_tab->Goods, m_base->Goods, m_base->lkGoods})
                view->rowCount();
        });
        if (!rawExec(h, typed)) {
            *error = QStringLiteral("differences: ") + QString::fromUtf8(sqlite3_errmsg(h));
            return false;
        }
        bool ok = true;
        raw << timeMs([&] {
            ok = begin.run();
            struct Item
            {
                qint64 id;
                StockCheck::Counters before;
                double diff;
            };
            QList<Item> items;
            while (ok && read.next())
                items.append({read.integer(0), {read.real(1), read.real(2)}, read.real(3)});
            read.reset();
            for (const Item &item : std::as_const(items)) {
                if (!ok)
                    break;
                const StockCheck::Counters after = StockCheck::adjusted(item.before, item.diff);
                ok = write.bind(1, after.HandInc).bind(2, after.CustHandInc).bind(3, item.id).run();
            }
            ok = ok && commit.run();
        });
        if (!ok) {
            rawExec(h, "ROLLBACK");
            *error = QStringLiteral("raw stock check failed: ") + write.error();
            return false;
        }
    }
    add(QStringLiteral("stock_check_adjust"), ours, raw, 2.0);
    m_notes << QStringLiteral("stock_check_adjust: %1 goods items booked in one transaction, GoodsCheck and the other goods "
                              "views marked to be read whole on their next use; yardstick: the same read, arithmetic and "
                              "UPDATEs on SQLite; the four views' first use afterwards %2 ms, not in the figure")
                   .arg(goods)
                   .arg(median(afterwards), 0, 'f', 1);
    return true;
}

} // namespace hemu::bench
