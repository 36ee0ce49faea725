#include "core/analysis/custstatement.h"

#include "core/analysis/heldages.h"
#include "core/analysis/listcolumns.h"
#include "core/analysis/statementfigures.h"
#include "core/bills/periodoperations.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/format/displayformats.h"

#include <QJsonArray>

namespace hemu {

namespace {

const char DateForm[] = "yyyy-MM-dd";

QString dayText(const QDate &d)
{
    return d.toString(QLatin1String(DateForm));
}

} // namespace

CustStatement::CustStatement(Database &db, QObject *parent)
    : QObject(parent)
    , m_db(db)
{
    using namespace DisplayFormats;
    // The lists are worked out from one read each and handed to their datasets as rows.
    qStatement = new QueryDataset(db, QStringLiteral("qStatement"), {}, this);
    qStatement->setRowSource(StatementFigures::goodsColumns(), [this](std::vector<RowValues> *rows) {
        return takeRows(&m_goodsRows, &m_goodsWaiting, rows);
    });
    qStatementBills = new QueryDataset(db, QStringLiteral("qStatementBills"), {}, this);
    qStatementBills->setRowSource(StatementFigures::billColumns(), [this](std::vector<RowValues> *rows) {
        return takeRows(&m_billRows, &m_billsWaiting, rows);
    });
    qHeldAge = new QueryDataset(db, QStringLiteral("qHeldAge"), {}, this);
    qHeldAge->setRowSource(HeldAges::columns(), [this](std::vector<RowValues> *rows) {
        return HeldAges::make(m_db, m_agesDay, m_agesCustomer, rows);
    });
    describeColumns(*qStatement, {{"GoodID", "商品码", nullptr},
                                  {"Description", "品名型号", nullptr},
                                  {"Unit", "单位", nullptr},
                                  {"startQty", "期初数", Quantity},
                                  {"startMny", "期初金额", DueMoney},
                                  {"deliveredQty", "送货数", Quantity},
                                  {"deliveredMny", "送货金额", DueMoney},
                                  {"returnedQty", "退货数", Quantity},
                                  {"returnedMny", "退货金额", DueMoney},
                                  {"paidQty", "收款数", Quantity},
                                  {"paidMny", "收款金额", DueMoney},
                                  {"refundedQty", "退款数", Quantity},
                                  {"refundedMny", "退款金额", DueMoney},
                                  {"endQty", "期末数", Quantity},
                                  {"endMny", "期末金额", DueMoney}});
    describeColumns(*qStatementBills, {{"TabID", "ID", nullptr},
                                       {"KindID", "单型", nullptr},
                                       {"TabDate", "单据日期", nullptr},
                                       {"Kind", "单据", nullptr},
                                       {"BookID", "单号", nullptr},
                                       {"Qty", "数量", Quantity},
                                       {"Mny", "金额", DueMoney}});
    qStatementBills->fieldByName(QStringLiteral("TabID")).setVisible(false);
    qStatementBills->fieldByName(QStringLiteral("KindID")).setVisible(false);
    describeColumns(*qHeldAge, {{"CustID", "客户码", nullptr},
                                {"CustName", "客户名称", nullptr},
                                {"GoodID", "商品码", nullptr},
                                {"Description", "品名型号", nullptr},
                                {"Unit", "单位", nullptr},
                                {"heldQty", "结存数", Quantity},
                                {"heldMny", "结存金额", DueMoney},
                                {"age0", "0-30天", Quantity},
                                {"age31", "31-90天", Quantity},
                                {"age91", "91-180天", Quantity},
                                {"age181", "180天以上", Quantity}});
}

QStringList CustStatement::figureNames()
{
    return {QStringLiteral("startQty"),    QStringLiteral("startMny"),    QStringLiteral("deliveredQty"), QStringLiteral("deliveredMny"),
            QStringLiteral("returnedQty"), QStringLiteral("returnedMny"), QStringLiteral("paidQty"),      QStringLiteral("paidMny"),
            QStringLiteral("refundedQty"), QStringLiteral("refundedMny"), QStringLiteral("endQty"),       QStringLiteral("endMny")};
}

DatasetError CustStatement::open(qint64 custId, const QDate &from, const QDate &to)
{
    close();
    if (from.isValid() && to.isValid() && to < from)
        return DatasetError(DatasetError::Code::Validation, badRangeText());
    m_customer = custId;
    m_from = from;
    m_to = to;
    DatasetError e = makeStatement();
    if (e.ok())
        e = qStatement->open();
    if (e.ok())
        e = qStatementBills->open();
    return e;
}

DatasetError CustStatement::makeStatement()
{
    const QByteArray first = m_from.isValid() ? dayText(m_from).toLatin1() : QByteArray();
    // Up to the end of the last day: a bill date with a time of day still counts.
    const QByteArray after = m_to.isValid() ? dayText(m_to.addDays(1)).toLatin1() : QByteArrayLiteral("9999-12-31 ~");
    m_goodsWaiting = m_billsWaiting = false;
    const DatasetError e = StatementFigures::make(m_db, m_customer, first, after, &m_goodsRows, &m_billRows);
    m_goodsWaiting = m_billsWaiting = e.ok();
    return e;
}

DatasetError CustStatement::takeRows(std::vector<RowValues> *waiting, bool *isWaiting, std::vector<RowValues> *rows)
{
    const bool alone = !*isWaiting;
    if (alone) {
        if (const DatasetError e = makeStatement(); e.failed())
            return e;
    }
    *rows = std::move(*waiting);
    waiting->clear();
    *isWaiting = false;
    if (alone) { // the other list keeps the rows it shows; this read's are dropped
        m_goodsRows.clear();
        m_billRows.clear();
        m_goodsWaiting = m_billsWaiting = false;
    }
    return {};
}

DatasetError CustStatement::openAges(const QDate &asOf, qint64 custId)
{
    qHeldAge->close();
    m_agesDay = asOf.isValid() ? asOf : QDate::currentDate();
    m_agesCustomer = custId > 0 ? std::optional<qint64>(custId) : std::nullopt;
    return qHeldAge->open();
}

void CustStatement::close()
{
    qStatement->close();
    qStatementBills->close();
    m_goodsRows.clear();
    m_billRows.clear();
    m_goodsWaiting = m_billsWaiting = false;
}

CustStatement::Totals CustStatement::totals() const
{
    const QHash<QString, double> sums = figureTotals();
    const auto sum = [&sums](const char *name) { return sums.value(QLatin1String(name)); };
    Totals t;
    t.startMny = sum("startMny");
    t.deliveredMny = sum("deliveredMny");
    t.returnedMny = sum("returnedMny");
    t.paidMny = sum("paidMny");
    t.refundedMny = sum("refundedMny");
    t.endMny = sum("endMny");
    return t;
}

QHash<QString, double> CustStatement::figureTotals() const
{
    QHash<QString, double> sums;
    const Dataset &ds = *qStatement;
    if (!ds.isOpen())
        return sums;
    for (const QString &name : figureNames()) {
        double s = 0;
        const int column = ds.fieldIndex(name);
        for (int r = 0; r < ds.rowCount(); ++r)
            s += ds.value(r, column).toDouble();
        sums.insert(name, s);
    }
    return sums;
}

QJsonObject CustStatement::toJson() const
{
    QJsonArray goods;
    const Dataset &g = *qStatement;
    const QStringList figures = figureNames();
    for (int r = 0; r < g.rowCount(); ++r) {
        QJsonObject row{{QStringLiteral("GoodID"), g.value(r, g.fieldIndex(QStringLiteral("GoodID"))).toLongLong()}};
        for (const QString &f : figures)
            row.insert(f, g.value(r, g.fieldIndex(f)).toDouble());
        goods.append(row);
    }
    QJsonArray bills;
    const Dataset &b = *qStatementBills;
    for (int r = 0; r < b.rowCount(); ++r) {
        const auto v = [&](const char *name) { return b.value(r, b.fieldIndex(QLatin1String(name))); };
        bills.append(QJsonObject{{QStringLiteral("TabID"), v("TabID").toLongLong()},
                                 {QStringLiteral("KindID"), v("KindID").toInt()},
                                 {QStringLiteral("BookID"), v("BookID").toString()},
                                 {QStringLiteral("TabDate"), v("TabDate").toString()},
                                 {QStringLiteral("qty"), v("Qty").toDouble()},
                                 {QStringLiteral("mny"), v("Mny").toDouble()}});
    }
    const auto day = [](const QDate &d) { return d.isValid() ? QJsonValue(dayText(d)) : QJsonValue(QJsonValue::Null); };
    return QJsonObject{{QStringLiteral("customer"), m_customer},
                       {QStringLiteral("from"), day(m_from)},
                       {QStringLiteral("to"), day(m_to)},
                       {QStringLiteral("goods"), goods},
                       {QStringLiteral("bills"), bills}};
}

QString CustStatement::customerName(qint64 custId) const
{
    return m_db.scalar(QStringLiteral("SELECT CustName FROM Customers WHERE CustID = ?"), {custId}).toString();
}

QString CustStatement::companyName() const
{
    return m_db.scalar(QStringLiteral("SELECT Name FROM UserInfo ORDER BY id LIMIT 1")).toString().trimmed();
}

qint64 CustStatement::firstCustomer() const
{
    const QVariant holding = m_db.scalar(QStringLiteral("SELECT min(c.CustID) FROM Customers c "
                                                        "WHERE EXISTS (SELECT 1 FROM GoodsInCusts g WHERE g.CustID = c.CustID)"));
    if (!holding.isNull() && holding.isValid())
        return holding.toLongLong();
    return m_db.scalar(QStringLiteral("SELECT min(CustID) FROM Customers")).toLongLong();
}

QDate CustStatement::proposedFrom(const QDate &today) const
{
    const QDate carried = PeriodOperations::lastCarryForward(m_db);
    // A never-carried set may hold the empty date of the program it came from (1899-12-30).
    if (carried.isValid() && carried.year() >= 1900 && carried < today)
        return carried.addDays(1);
    return QDate(today.year(), 1, 1);
}

QString CustStatement::totalsText(const Totals &t)
{
    const auto money = [](double v) { return QString::number(v, 'f', 2); };
    return QStringLiteral("期初 %1    送货 %2    退货 %3    收款 %4    退款 %5    期末 %6")
        .arg(money(t.startMny), money(t.deliveredMny), money(t.returnedMny), money(t.paidMny), money(t.refundedMny),
             money(t.endMny));
}

QString CustStatement::badRangeText()
{
    return QStringLiteral("起始日期不能晚于终止日期。");
}

} // namespace hemu
