#include "core/analysis/heldages.h"

#include "core/analysis/customerlines.h"
#include "core/analysis/namesbycode.h"
#include "core/db/database.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace hemu {

namespace {

using Key = std::pair<qint64, qint64>; // customer, goods item

/// The age limits: a delivery on `since[i]` or later is within the i-th limit (30, 90, 180
/// days); `after` is the first day not counted.
struct Limits
{
    QByteArray since[3];
    QByteArray after;
};

/// What one customer's lines and stock row say about one goods item.
struct Holding
{
    HeldBalance balance;
    double billQty = 0, billMny = 0;                     // the lines up to the day
    double delivered[4] = {};                            // delivered within 30, 90, 180 days, ever

    void add(const CustomerLines::Line &line, const Limits &limits)
    {
        // A receipt takes the goods away; a delivery with no positive quantity (a return)
        // counts for what is held, not for its age.
        const bool receipt = line.kind == BillKind::Receipt;
        const auto [q, m] = balance.addLine(line);
        if (!line.day.isBefore(limits.after))
            return;
        billQty += q;
        billMny += m;
        if (receipt || !(line.qty > 0))
            return;
        int band = 0;
        while (band < 3 && line.day.isBefore(limits.since[band]))
            ++band;
        for (int b = band; b < 4; ++b)
            delivered[b] += q;
    }
};

/// Where each (customer, goods item) pair stands in a list: looked up for each of the 800,000
/// lines of the large set, so the table holds only the keys and positions, probed in place
/// (open addressing), and stays at most half full.
class PairIndex
{
public:
    /// Room for `count` keys without growing.
    void reserve(size_t count)
    {
        while (count * 2 > m_slots.size())
            grow();
    }
    /// The position of `key`; a new key gets `next`, and `*added` says so.
    quint32 find(const Key &key, quint32 next, bool *added)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        size_t i = slotOf(key);
        while (m_slots[i].position != kEmpty) {
            if (m_slots[i].key == key) {
                *added = false;
                return m_slots[i].position;
            }
            i = (i + 1) & (m_slots.size() - 1);
        }
        m_slots[i] = {key, next};
        ++m_count;
        *added = true;
        return next;
    }

private:
    static constexpr quint32 kEmpty = 0xffffffffu;
    struct Slot
    {
        Key key;
        quint32 position = kEmpty;
    };

    size_t slotOf(const Key &key) const
    {
        quint64 h = quint64(key.first) * 0x9e3779b97f4a7c15ull ^ quint64(key.second) * 0xc2b2ae3d27d4eb4full;
        h ^= h >> 31;
        return size_t(h) & (m_slots.size() - 1);
    }
    void grow()
    {
        const size_t size = std::max<size_t>(1024, m_slots.size() * 2);
        const std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(size));
        for (const Slot &s : old) {
            if (s.position == kEmpty)
                continue;
            size_t i = slotOf(s.key);
            while (m_slots[i].position != kEmpty)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = s;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
};

} // namespace

QList<Dataset::SourceColumn> HeldAges::columns()
{
    const QString integer = QStringLiteral("INTEGER"), text = QStringLiteral("TEXT"), real = QStringLiteral("REAL");
    return {{QStringLiteral("CustID"), integer}, {QStringLiteral("CustName"), text}, {QStringLiteral("GoodID"), integer},
            {QStringLiteral("Description"), text}, {QStringLiteral("Unit"), text},       {QStringLiteral("heldQty"), real},
            {QStringLiteral("heldMny"), real},     {QStringLiteral("age0"), real},       {QStringLiteral("age31"), real},
            {QStringLiteral("age91"), real},       {QStringLiteral("age181"), real}};
}

DatasetError HeldAges::make(Database &db, const QDate &asOf, std::optional<qint64> custId, std::vector<RowValues> *rows)
{
    rows->clear();
    const auto day = [](const QDate &d) { return d.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(); };
    const Limits limits{{day(asOf.addDays(-30)), day(asOf.addDays(-90)), day(asOf.addDays(-180))}, day(asOf.addDays(1))};

    // One snapshot for every read; inside a transaction already, that one's.
    ReadTransaction snapshot(db);
    PairIndex index;
    std::vector<Key> keys;
    std::vector<Holding> held;
    const auto holding = [&](const Key &key) -> Holding & {
        bool added = false;
        const quint32 at = index.find(key, quint32(held.size()), &added);
        if (added) {
            keys.push_back(key);
            held.emplace_back();
        }
        return held[at];
    };
    DatasetError e = CustomerLines::readStock(db, custId, [&](const CustomerLines::Stock &s) {
        holding(Key(s.custId, s.goodId)).balance.addStock(s);
    });
    // Nearly every pair a line names has its stock row: room for a few more.
    const size_t expected = held.size() + held.size() / 8 + 64;
    index.reserve(expected);
    keys.reserve(expected);
    held.reserve(expected);
    if (e.ok())
        e = CustomerLines::readLines(db, custId,
                                     [&](const CustomerLines::Line &line) { holding(Key(line.custId, line.goodId)).add(line, limits); });
    QByteArray firstDay;
    bool anyBill = false;
    if (e.ok())
        e = CustomerLines::firstBillDay(db, &firstDay, &anyBill);
    if (e.failed())
        return e;

    struct Aged
    {
        Key key;
        double qty, mny, age[4];
    };
    std::vector<Aged> aged;
    aged.reserve(held.size());
    for (size_t at = 0; at < held.size(); ++at) {
        const Holding &h = held[at];
        const double openQty = h.balance.openingQty();
        const double openMny = h.balance.openingMny();
        const double qty = openQty + h.billQty;
        if (qty == 0)
            continue;
        // Up to each limit: delivered within it, the opening balance too when the books start
        // within it; then the part of the holding that is at most that old.
        const double holding = std::max(qty, 0.0), opening = std::max(openQty, 0.0);
        double within[4];
        for (int b = 0; b < 3; ++b) {
            const bool openedWithin = anyBill && BillDay::compare(firstDay, limits.since[b]) >= 0;
            within[b] = std::min(holding, h.delivered[b] + (openedWithin ? opening : 0));
        }
        within[3] = std::min(holding, h.delivered[3] + opening);
        aged.push_back({keys[at], qty, openMny + h.billMny,
                        {within[0] + qty - within[3], within[1] - within[0], within[2] - within[1], within[3] - within[2]}});
    }
    held = {};
    std::sort(aged.begin(), aged.end(), [](const Aged &a, const Aged &b) { return a.key < b.key; });

    std::vector<qint64> customers, goods;
    customers.reserve(aged.size());
    goods.reserve(aged.size());
    for (const Aged &a : aged) {
        customers.push_back(a.key.first);
        goods.push_back(a.key.second);
    }
    NamesByCode custNames = NamesByCode::customers(), goodsNames = NamesByCode::goods();
    e = custNames.read(db, std::move(customers));
    if (e.ok())
        e = goodsNames.read(db, std::move(goods));
    if (e.failed())
        return e;

    rows->reserve(aged.size());
    RowValues::Builder row(11);
    for (const Aged &a : aged) {
        if (a.key.first == CustomerLines::noCustomer)
            row.addNull();
        else
            row.addInteger(a.key.first);
        custNames.addTo(row, a.key.first);
        row.addInteger(a.key.second);
        goodsNames.addTo(row, a.key.second);
        row.addReal(a.qty);
        row.addReal(a.mny);
        for (double age : a.age)
            row.addReal(age);
        rows->push_back(row.finish());
    }
    return {};
}

} // namespace hemu
