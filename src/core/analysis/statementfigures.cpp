#include "core/analysis/statementfigures.h"

#include "core/analysis/customerlines.h"
#include "core/analysis/namesbycode.h"
#include "core/db/database.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>

namespace hemu {

namespace {

/// What a line counts for: before the range, delivered, returned, paid for, refunded within
/// it; after it, or nothing moved, it counts only for the opening balance.
enum Band { Before, Delivered, Returned, Paid, Refunded, Outside, Bands = Outside };

/// One goods item's figures: the stock row, every line signed by what it does to the goods
/// the customer holds (a delivery adds, a receipt takes away), and the sums per band.
struct Item
{
    HeldBalance balance;
    double bandQty[Bands] = {}, bandMny[Bands] = {};
};

struct Bill
{
    QByteArray bookId;
    QByteArray day;
    bool dayMissing = false;
    bool seen = false;
    double qty = 0, mny = 0;
};

/// Bills in the order the statement lists them: by date (a missing one first), kind, number.
struct BillKey
{
    QByteArray day;
    bool dayMissing;
    int kind;
    qint64 tabId;
    bool operator<(const BillKey &o) const
    {
        if (dayMissing != o.dayMissing)
            return dayMissing;
        if (const int c = BillDay::compare(day, o.day); c != 0)
            return c < 0;
        return std::tie(kind, tabId) < std::tie(o.kind, o.tabId);
    }
};

} // namespace

QList<Dataset::SourceColumn> StatementFigures::goodsColumns()
{
    QList<Dataset::SourceColumn> columns = {
        {QStringLiteral("GoodID"), QStringLiteral("INTEGER")},
        {QStringLiteral("Description"), QStringLiteral("TEXT")},
        {QStringLiteral("Unit"), QStringLiteral("TEXT")}};
    for (const char *figure : {"start", "delivered", "returned", "paid", "refunded", "end"}) {
        columns.append({QLatin1String(figure) + QLatin1String("Qty"), QStringLiteral("REAL")});
        columns.append({QLatin1String(figure) + QLatin1String("Mny"), QStringLiteral("REAL")});
    }
    return columns;
}

QList<Dataset::SourceColumn> StatementFigures::billColumns()
{
    return {{QStringLiteral("TabID"), QStringLiteral("INTEGER")}, {QStringLiteral("KindID"), QStringLiteral("INTEGER")},
            {QStringLiteral("TabDate"), QStringLiteral("TEXT")},  {QStringLiteral("Kind"), QStringLiteral("TEXT")},
            {QStringLiteral("BookID"), QStringLiteral("TEXT")},   {QStringLiteral("Qty"), QStringLiteral("REAL")},
            {QStringLiteral("Mny"), QStringLiteral("REAL")}};
}

DatasetError StatementFigures::make(Database &db, qint64 custId, const QByteArray &first, const QByteArray &after,
                                    std::vector<RowValues> *goods, std::vector<RowValues> *bills)
{
    goods->clear();
    bills->clear();
    // The figures and the bills from one snapshot; inside a transaction already, that one's.
    ReadTransaction snapshot(db);
    std::map<qint64, Item> items;
    QHash<std::pair<int, qint64>, Bill> billsFound;
    DatasetError e = CustomerLines::readStock(db, custId, [&](const CustomerLines::Stock &s) {
        items[s.goodId].balance.addStock(s);
    });
    if (e.ok())
        e = CustomerLines::readLines(db, custId, [&](const CustomerLines::Line &line) {
            const bool receipt = line.kind == BillKind::Receipt;
            Item &item = items[line.goodId];
            const auto [q, m] = item.balance.addLine(line);
            Band band = Outside;
            if (line.day.isBefore(first))
                band = Before;
            else if (!line.day.isBefore(after))
                band = Outside;
            else if (line.qty > 0)
                band = receipt ? Paid : Delivered;
            else if (line.qty < 0)
                band = receipt ? Refunded : Returned;
            if (band != Outside) {
                item.bandQty[band] += q;
                item.bandMny[band] += m;
            }
            if (line.day.isBefore(first) || !line.day.isBefore(after))
                return;
            Bill &bill = billsFound[{int(line.kind), line.tabId}];
            if (!bill.seen) {
                bill.seen = true;
                bill.bookId = line.bookId.toByteArray();
                bill.day = line.day.text.toByteArray();
                bill.dayMissing = line.day.isMissing();
            }
            bill.qty += line.qty;
            bill.mny += line.money;
        });
    if (e.failed())
        return e;

    std::vector<qint64> codes;
    codes.reserve(items.size());
    for (const auto &[code, item] : items)
        codes.push_back(code);
    NamesByCode names = NamesByCode::goods();
    if (e = names.read(db, std::move(codes)); e.failed())
        return e;

    RowValues::Builder row(15);
    for (const auto &[code, item] : items) {
        // Taken away is shown positive: 0 less its sum.
        const double start[2] = {item.balance.openingQty() + item.bandQty[Before], item.balance.openingMny() + item.bandMny[Before]};
        const double figures[10] = {start[0],
                                    start[1],
                                    item.bandQty[Delivered],
                                    item.bandMny[Delivered],
                                    0 - item.bandQty[Returned],
                                    0 - item.bandMny[Returned],
                                    0 - item.bandQty[Paid],
                                    0 - item.bandMny[Paid],
                                    item.bandQty[Refunded],
                                    item.bandMny[Refunded]};
        if (std::all_of(std::begin(figures), std::end(figures), [](double f) { return f == 0; }))
            continue;
        row.addInteger(code);
        names.addTo(row, code);
        for (double f : figures)
            row.addReal(f);
        row.addReal(figures[0] + figures[2] - figures[4] - figures[6] + figures[8]);
        row.addReal(figures[1] + figures[3] - figures[5] - figures[7] + figures[9]);
        goods->push_back(row.finish());
    }

    std::map<BillKey, const Bill *> ordered;
    for (auto it = billsFound.cbegin(); it != billsFound.cend(); ++it)
        ordered.emplace(BillKey{it->day, it->dayMissing, it.key().first, it.key().second}, &it.value());
    RowValues::Builder billRow(7);
    for (const auto &[key, bill] : ordered) {
        billRow.addInteger(key.tabId);
        billRow.addInteger(key.kind);
        if (bill->dayMissing)
            billRow.addNull();
        else
            billRow.addText(bill->day.constData(), int(bill->day.size()));
        const QByteArray kind = key.kind == int(BillKind::Delivery) ? QByteArrayLiteral("送货单") : QByteArrayLiteral("收款单");
        billRow.addText(kind.constData(), int(kind.size()));
        billRow.addText(bill->bookId.constData(), int(bill->bookId.size()));
        billRow.addReal(bill->qty);
        billRow.addReal(bill->mny);
        bills->push_back(billRow.finish());
    }
    return {};
}

} // namespace hemu
