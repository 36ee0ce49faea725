// The banded layout on rows made up in the test: paging, groups and their sums, empty
// reports, growing bands, two columns, stepwise layout, and the text export's cell grid.
#include "core/reports/reportlayout.h"
#include "core/reports/textexport.h"

#include <QtTest>

using namespace hemu::reports;

namespace {

/// Rows given as maps, for reports that need no account set.
class ListSource : public RecordSource, private Record
{
public:
    explicit ListSource(QList<QVariantHash> rows)
        : m_rows(std::move(rows))
    {
    }
    bool next() override { return ++m_row < m_rows.size(); }
    const Record &record() const override { return *this; }

private:
    QVariant value(const QString &name) const override { return m_rows.at(m_row).value(name); }
    QList<QVariantHash> m_rows;
    int m_row = -1;
};

QList<QVariantHash> rows(int count, int perGroup = 1000)
{
    QList<QVariantHash> list;
    for (int i = 1; i <= count; ++i)
        list << QVariantHash{{"Name", QStringLiteral("N%1").arg(i)}, {"Group", (i - 1) / perGroup}, {"Qty", i}};
    return list;
}

ReportItem textItem(ReportItem::Kind kind, double x, double w, const QString &text = {}, Align align = Align::Left)
{
    ReportItem item;
    item.kind = kind;
    item.x = x;
    item.width = w;
    item.height = 5;
    item.text = text;
    item.align = align;
    return item;
}

/// Paper 100 mm high, margins 10: 80 mm of body; page header 10, page footer 10, detail 5:
/// twelve details fit on a page.
ReportDefinition simple(bool printIfEmpty = false)
{
    ReportDefinition def;
    def.page = {100, 100, 10, 10, 10, 10};
    def.printIfEmpty = printIfEmpty;
    Band header;
    header.height = 10;
    header.items << textItem(ReportItem::Label, 0, 80, QStringLiteral("标题"));
    def.pageHeader = header;
    Band detail;
    detail.height = 5;
    ReportItem name = textItem(ReportItem::Value, 0, 40);
    name.expression = field(QStringLiteral("Name"));
    detail.items << name;
    def.detail = detail;
    Band footer;
    footer.height = 10;
    footer.items << textItem(ReportItem::PageNumber, 0, 80, QStringLiteral("页"));
    def.pageFooter = footer;
    return def;
}

QStringList texts(const Page &page)
{
    QStringList list;
    for (const PageItem &item : page.items)
        if (item.kind == PageItem::Text)
            list << item.text;
    return list;
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT

private slots:
    void paging_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("onLastPage");
        QTest::newRow("one record") << 1 << 1 << 1;
        QTest::newRow("page exactly full") << 12 << 1 << 12;
        QTest::newRow("one record over") << 13 << 2 << 1;
        QTest::newRow("two pages exactly") << 24 << 2 << 12;
        QTest::newRow("many") << 100 << 9 << 4;
    }

    /// A band that fits exactly stays on the page; the next one opens a new page with the
    /// page header, and every page gets its footer with its own number.
    void paging()
    {
        QFETCH(int, records);
        QFETCH(int, pages);
        QFETCH(int, onLastPage);
        ListSource source(rows(records));
        const PageModel model = ReportLayout::run(simple(), source);
        QCOMPARE(model.pages.size(), pages);
        for (int p = 0; p < pages; ++p) {
            const QStringList t = texts(model.pages.at(p));
            QCOMPARE(t.first(), QStringLiteral("标题"));
            QCOMPARE(t.last(), QStringLiteral("页%1").arg(p + 1));
            for (const PageItem &item : model.pages.at(p).items)
                QVERIFY(item.y + item.height <= 90 + 1e-9);
        }
        QCOMPARE(texts(model.pages.last()).size() - 2, onLastPage);
        QCOMPARE(texts(model.pages.last()).at(onLastPage), QStringLiteral("N%1").arg(records));
    }

    void empty_data()
    {
        QTest::addColumn<bool>("printIfEmpty");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("no pages") << false << QStringList{};
        QTest::newRow("headings only") << true << QStringList{"标题", "合计", "页1"};
    }

    /// Without records: no pages, or (print-if-empty) the headings, the summary and the page
    /// footer, without group bands.
    void empty()
    {
        QFETCH(bool, printIfEmpty);
        QFETCH(QStringList, texts);
        ReportDefinition def = simple(printIfEmpty);
        def.groupExpression = field(QStringLiteral("Group"));
        Band group;
        group.height = 5;
        group.items << textItem(ReportItem::Label, 0, 40, QStringLiteral("组头"));
        def.groupHeader = group;
        Band summary;
        summary.height = 5;
        summary.items << textItem(ReportItem::Label, 0, 40, QStringLiteral("合计"));
        def.summary = summary;
        ListSource source({});
        const PageModel model = ReportLayout::run(def, source);
        QCOMPARE(model.pages.size(), texts.isEmpty() ? 0 : 1);
        if (!texts.isEmpty())
            QCOMPARE(::texts(model.pages.first()), texts);
    }

    /// Group footers sum their own group's records and start again from zero; the summary
    /// sums everything; a new group starts whenever the group value changes.
    void groupSums()
    {
        ReportDefinition def = simple();
        def.page.paperHeight = 400;
        def.groupExpression = field(QStringLiteral("Group"));
        Band footer;
        footer.height = 5;
        ReportItem s = textItem(ReportItem::Sum, 0, 40);
        s.expression = field(QStringLiteral("Qty"));
        s.format = hemu::NumberFormat(QStringLiteral("0.##;-0.##;#.##"));
        footer.items << s;
        def.groupFooter = footer;
        Band summary = footer;
        def.summary = summary;
        ListSource source(rows(7, 3)); // groups 1-3, 4-6, 7
        const QStringList t = texts(ReportLayout::run(def, source).pages.first());
        QCOMPARE(t, (QStringList{"标题", "N1", "N2", "N3", "6", "N4", "N5", "N6", "15", "N7", "7", "28", "页1"}));
    }

    /// A wrapping text breaks into lines and its band grows; the band's side lines run down
    /// the grown height.
    void wrapGrowsBand()
    {
        ReportDefinition def = simple();
        def.detail->frame.left = true;
        def.detail->items[0].wrap = true;
        def.detail->items[0].width = 3 * 9 * kMmPerPoint; // three CJK characters at 9 pt
        ListSource source({{{"Name", QStringLiteral("一二三四五六七")}}, {{"Name", QStringLiteral("八")}}});
        const Page page = ReportLayout::run(def, source).pages.first();
        const QList<PageItem> &items = page.items;
        QStringList lines;
        QList<double> ys;
        double side = 0;
        for (const PageItem &item : items) {
            if (item.kind == PageItem::Text && item.text != QStringLiteral("标题") && !item.text.startsWith(QStringLiteral("页"))) {
                lines << item.text;
                ys << item.y;
            }
            if (item.kind == PageItem::Line && item.width == 0 && side == 0)
                side = item.height;
        }
        QCOMPARE(lines, (QStringList{"一二三", "四五六", "七", "八"}));
        QCOMPARE(ys.at(3) - ys.at(0), 15.0); // three lines of 5 mm, then the next record
        QCOMPARE(side, 15.0);
    }

    /// Two columns: details run down the left column, then the right, then a new page.
    void twoColumns()
    {
        ReportDefinition def = simple();
        def.page.columns = 2;
        def.page.columnSpacing = 2;
        ListSource source(rows(25));
        const PageModel model = ReportLayout::run(def, source);
        QCOMPARE(model.pages.size(), 2);
        QHash<QString, double> x;
        for (const PageItem &item : model.pages.first().items)
            x.insert(item.text, item.x);
        QCOMPARE(x.value("N1"), 10.0);
        QCOMPARE(x.value("N12"), 10.0);
        QCOMPARE(x.value("N13"), 10.0 + 39 + 2); // column width (80 - 2) / 2
        QCOMPARE(x.value("N24"), 51.0);
        QCOMPARE(texts(model.pages.at(1)).at(1), QStringLiteral("N25"));
    }

    /// Laid out in steps, the first page is final long before the last record is read.
    void steps()
    {
        ListSource source(rows(1000));
        const ReportDefinition def = simple();
        ReportLayout layout(def, source);
        QVERIFY(!layout.step(20));
        QVERIFY(layout.completedPages() >= 1);
        QCOMPARE(texts(layout.pages().pages.first()).last(), QStringLiteral("页1"));
        int guard = 0;
        while (!layout.step(50) && ++guard < 100) {
        }
        QVERIFY(layout.finished());
        QCOMPARE(layout.recordsDone(), 1000);
        QCOMPARE(layout.completedPages(), 84);
    }

    void cells_data()
    {
        QTest::addColumn<QList<PageItem>>("items");
        QTest::addColumn<QStringList>("lines");
        // 10 pt: a cell is 3.5278 mm; line = y / cell, column = x / cell * 1.7 (from 1).
        const FontSpec f{QStringLiteral("宋体"), 10};
        const double c = 10 * kMmPerPoint;
        QTest::newRow("left at column 17") << QList<PageItem>{{PageItem::Text, c * 10, 0, 20, 4, "ab", f, Align::Left}}
                                           << QStringList{QString(16, ' ') + "ab"};
        QTest::newRow("right aligned ends there")
            << QList<PageItem>{{PageItem::Text, 0, c * 2, c * 10, 4, "123", f, Align::Right}}
            << QStringList{QString(13, ' ') + "123"};
        QTest::newRow("overwrites what lies under it")
            << QList<PageItem>{{PageItem::Text, 0, 0, 20, 4, "abcdef", f, Align::Left},
                               {PageItem::Text, c * 10 / 17 * 3, 0, 20, 4, "XY", f, Align::Left}}
            << QStringList{"abXYef"};
        QTest::newRow("lines in order, empty ones left out")
            << QList<PageItem>{{PageItem::Text, 0, c * 5, 20, 4, "下", f, Align::Left},
                               {PageItem::Text, 0, c * 1, 20, 4, "上", f, Align::Left}}
            << QStringList{"上", "下"};
        QTest::newRow("blank page writes nothing") << QList<PageItem>{{PageItem::Line, 0, 0, 100, 0, {}, f, Align::Left}}
                                                   << QStringList{};
        QTest::newRow("below the paper is left out")
            << QList<PageItem>{{PageItem::Text, 0, 150, 20, 4, "x", f, Align::Left}} << QStringList{};
    }

    /// The text export's character cells.
    void cells()
    {
        QFETCH(QList<PageItem>, items);
        QFETCH(QStringList, lines);
        PageModel model;
        model.paperHeight = 100;
        model.basePoints = 10;
        model.pages << Page{items};
        QCOMPARE(textexport::pageLines(model, model.pages.first()), lines);
        QCOMPARE(textexport::toText(model), lines.isEmpty() ? QString() : lines.join('\n') + '\n');
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "test_reportlayout.moc"
