#include "core/reports/billreports.h"

#include "core/reports/reportitems.h"
#include "core/reports/stockreports.h"

namespace hemu::reports {

namespace {

using namespace items;

const QString kMoney = QStringLiteral("0.0#");

/// The lines of a bill held in memory.
class BillLineSource : public RecordSource, private Record
{
public:
    explicit BillLineSource(QList<PrintedBillLine> lines)
        : m_lines(std::move(lines))
    {
    }
    bool next() override { return ++m_at < m_lines.size(); }
    const Record &record() const override { return *this; }

private:
    QVariant value(const QString &name) const override
    {
        const PrintedBillLine &line = m_lines.at(m_at);
        if (name == QLatin1String("GoodID"))
            return line.goodId;
        if (name == QLatin1String("Description"))
            return line.description;
        if (name == QLatin1String("lkUnit"))
            return line.unit;
        if (name == QLatin1String("Qty"))
            return line.qty;
        if (name == QLatin1String("Price"))
            return line.price;
        return {};
    }

    QList<PrintedBillLine> m_lines;
    qsizetype m_at = -1;
};

Expression lineAmount()
{
    return [](const Record &r) { return QVariant(r.value(QStringLiteral("Qty")).toDouble() * r.value(QStringLiteral("Price")).toDouble()); };
}

} // namespace

int billPageEstimate(int lines)
{
    return lines <= 0 ? 0 : (lines + 10) / 11;
}

ReportDefinition billReportDefinition(const PrintedBill &bill)
{
    const FontSpec font = song(9);
    const FontSpec bold = song(9, true);
    const FontSpec small = song(8);
    ReportDefinition def;
    def.title = bill.title();
    def.page = PageSetup::bill210x94();
    def.page.marginTop = 10;
    def.page.marginBottom = 8;
    def.page.marginLeft = def.page.marginRight = 15;
    def.font = font;
    def.printIfEmpty = true;
    const double width = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;
    const double row = font.lineHeight();

    // Page header: the page count, the title, the page number; below it the bill's heading in
    // a box that grows with a long remark.
    const FontSpec titleFont = song(12, true);
    const double top = titleFont.lineHeight() + 0.5;
    Band header;
    header.height = top + 2 * row + 1;
    header.frame.bottom = true;
    header.items << variable(0, 0.8, 40, QStringLiteral("Pages"), small, Align::Left, QStringLiteral("共"))
                 << label(0, 0, width, bill.title(), titleFont, Align::Center)
                 << pageNumber(width - 40, 0.8, 40, QStringLiteral("第"), small, Align::Right, QStringLiteral("页"))
                 << line(0, top, width, top);
    ReportItem left = divider(0), right = divider(width);
    left.y = right.y = top;
    header.items << left << right
                 << variable(1, top + 0.5, 72, QStringLiteral("Party"), bold, Align::Left)
                 << variable(74, top + 0.5, 50, QStringLiteral("TabDate"), font, Align::Left, QStringLiteral("开单日期:"))
                 << variable(124, top + 0.5, width - 125, QStringLiteral("Number"), font, Align::Left, QStringLiteral("单号:"));
    ReportItem remark = variable(1, top + 0.5 + row, width - 2, QStringLiteral("Remark"), font, Align::Left, QStringLiteral("备注:"));
    remark.wrap = true;
    header.items << remark;
    def.pageHeader = header;

    constexpr double kCode = 14, kNameX = 16, kUnitX = 80, kQtyX = 94, kPriceX = 114, kMnyX = 136, kTagX = 162;
    Band columns;
    columns.height = row + 0.5;
    columns.frame.left = columns.frame.right = columns.frame.bottom = true;
    columns.items << label(0, 0.2, kCode, QStringLiteral("代码"), bold, Align::Right)
                  << label(kNameX, 0.2, kUnitX - kNameX, QStringLiteral("品名型号"), bold)
                  << label(kUnitX, 0.2, kQtyX - kUnitX, QStringLiteral("单位"), bold, Align::Center)
                  << label(kQtyX, 0.2, kPriceX - kQtyX - 1, QStringLiteral("数量"), bold, Align::Right)
                  << label(kPriceX, 0.2, kMnyX - kPriceX - 1, QStringLiteral("单价(元)"), bold, Align::Right)
                  << label(kMnyX, 0.2, kTagX - kMnyX - 1, QStringLiteral("金额(元)"), bold, Align::Right)
                  << label(kTagX, 0.2, width - kTagX, QStringLiteral("器号"), bold, Align::Center);
    def.columnHeader = columns;

    Band detail;
    detail.height = row;
    detail.frame.left = detail.frame.right = true;
    detail.items << text(0, kCode, field(QStringLiteral("GoodID")), font, Align::Right)
                 << text(kNameX, kUnitX - kNameX - 1, field(QStringLiteral("Description")), font)
                 << text(kUnitX, kQtyX - kUnitX, field(QStringLiteral("lkUnit")), font, Align::Center)
                 << value(kQtyX, kPriceX - kQtyX - 1, field(QStringLiteral("Qty")), font, kMoney, Align::Right, false)
                 << value(kPriceX, kMnyX - kPriceX - 1, field(QStringLiteral("Price")), font, kMoney, Align::Right, false)
                 << value(kMnyX, kTagX - kMnyX - 1, lineAmount(), font, kMoney, Align::Right, false);
    def.detail = detail;

    const FontSpec total = song(11);
    Band summary;
    summary.height = total.lineHeight() + 0.5;
    summary.frame = BandFrame::box();
    ReportItem sumItem = sum(kPriceX - 20, kTagX - kPriceX + 19, lineAmount(), total, kMoney);
    sumItem.blankIfZero = false;
    summary.items << label(kQtyX - 30, 0.2, 30, QStringLiteral("合计金额："), total, Align::Right) << sumItem;
    summary.items.last().y = 0.2;
    def.summary = summary;

    Band footer;
    footer.height = row + 1;
    footer.frame.top = true;
    footer.items << variable(0, 1, 96, QStringLiteral("Stamp"), small, Align::Left)
                 << label(98, 1, 30, QStringLiteral("经办人:"), font)
                 << label(132, 1, 30, QStringLiteral("客户："), font)
                 << pageNumber(width - 20, 1, 20, QStringLiteral("第"), small, Align::Right, QStringLiteral("页"));
    def.pageFooter = footer;
    return def;
}

std::unique_ptr<RecordSource> billRows(const PrintedBill &bill)
{
    return std::make_unique<BillLineSource>(bill.lines);
}

QHash<QString, QVariant> billVariables(const PrintedBill &bill, const QString &stamp, const QString &date)
{
    QHash<QString, QVariant> values = reportVariables(stamp, date);
    values.insert(QStringLiteral("Party"), bill.pageCounterpart());
    values.insert(QStringLiteral("TabDate"), bill.tabDate);
    values.insert(QStringLiteral("Number"), bill.numberText());
    values.insert(QStringLiteral("Remark"), bill.remark);
    values.insert(QStringLiteral("Pages"), QString::number(billPageEstimate(int(bill.lines.size()))) + QStringLiteral("页"));
    return values;
}

} // namespace hemu::reports
