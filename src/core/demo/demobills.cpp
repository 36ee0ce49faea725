#include "core/backup/backupstore.h"
#include "core/data/basedata.h"
#include "core/data/invoiceentry.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"
#include "core/demo/demodata.h"
#include "core/masterdata/averageprices.h"

#include <QDate>
#include <QRandomGenerator>

namespace hemu::DemoData {

namespace {

struct Writer
{
    BaseData &base;
    TabData &tab;
    QString *error;
    QRandomGenerator rng{20261210};

    bool check(const DatasetError &e)
    {
        if (e.failed() && error)
            *error = e.message().isEmpty() ? QStringLiteral("a demo bill was refused") : e.message();
        return e.ok();
    }

    bool bill(BillKind kind, int party, const QDate &date, const QList<std::tuple<int, double, double>> &lines)
    {
        Dataset *h = tab.header(kind);
        if (!check(h->append()) || !check(h->setValue(QStringLiteral("CustID"), party))
            || !check(h->setValue(QStringLiteral("TabDate"), isoDateText(date)))
            || !check(h->setValue(QStringLiteral("BookID"), QString::fromLatin1(billKindInfo(kind).prefix) + billDateText(date)))
            || !check(h->post()))
            return false;
        Dataset *d = tab.detail(kind);
        for (const auto &[goods, qty, price] : lines) {
            if (!check(d->append()) || !check(d->setValue(QStringLiteral("GoodID"), goods))
                || !check(d->setValue(QStringLiteral("Qty"), qty)) || !check(d->setValue(QStringLiteral("Price"), price))
                || !check(d->post()))
                return false;
        }
        return true;
    }

    double price(int goods, bool selling)
    {
        return base.MyADOCnn().scalar(selling ? QStringLiteral("SELECT SellPrice FROM Goods WHERE GoodID = ?")
                                              : QStringLiteral("SELECT CostPrice FROM Goods WHERE GoodID = ?"),
                                      {goods})
            .toDouble();
    }

    /// One month of business: goods bought in, delivered to customers, partly paid for.
    bool month(const QDate &first, int goodsCount, int vendors, int customers)
    {
        for (int v = 1; v <= 2; ++v) {
            QList<std::tuple<int, double, double>> lines;
            for (int g = v; g <= goodsCount; g += 3)
                lines.append({g, double(20 + rng.bounded(30)), price(g, false)});
            if (!bill(BillKind::StockIn, 1 + int(rng.bounded(vendors)), first.addDays(1 + v), lines))
                return false;
        }
        for (int c = 0; c < 4; ++c) {
            const int customer = 1 + int(rng.bounded(customers));
            QList<std::tuple<int, double, double>> delivered, paid;
            for (int g = 1 + c; g <= goodsCount; g += 4) {
                const double qty = double(2 + rng.bounded(8));
                delivered.append({g, qty, price(g, true)});
                if (rng.bounded(3) > 0)
                    paid.append({g, qty - double(rng.bounded(2)), price(g, true)});
            }
            if (!bill(BillKind::Delivery, customer, first.addDays(8 + c), delivered)
                || !bill(BillKind::Receipt, customer, first.addDays(20 + c), paid))
                return false;
        }
        return true;
    }

    bool invoice(int billIndex, const QString &number, const QDate &date)
    {
        Dataset *bills = tab.RuKu;
        bills->setFiltered(false);
        if (!bills->setCurrentRow(billIndex))
            return false;
        // The invoice covers the bill's own lines, as "填入明细项" fills them.
        return check(InvoiceEntry(tab).save(number, isoDateText(date), {}, true));
    }
};

} // namespace

bool fillBills(BaseData &base, TabData &tab, QString *error)
{
    Writer w{base, tab, error};
    Database &db = base.MyADOCnn();
    const int goodsCount = db.scalar(QStringLiteral("SELECT count(*) FROM Goods")).toInt();
    const int vendors = db.scalar(QStringLiteral("SELECT count(*) FROM Vendors")).toInt();
    const int customers = db.scalar(QStringLiteral("SELECT count(*) FROM Customers")).toInt();
    const QDate thisMonth = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1);

    // An earlier period, closed by a carry-forward at its end.
    for (int m = 6; m >= 4; --m) {
        if (!w.month(thisMonth.addMonths(-m), goodsCount, vendors, customers))
            return false;
    }
    const QDate closed = thisMonth.addMonths(-3).addDays(-1);
    const NoAutomaticBackups generated;
    if (!db.exec(QStringLiteral("UPDATE UserInfo SET 结转时间 = ?"), {isoDateText(closed)}) || !tab.CarryForward())
        return false;
    // The current period.
    for (int m = 3; m >= 0; --m) {
        if (!w.month(thisMonth.addMonths(-m), goodsCount, vendors, customers))
            return false;
    }
    const int bills = tab.RuKu->rowCount();
    if (!w.invoice(bills - 1, QStringLiteral("FP-0001"), thisMonth.addDays(5))
        || !w.invoice(bills - 3, QStringLiteral("FP-0002"), thisMonth.addMonths(-1).addDays(3)))
        return false;
    // The average prices the profit figures stand on, as "求均价" makes them.
    NullProgress quiet;
    const AveragePrices::Result prices = AveragePrices::rebuild(db, quiet);
    if (!prices.ok && error)
        *error = prices.error;
    return prices.ok;
}

} // namespace hemu::DemoData
