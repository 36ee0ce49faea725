// hemu-cli show: the lists of the receivables, payables and profit windows, the stock-change
// browser, the goods flow, the market information's purchase history and the ages of held
// goods, read through the same core queries and views, as an aligned table or as JSON.
#include "cli/commands.h"

#include "core/analysis/custstatement.h"
#include "core/analysis/goodsflow.h"
#include "core/analysis/marketinfo.h"
#include "core/analysis/payables.h"
#include "core/analysis/profits.h"
#include "core/analysis/receivables.h"
#include "core/analysis/stockchange.h"
#include "core/data/basedata.h"
#include "core/data/datamodules.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace hemu::cli {

namespace {

struct Shown
{
    Field *field;
    QString title;
};

/// Columns a terminal gives `text`: two for a CJK character, one for the rest.
int textWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

QString padded(const QString &text, int width, bool right)
{
    const QString room(qMax(0, width - textWidth(text)), QLatin1Char(' '));
    return right ? room + text : text + room;
}

QString table(Dataset &ds, const QList<Shown> &columns)
{
    QList<QStringList> rows;
    QStringList titles;
    for (const Shown &c : columns)
        titles << c.title;
    rows << titles;
    for (int r = 0; r < ds.rowCount(); ++r) {
        QStringList row;
        for (const Shown &c : columns)
            row << ds.displayText(r, ds.fieldIndex(c.field->name()));
        rows << row;
    }
    QList<int> widths(columns.size(), 0);
    for (const QStringList &row : std::as_const(rows))
        for (int c = 0; c < row.size(); ++c)
            widths[c] = qMax(widths[c], textWidth(row[c]));
    QString text;
    for (int r = 0; r < rows.size(); ++r) {
        QStringList cells;
        for (int c = 0; c < columns.size(); ++c)
            cells << padded(rows[r][c], widths[c], columns[c].field->isNumeric());
        // Figures and their titles to the right; no blanks at the end of a line.
        QString line = cells.join(QStringLiteral("  "));
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}

QJsonValue jsonValue(const QVariant &v, const Field &field)
{
    if (v.isNull() || !v.isValid())
        return QJsonValue::Null;
    if (field.dataType() == DataType::Boolean)
        return QJsonValue(v.toBool());
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QJsonValue(v.toLongLong());
    case QMetaType::Double:
        return QJsonValue(v.toDouble());
    default:
        return field.isNumeric() ? QJsonValue(v.toDouble()) : QJsonValue(v.toString());
    }
}

QString json(Dataset &ds, const QList<Field *> &fields)
{
    QJsonArray rows;
    for (int r = 0; r < ds.rowCount(); ++r) {
        QJsonObject row;
        for (Field *f : fields)
            row.insert(f->name(), jsonValue(ds.value(r, ds.fieldIndex(f->name())), *f));
        rows.append(row);
    }
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("rows"), rows}}).toJson(QJsonDocument::Compact))
        + QLatin1Char('\n');
}

/// The window's columns of a query list: its visible fields under their captions (a
/// two-line title on one line).
QList<Shown> visibleColumns(Dataset &ds)
{
    QList<Shown> out;
    for (Field *f : ds.visibleFields())
        out.append({f, QString(f->caption()).remove(QLatin1Char('|'))});
    return out;
}

QList<Shown> listedColumns(Dataset &ds, const QList<StockChange::Column> &columns)
{
    QList<Shown> out;
    for (const StockChange::Column &c : columns)
        out.append({&ds.fieldByName(c.field), QString(c.title).remove(QLatin1Char('|'))});
    return out;
}

QList<Field *> fieldsOf(const QList<Shown> &columns)
{
    QList<Field *> out;
    for (const Shown &c : columns)
        out.append(c.field);
    return out;
}

QList<Field *> dataFields(Dataset &ds)
{
    QList<Field *> out;
    for (Field *f : ds.fields())
        if (f->isData())
            out.append(f);
    return out;
}

int print(const QString &text)
{
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    out << text;
    out.flush();
    return 0;
}

} // namespace

int showList(const QString &file, const QString &list, int customer, bool asJson, const QString &item, const QDate &asOf)
{
    const bool ages = list == QLatin1String("held-age");
    const bool receivables = list == QLatin1String("receivables") || list == QLatin1String("receivables-detail");
    const bool stock = list == QLatin1String("stock") || list == QLatin1String("customer-stock");
    const bool flow = list == QLatin1String("goods-flow");
    const bool market = list == QLatin1String("market");
    const bool payables = list == QLatin1String("payables");
    const bool profits = list == QLatin1String("profits") || list == QLatin1String("all-profit")
                         || list == QLatin1String("category-sales");
    if (!receivables && !stock && !flow && !market && !ages && !payables && !profits)
        return fail(QStringLiteral("unknown list %1 (receivables, receivables-detail, stock, customer-stock, goods-flow, market, "
                                   "held-age, payables, profits, all-profit or category-sales)")
                        .arg(list));
    if (customer > 0 && (list == QLatin1String("stock") || flow || market || payables || profits))
        return fail(QStringLiteral("--customer goes with the receivables, customer-stock and held-age lists"));
    bool numeric = false;
    const qint64 goodId = item.toLongLong(&numeric);
    if (market != !item.isEmpty() || (market && (!numeric || goodId <= 0)))
        return fail(market ? QStringLiteral("the market list needs a goods code: show FILE market GOODID")
                           : QStringLiteral("only the market list takes a goods code"));
    ScriptedPrompter prompter;
    BaseData base(prompter);
    TabData tab(base);
    Database &db = base.MyADOCnn();
    QString error;
    if (!db.open(file, &error))
        return fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    // One snapshot; a read that meets a damaged page is an error, never a shorter list.
    ReadTransaction snapshot(db);
    if (!snapshot.isActive())
        return fail(QStringLiteral("cannot read %1: %2").arg(file, db.lastError().text()));

    if (ages) {
        CustStatement held(db);
        if (const DatasetError e = held.openAges(asOf, customer); e.failed())
            return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));
        Dataset &ds = *held.qHeldAge;
        return print(asJson ? json(ds, dataFields(ds)) : table(ds, visibleColumns(ds)));
    }

    if (receivables) {
        Receivables due(db);
        if (const DatasetError e = due.open(); e.failed())
            return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));
        Dataset &ds = list == QLatin1String("receivables") ? *due.qSumDue : *due.qCustsDue;
        if (customer > 0) {
            ds.setFilter(QStringLiteral("CustID=%1").arg(customer));
            ds.setFiltered(true);
        }
        return print(asJson ? json(ds, dataFields(ds)) : table(ds, visibleColumns(ds)));
    }
    if (flow) {
        GoodsFlow lines(db);
        if (const DatasetError e = lines.open(); e.failed())
            return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));
        Dataset &ds = *lines.Qry;
        return print(asJson ? json(ds, dataFields(ds)) : table(ds, visibleColumns(ds)));
    }
    if (market) {
        // The window lists the goods on file; a code that is not among them is a mistake.
        if (db.scalar(QStringLiteral("SELECT count(*) FROM Goods WHERE GoodID = ?"), {goodId}).toInt() == 0)
            return fail(QStringLiteral("no goods item %1 in %2").arg(goodId).arg(file));
        MarketInfo info(base);
        if (const DatasetError e = info.readItem(goodId); e.failed())
            return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));
        Dataset &ds = *info.queryPrice;
        return print(asJson ? json(ds, dataFields(ds)) : table(ds, visibleColumns(ds)));
    }
    if (payables) {
        Payables owed(db);
        if (const DatasetError e = owed.open(); e.failed())
            return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));
        return print(asJson ? json(*owed.qSum, dataFields(*owed.qSum)) : table(*owed.qSum, visibleColumns(*owed.qSum)));
    }
    if (profits) {
        Profits earned(db);
        Dataset *ds = earned.qProfits;
        DatasetError e;
        if (list == QLatin1String("profits")) {
            e = earned.open();
        } else if (list == QLatin1String("category-sales")) {
            e = earned.openCategories();
            ds = earned.qCataStatictic;
        } else {
            e = earned.qAllProfit->open();
            ds = earned.qAllProfit;
        }
        if (e.failed())
            return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));
        return print(asJson ? json(*ds, dataFields(*ds)) : table(*ds, visibleColumns(*ds)));
    }

    if (const auto failure = base.registry().openTables())
        return fail(QStringLiteral("cannot read %1: %2 %3").arg(file, failure->message(), failure->error.message()));
    // Figures in the number display format the windows use.
    const QString format = db.scalar(QStringLiteral("SELECT DataFormat FROM DisplayStyle ORDER BY rowid LIMIT 1")).toString();
    if (!format.isEmpty())
        DataModules::ApplyDisplayFormat(base, tab, format);
    const bool perGoods = list == QLatin1String("stock");
    Dataset &ds = perGoods ? *tab.Goods : *tab.GoodsInCusts;
    if (customer > 0)
        StockChange::filterCustomer(ds, customer);
    const QList<Shown> columns = listedColumns(ds, perGoods ? StockChange::goodsColumns() : StockChange::customerColumns());
    const QString text = asJson ? json(ds, fieldsOf(columns)) : table(ds, columns);
    base.registry().closeAll();
    return print(text);
}

} // namespace hemu::cli
