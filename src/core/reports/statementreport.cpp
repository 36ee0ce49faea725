#include "core/reports/statementreport.h"

#include "core/analysis/custstatement.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"
#include "core/reports/reportitems.h"

namespace hemu::reports {

using namespace items;

namespace {

constexpr int kGoods = 1;
constexpr int kBills = 2;

/// `e` on the rows of `section`, nothing on the others: both sections share the bands.
Expression only(int section, Expression e)
{
    return [section, e = std::move(e)](const Record &r) {
        return r.value(QStringLiteral("section")).toInt() == section ? e(r) : QVariant();
    };
}

Expression fixed(int section, const QString &text)
{
    return only(section, [text](const Record &) { return QVariant(text); });
}

/// The goods columns: code 12 mm, name 45, unit 10, then six figures of 35 mm (quantity 14,
/// amount 21), 277 mm in all, the width of landscape A4 within its margins.
namespace goods {
constexpr double kCode = 12;
constexpr double kName = 45;
constexpr double kUnit = 10;
constexpr double kFirst = kCode + kName + kUnit;
constexpr double kPair = 35;
constexpr double kQty = 14;
} // namespace goods

/// The bill columns: date, kind, number, quantity, amount.
const double kBillX[] = {0, 28, 50, 110, 140, 175};

struct Figure
{
    const char *title;
    const char *qty;
    const char *mny;
};
const Figure kFigures[] = {{"期初", "startQty", "startMny"},     {"送货", "deliveredQty", "deliveredMny"},
                           {"退货", "returnedQty", "returnedMny"}, {"收款", "paidQty", "paidMny"},
                           {"退款", "refundedQty", "refundedMny"}, {"期末", "endQty", "endMny"}};

/// The goods, their totals ("合计", the quantities and amounts of every figure summed), then the
/// bills, of a statement as they were when the report was asked for: the pages are laid out
/// while the window may already show another customer or range.
class Rows : public RecordSource, private Record
{
public:
    explicit Rows(const CustStatement &s)
    {
        take(*s.qStatement, kGoods);
        if (s.qStatement->rowCount() > 0) {
            QHash<QString, QVariant> total{{QStringLiteral("section"), kGoods}, {QStringLiteral("Description"), QStringLiteral("合计")}};
            const QHash<QString, double> sums = s.figureTotals();
            for (auto it = sums.begin(); it != sums.end(); ++it)
                total.insert(it.key(), it.value());
            m_rows.append(total);
        }
        take(*s.qStatementBills, kBills);
    }
    bool next() override { return ++m_row < m_rows.size(); }
    const Record &record() const override { return *this; }

private:
    void take(const Dataset &ds, int section)
    {
        for (int r = 0; r < ds.rowCount(); ++r) {
            QHash<QString, QVariant> row{{QStringLiteral("section"), section}};
            for (int c = 0; c < ds.fieldCount(); ++c)
                row.insert(ds.field(c).name(), ds.value(r, c));
            m_rows.append(row);
        }
    }
    QVariant value(const QString &name) const override { return m_rows.at(m_row).value(name); }

    QList<QHash<QString, QVariant>> m_rows;
    qsizetype m_row = -1;
};

} // namespace

QString statementReportTitle()
{
    return QStringLiteral("客户对账单");
}

ReportDefinition statementReportDefinition(const CustStatement &statement)
{
    const QString customer = QStringLiteral("%1 %2").arg(statement.customer()).arg(statement.customerName(statement.customer()));
    const QDate from = statement.from(), to = statement.to();
    using namespace goods;
    const FontSpec small = song(9);
    const FontSpec caption = song(10);
    const QString quantity = QString::fromLatin1(DisplayFormats::Quantity);
    const QString money = QString::fromLatin1(DisplayFormats::DueMoney);
    ReportDefinition def;
    def.title = statementReportTitle();
    def.page = PageSetup::a4Landscape();
    def.font = small;
    def.printIfEmpty = true; // a customer with nothing to settle still signs for it
    def.groupExpression = field(QStringLiteral("section"));
    const double width = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;

    const auto day = [](const QDate &d, const QString &open) { return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : open; };
    Band header;
    const double titleHeight = hei(16).lineHeight();
    header.height = titleHeight + 2 * small.lineHeight() + 2;
    // The company's name before the title, as on its bills.
    header.items << label(0, 0, width, statement.companyName() + def.title, hei(16), Align::Center)
                 << label(0, titleHeight + 1, width / 2, QStringLiteral("客户：") + customer, caption)
                 << label(width / 2, titleHeight + 1, width / 2,
                          QStringLiteral("日期：%1 至 %2").arg(day(from, QStringLiteral("第一张单据")), day(to, QStringLiteral("最后一张单据"))),
                          caption, Align::Right)
                 << variable(0, titleHeight + 1 + small.lineHeight(), width / 2, QStringLiteral("Stamp"), small, Align::Left)
                 << variable(width / 2, titleHeight + 1 + small.lineHeight(), width / 2, QStringLiteral("Date"), small, Align::Right);
    def.pageHeader = header;

    // Each section's titles open it.
    const double row = caption.lineHeight();
    Band titles;
    titles.height = 2 * row;
    titles.frame.top = titles.frame.bottom = true;
    titles.items << text(0, kCode, fixed(kGoods, QStringLiteral("商品码")), caption, Align::Center)
                 << text(kCode, kName, fixed(kGoods, QStringLiteral("品名型号")), caption, Align::Center)
                 << text(kFirst - kUnit, kUnit, fixed(kGoods, QStringLiteral("单位")), caption, Align::Center);
    for (int g = 0; g < 6; ++g) {
        const double x = kFirst + g * kPair;
        ReportItem over = text(x, kPair, fixed(kGoods, QString::fromUtf8(kFigures[g].title)), caption, Align::Center);
        ReportItem qty = text(x, kQty, fixed(kGoods, QStringLiteral("数量")), caption, Align::Center);
        ReportItem mny = text(x + kQty, kPair - kQty, fixed(kGoods, QStringLiteral("金额")), caption, Align::Center);
        qty.y = mny.y = row;
        titles.items << over << qty << mny;
    }
    const QStringList billTitles{QStringLiteral("单据日期"), QStringLiteral("单据"), QStringLiteral("单号"), QStringLiteral("数量"),
                                 QStringLiteral("金额")};
    for (int c = 0; c < billTitles.size(); ++c) {
        ReportItem t = text(kBillX[c], kBillX[c + 1] - kBillX[c], fixed(kBills, billTitles[c]), caption,
                            c >= 3 ? Align::Right : Align::Left);
        t.y = row;
        titles.items << t;
    }
    titles.items << text(0, width, fixed(kBills, QStringLiteral("单据明细")), hei(10));
    def.groupHeader = titles;

    Band detail;
    detail.height = small.lineHeight();
    detail.items << value(0, kCode - 1, only(kGoods, field(QStringLiteral("GoodID"))), small)
                 << text(kCode + 1, kName - 1, only(kGoods, field(QStringLiteral("Description"))), small, Align::Left, true)
                 << text(kFirst - kUnit, kUnit, only(kGoods, field(QStringLiteral("Unit"))), small, Align::Center);
    for (int g = 0; g < 6; ++g) {
        const double x = kFirst + g * kPair;
        detail.items << value(x, kQty - 1, only(kGoods, field(QString::fromLatin1(kFigures[g].qty))), small, quantity)
                     << value(x + kQty, kPair - kQty - 1, only(kGoods, field(QString::fromLatin1(kFigures[g].mny))), small, money);
    }
    detail.items << text(kBillX[0], kBillX[1] - kBillX[0], only(kBills, field(QStringLiteral("TabDate"))), small)
                 << text(kBillX[1], kBillX[2] - kBillX[1], only(kBills, field(QStringLiteral("Kind"))), small)
                 << text(kBillX[2], kBillX[3] - kBillX[2], only(kBills, field(QStringLiteral("BookID"))), small)
                 << value(kBillX[3], kBillX[4] - kBillX[3], only(kBills, field(QStringLiteral("Qty"))), small, quantity)
                 << value(kBillX[4], kBillX[5] - kBillX[4], only(kBills, field(QStringLiteral("Mny"))), small, money);
    def.detail = detail;

    // Each section closes with a rule; the goods' totals are their last row.
    Band footer;
    footer.height = 1;
    footer.frame.top = true;
    def.groupFooter = footer;

    Band signatures;
    signatures.height = 3 * caption.lineHeight();
    signatures.items << label(0, 2 * caption.lineHeight(), width / 2, QStringLiteral("客户签字：____________________"), caption)
                     << label(width / 2, 2 * caption.lineHeight(), width / 2, QStringLiteral("经办人：____________________"), caption,
                              Align::Right);
    def.summary = signatures;
    def.pageFooter = pageFooter(QStringLiteral("页"), small, width);
    return def;
}

std::unique_ptr<RecordSource> statementRows(const CustStatement &statement)
{
    return std::make_unique<Rows>(statement);
}

} // namespace hemu::reports
