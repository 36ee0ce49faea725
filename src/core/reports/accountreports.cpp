#include "core/reports/accountreports.h"

#include "core/analysis/payables.h"
#include "core/db/database.h"
#include "core/format/numberformat.h"
#include "core/reports/printedbill.h"
#include "core/reports/reportitems.h"
#include "core/reports/sqlrecordsource.h"

#include <QSqlQuery>

namespace hemu::reports {

namespace {

using namespace items;

const QString kOpenMoney = QStringLiteral("0.00;'-'0.00;#");
const QString kSignedMoney = QStringLiteral("0.00;'-'0.00;#.##");

/// A stored date as the bills print it.
Expression billDate(const QString &name)
{
    return [name](const Record &r) { return QVariant(printedBillDate(r.value(name).toString())); };
}

/// The prepared-by text at the left and the date at the right, below a centred title.
Band titleHeader(const QString &title, const FontSpec &titleFont, const FontSpec &small, double width,
                 const QString &datePrefix = {})
{
    Band header;
    header.height = titleFont.lineHeight() + small.lineHeight() + 1;
    header.items << label(0, 0, width, title, titleFont, Align::Center)
                 << variable(0, titleFont.lineHeight(), width * 0.7, QStringLiteral("Stamp"), small, Align::Left)
                 << variable(width * 0.7, titleFont.lineHeight(), width * 0.3, QStringLiteral("Date"), small, Align::Right, datePrefix);
    return header;
}

/// Fixed texts side by side: (width, text, alignment) from x = 0, with lines between them.
struct Column
{
    double width;
    QString text;
    Align align;
};

void addColumns(Band &band, const QList<Column> &columns, const FontSpec &font, bool dividers)
{
    double x = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const Column &c = columns.at(i);
        band.items << label(x + 0.5, 0.3, c.width - 1, c.text, font, c.align);
        if (dividers && i > 0)
            band.items << divider(x);
        x += c.width;
    }
}

double columnX(const QList<Column> &columns, int index)
{
    double x = 0;
    for (int i = 0; i < index; ++i)
        x += columns.at(i).width;
    return x;
}

} // namespace

// ---- 应付款统计表 ------------------------------------------------------------------------

ReportDefinition payablesDetailDefinition()
{
    const FontSpec font = song(11);
    const FontSpec heading = song(12);
    ReportDefinition def;
    def.title = QStringLiteral("应付款统计表");
    def.page = PageSetup::a4Portrait();
    def.page.marginTop = 15;
    def.page.marginBottom = 10;
    def.page.marginLeft = def.page.marginRight = 10;
    def.font = font;
    def.printIfEmpty = true;
    const double width = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;

    // Page header: title, prepared-by and date; then the vendor heading in a frame open below.
    Band header = titleHeader(def.title, song(12, true), song(9), width);
    const double top = header.height + 1;
    ReportItem left = divider(0), right = divider(width);
    left.y = right.y = top;
    header.items << line(0, top, width, top) << left << right
                 << variable(1, top + 0.5, width / 2, QStringLiteral("Vendor"), heading, Align::Left, QStringLiteral("供货方："))
                 << variable(width / 2, top + 0.5, width / 2 - 1, QStringLiteral("DuePay"), heading, Align::Right, QStringLiteral("总计应付款:"))
                 << label(0, top + 0.5 + heading.lineHeight(), width, QStringLiteral("** 其中 **"), heading, Align::Center);
    header.height = top + 0.5 + 2 * heading.lineHeight() + 0.5;
    def.pageHeader = header;

    const QList<Column> columns{{26, QStringLiteral("单据日期"), Align::Left},   {46, QStringLiteral("原始单据"), Align::Left},
                                {18, QStringLiteral("单据ID"), Align::Right},    {12, QStringLiteral("结清"), Align::Center},
                                {29, QStringLiteral("应付款"), Align::Right},     {29, QStringLiteral("已付款"), Align::Right},
                                {width - 160, QStringLiteral("未付款"), Align::Right}};
    Band captions;
    captions.height = font.lineHeight() + 0.6;
    captions.frame = BandFrame::box();
    addColumns(captions, columns, font, true);
    def.columnHeader = captions;

    const Expression due = field(QStringLiteral("due"));
    const Expression paid = field(QStringLiteral("paid"));
    const Expression open = sumOf({QStringLiteral("due")}, {QStringLiteral("paid")});
    const auto cell = [&](int i) { return columnX(columns, i) + 0.5; };
    const auto cellWidth = [&](int i) { return columns.at(i).width - 1; };
    Band detail;
    detail.height = font.lineHeight();
    detail.frame.left = detail.frame.right = true;
    detail.items << text(cell(0), cellWidth(0), billDate(QStringLiteral("TabDate")), font)
                 << text(cell(1), cellWidth(1), field(QStringLiteral("BookID")), font)
                 << text(cell(2), cellWidth(2), field(QStringLiteral("TabID")), font, Align::Right)
                 << text(cell(3), cellWidth(3), field(QStringLiteral("clear")), font, Align::Center)
                 << value(cell(4), cellWidth(4), due, font, kOpenMoney)
                 << value(cell(5), cellWidth(5), paid, font, kOpenMoney)
                 << value(cell(6), cellWidth(6), open, font, kOpenMoney);
    for (int i = 1; i < columns.size(); ++i)
        detail.items << divider(columnX(columns, i));
    def.detail = detail;

    Band summary;
    summary.height = font.lineHeight() + 0.6;
    summary.frame = BandFrame::box();
    summary.items << label(1, 0.3, 40, QStringLiteral("合计"), font) << sum(cell(4), cellWidth(4), due, font, kOpenMoney)
                  << sum(cell(5), cellWidth(5), paid, font, kOpenMoney) << sum(cell(6), cellWidth(6), open, font, kOpenMoney);
    for (int i = 1; i < summary.items.size(); ++i)
        summary.items[i].y = 0.3;
    def.summary = summary;
    def.pageFooter = pageFooter(QStringLiteral("页"), font, width);
    return def;
}

std::unique_ptr<RecordSource> payableBills(Database &db, qint64 vendorId)
{
    QSqlQuery q(db.sql());
    q.prepare(Payables::statisticSql());
    q.bindValue(QStringLiteral(":CustID"), vendorId);
    return std::make_unique<SqlRecordSource>(std::move(q));
}

QHash<QString, QVariant> payablesVariables(Database &db, qint64 vendorId, const QString &stamp, const QString &date)
{
    QHash<QString, QVariant> values = reportVariables(stamp, date);
    QSqlQuery q(db.sql());
    q.prepare(QStringLiteral("SELECT (SELECT VendorName FROM Vendors WHERE VendorID = :v), "
                             "(SELECT sum(SumMoney) FROM RuKuDan WHERE CustID = :v)"));
    q.bindValue(QStringLiteral(":v"), vendorId);
    if (q.exec() && q.next()) {
        values.insert(QStringLiteral("Vendor"), q.value(0).toString());
        const double due = q.value(1).toDouble();
        values.insert(QStringLiteral("DuePay"), due == 0 ? QString() : NumberFormat(QStringLiteral("0.00")).format(due));
    }
    return values;
}

// ---- 进货结算表 --------------------------------------------------------------------------

ReportDefinition payablesTotalDefinition()
{
    const FontSpec font = song(11);
    ReportDefinition def;
    def.title = QStringLiteral("进货结算表");
    def.page = PageSetup::a4Portrait();
    def.page.marginTop = 15;
    def.page.marginBottom = 10;
    def.page.marginLeft = def.page.marginRight = 15;
    def.page.columns = 2;
    def.page.columnSpacing = 1;
    def.font = font;
    def.printIfEmpty = true;
    const double width = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;
    const double column = (width - def.page.columnSpacing) / 2;

    Band header = titleHeader(def.title, song(12, true), song(9), width);
    header.frame.bottom = true;
    def.pageHeader = header;

    const QList<Column> columns{{column - 34, QStringLiteral("供货方名称"), Align::Left}, {34, QStringLiteral("应付款总金额"), Align::Right}};
    Band captions;
    captions.height = font.lineHeight() + 0.6;
    captions.frame = BandFrame::box();
    addColumns(captions, columns, font, true);
    def.columnHeader = captions;

    const Expression due = field(QStringLiteral("DuePay"));
    Band detail;
    detail.height = font.lineHeight();
    detail.frame.left = detail.frame.right = true;
    detail.items << text(0.5, column - 35, field(QStringLiteral("lkVendor")), font)
                 << value(column - 34, 33.5, due, font, kSignedMoney) << divider(column - 34);
    def.detail = detail;

    Band summary;
    summary.height = font.lineHeight() + 0.6;
    summary.frame.top = true;
    summary.items << label(0.5, 0.3, 30, QStringLiteral("总计金额："), font) << sum(column - 34, 33.5, due, font, kSignedMoney);
    summary.items.last().y = 0.3;
    def.summary = summary;
    def.pageFooter = pageFooter(QStringLiteral("页"), font, width);
    return def;
}

std::unique_ptr<RecordSource> vendorTotals(Database &db)
{
    QSqlQuery q(db.sql());
    q.prepare(QStringLiteral("SELECT s.CustID, v.VendorName AS lkVendor, s.DuePay FROM (%1) s "
                             "LEFT JOIN Vendors v ON v.VendorID = s.CustID ORDER BY s.CustID")
                  .arg(Payables::sumSql()));
    return std::make_unique<SqlRecordSource>(std::move(q));
}

// ---- 盘点准备表 --------------------------------------------------------------------------

ReportDefinition stockCheckDefinition()
{
    const FontSpec font = song(11);
    ReportDefinition def;
    def.title = QStringLiteral("盘点准备表");
    def.page = PageSetup::a4Landscape();
    def.page.columns = 2;
    def.page.columnSpacing = 0.2;
    def.font = font;
    def.printIfEmpty = true;
    def.groupExpression = field(QStringLiteral("CataID"));
    const double width = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;
    const double column = (width - def.page.columnSpacing) / 2;

    def.pageHeader = titleHeader(def.title, song(12), song(9), width, QStringLiteral("日期"));

    const QList<Column> columns{{16, QStringLiteral("代码"), Align::Left},       {column - 108, QStringLiteral("品名规格"), Align::Left},
                                {14, QStringLiteral("单位"), Align::Center},     {26, QStringLiteral("帐面数量"), Align::Right},
                                {26, QStringLiteral("实际数量"), Align::Right},  {26, QStringLiteral("帐实差"), Align::Right}};
    Band captions;
    captions.height = font.lineHeight() + 0.6;
    captions.frame = BandFrame::box();
    addColumns(captions, columns, font, true);
    def.columnHeader = captions;

    Band group;
    group.height = font.lineHeight() + 0.4;
    group.frame = BandFrame::box();
    group.items << text(0, column, [](const Record &r) {
        return QVariant(r.value(QStringLiteral("lkCataName")).toString() + QStringLiteral("类"));
    }, font, Align::Center);
    def.groupHeader = group;

    const Expression onHand = sumOf({QStringLiteral("PrevOnHand"), QStringLiteral("HandInc")}, {QStringLiteral("CustHandInc")});
    const auto cell = [&](int i) { return columnX(columns, i) + 0.5; };
    const auto cellWidth = [&](int i) { return columns.at(i).width - 1; };
    Band detail;
    detail.height = font.lineHeight() + 0.4;
    detail.frame = BandFrame::box();
    detail.items << text(cell(0), cellWidth(0), field(QStringLiteral("GoodID")), font)
                 << text(cell(1), cellWidth(1), field(QStringLiteral("Description")), font)
                 << text(cell(2), cellWidth(2), field(QStringLiteral("lkUnit")), font, Align::Center)
                 << value(cell(3), cellWidth(3), onHand, font, kSignedMoney);
    for (int i = 1; i < columns.size(); ++i)
        detail.items << divider(columnX(columns, i));
    def.detail = detail;

    Band footer;
    footer.height = font.lineHeight() + 1;
    footer.frame.top = true;
    footer.items << pageNumber(0, 1, width, QStringLiteral("第"), font, Align::Center, QStringLiteral("页"));
    def.pageFooter = footer;
    return def;
}

} // namespace hemu::reports
