// The windows' figures: opening the base-information window (every page shown once), the
// goods picker, the stock-change browser (both pages), the receivables window, the bill
// window, moving to the next bill, the goods flow, and the payables and the profit windows,
// offscreen through the program's own start-up, against plain reads of the rows they show.
#include "bench/benchmark.h"
#include "bench/plainread.h"
#include "bench/rawstatement.h"
#include "core/analysis/goodsflow.h"
#include "core/analysis/payables.h"
#include "core/analysis/profits.h"
#include "core/analysis/receivables.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"
#include "ui/analysis/tfrmbrcustsdue.h"
#include "ui/analysis/tfrmbrgoodflow.h"
#include "ui/analysis/tfrmbrtotal.h"
#include "ui/analysis/tfrmbuymanage.h"
#include "ui/analysis/tfrmprofits.h"
#include "ui/bills/billpage.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/widgets/datagrid.h"
#include "ui/kit/hemuapp.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmbaseinfo.h"
#include "ui/masterdata/tfrmpickgoods.h"

#include <QApplication>
#include <QTabWidget>
#include <QTableWidget>
#include <memory>

namespace hemu::bench {

namespace {
// The longest a list window may take to show its first screen.
constexpr double kFirstScreenMs = 150.0;

/// The rows of `sql` (one integer parameter) as texts in `table`, as a plain program shows them.
void fillTable(sqlite3 *h, const QByteArray &sql, qint64 param, QTableWidget *table)
{
    RawStatement st(h, sql.constData());
    st.bind(1, param);
    int row = 0;
    table->setRowCount(0);
    while (st.next()) {
        table->setRowCount(row + 1);
        for (int column = 0; column < table->columnCount() && column < sqlite3_column_count(st.handle()); ++column) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), column));
            table->setItem(row, column, new QTableWidgetItem(QString::fromUtf8(text)));
        }
        ++row;
    }
}

} // namespace

bool Benchmark::measureWindows(QString *error)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        *error = QStringLiteral("the window figures need a QApplication");
        return false;
    }
    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(true);
    ScriptedFileChooser files;
    HemuApp app({.prompter = &prompter, .files = &files});
    AccountSetShell &shell = app.shell();
    shell.pendingPath = m_path;
    QString loginError;
    shell.loginGate = [&](const QString &path) { return app.logIn(path, QStringLiteral("管理员"), QString(), &loginError); };
    shell.openAccountSet();
    if (!shell.AccSetOpen) {
        *error = QStringLiteral("the program did not open %1: %2").arg(m_path, loginError);
        return false;
    }
    BaseData &base = app.base();
    sqlite3 *h = base.MyADOCnn().handle();
    // Let the start-up's posted work settle before the first run.
    QCoreApplication::processEvents();

    // Every row of the six pages: the window reads the goods again when it comes up, the
    // rest it shows from memory; the yardstick reads them all.
    const QList<PlainRead> shown = plainReadsOf(
        {base.Goods, base.GoodAvgPrice, base.Cata, base.Vendors, base.Areas, base.Custs, base.Employees, base.Depart});
    QList<double> ours, raw;
    for (int run = 0; run < m_size.runs; ++run) {
        ours << timeMs([&] {
            TfrmBaseInfo window(app.context());
            window.resize(1000, 620);
            window.show();
            QTabWidget *pages = window.ui.PageControl1;
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                window.grab(); // laid out and painted, as on the screen
            }
        });
        raw << timeMs([&] { runPlainReads(h, shown); });
    }
    add(QStringLiteral("open_frmBaseInfo"), ours, raw, 3.0);

    // The goods picker is made at start-up; showing it reads the goods list afresh.
    TfrmPickGoods *picker = app.context().pickers->frmPickGoods;
    const QList<PlainRead> listed = plainReadsOf({base.lkGoods, base.Cata});
    QList<double> pickOurs, pickRaw;
    for (int run = 0; run < m_size.runs; ++run) {
        pickOurs << timeMs([&] {
            picker->show();
            picker->grab();
        });
        picker->hide();
        pickRaw << timeMs([&] { runPlainReads(h, listed); });
    }
    add(QStringLiteral("open_frmPickGoods"), pickOurs, pickRaw, 3.0);
    // The stock-change browser shows TabData's stock views as they are in memory; the
    // yardstick reads their rows.
    TabData &tab = app.tab();
    const QList<PlainRead> stock = plainReadsOf({tab.Goods, tab.GoodsInCusts});
    QList<double> totalOurs, totalRaw;
    for (int run = 0; run < m_size.runs; ++run) {
        totalOurs << timeMs([&] {
            TfrmBrTotal window(app.context());
            window.resize(1000, 580);
            window.show();
            QTabWidget *pages = window.ui.PageControl1;
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                window.grab();
            }
        });
        totalRaw << timeMs([&] { runPlainReads(h, stock); });
    }
    add(QStringLiteral("open_frmBrTotal"), totalOurs, totalRaw, 3.0);

    // The first screen of the browser's customer page: the window made, shown on that page
    // and painted. A time, not a ratio: what the user waits for.
    QList<double> custPageOurs;
    for (int run = 0; run < m_size.runs; ++run) {
        custPageOurs << timeMs([&] {
            TfrmBrTotal window(app.context());
            window.resize(1000, 580);
            window.ui.PageControl1->setCurrentIndex(1);
            window.show();
            window.grab();
        });
    }
    add(QStringLiteral("first_screen_frmBrTotal_customers"), custPageOurs, {}, kFirstScreenMs);

    // The receivables window reads the first page of both lists when it comes up (the rest
    // as the grids scroll); the yardstick steps both statements to the end. The same runs
    // give the time to its first screen.
    const QList<PlainRead> owed = {{Receivables::sumDueSql().toUtf8(), {}}, {Receivables::custsDueSql().toUtf8(), {}}};
    QList<double> dueOurs, dueRaw;
    int dueLines = 0;
    for (int run = 0; run < m_size.runs; ++run) {
        dueOurs << timeMs([&] {
            TfrmBrCustsDue window(app.context());
            window.resize(900, 520);
            window.show();
            window.grab();
            dueLines = window.receivables().qCustsDue->rowCount();
        });
        dueRaw << timeMs([&] { runPlainReads(h, owed); });
    }
    add(QStringLiteral("open_frmBrCustsDue"), dueOurs, dueRaw, 3.0);
    add(QStringLiteral("first_screen_frmBrCustsDue"), dueOurs, {}, kFirstScreenMs);


    // The bill window on the delivery bill current in TabData: made, shown and painted; the
    // yardstick reads the delivery bills and the lines of the one shown.
    const QList<PlainRead> bill = plainReadsOf({tab.DiaoBo, tab.DiaoBoMx});
    QList<double> billOurs, billRaw;
    for (int run = 0; run < m_size.runs; ++run) {
        billOurs << timeMs([&] {
            TfrmBusiness window(app.context());
            window.show();
            window.grab();
        });
        billRaw << timeMs([&] { runPlainReads(h, bill); });
    }
    add(QStringLiteral("open_frmBusiness"), billOurs, billRaw, 3.0);

    // Moving to the next bill in the open window: next() on the delivery bills and the
    // window's reaction to it (the lines read, the grid's rows and the header panel's fields
    // updated), then the posted events processed, in which the window repaints what changed
    // (the header fields, the grid, the price list), as it does on the screen. The yardstick
    // reads the new bill's header and lines, fills the lines into a plain QTableWidget of the
    // grid's size and columns, processes its events and paints it. Nothing unchanged is painted
    // on either side.
    QList<double> nextOurs, nextRaw;
    {
        TfrmBusiness window(app.context());
        window.show();
        window.grab();
        QCoreApplication::processEvents();
        Dataset *bills = tab.DiaoBo;
        DataGrid *grid = window.page(BillKind::Delivery)->ui.grid;
        QTableWidget plain(0, grid->model()->columnCount());
        plain.resize(grid->size());
        for (int column = 0; column < grid->model()->columnCount(); ++column)
            plain.setColumnWidth(column, grid->columnWidth(column));
        const QByteArray headerSql = QStringLiteral("SELECT * FROM %1 WHERE TabID = ?").arg(bills->tableName()).toUtf8();
        const QByteArray linesSql = QStringLiteral("SELECT * FROM %1 WHERE TabID = ?").arg(tab.DiaoBoMx->tableName()).toUtf8();
        bills->first();
        for (int run = 0; run < m_size.runs; ++run) {
            if (bills->eof() || bills->currentRow() >= bills->rowCount() - 1)
                bills->first();
            nextOurs << timeMs([&] {
                bills->next();
                QCoreApplication::processEvents(); // the window repaints what changed, as on the screen
            });
            const qint64 tabId = bills->value(QStringLiteral("TabID")).toLongLong();
            nextRaw << timeMs([&] {
                runPlainReads(h, {{headerSql, {tabId}}});
                fillTable(h, linesSql, tabId, &plain);
                QCoreApplication::processEvents();
                plain.grab();
            });
        }
    }
    add(QStringLiteral("next_bill"), nextOurs, nextRaw, 3.0);
    m_notes << QStringLiteral("open_frmBaseInfo: made, shown and each of its %1 pages painted once, offscreen; "
                              "open_frmPickGoods: shown and painted with %2 goods listed; "
                              "open_frmBrTotal: made, shown and both pages painted over %3 goods and %4 customer rows; "
                              "open_frmBrCustsDue: made, shown (the first page of both lists read) and painted with %5 lines read; "
                              "open_frmBusiness and next_bill: on %6 delivery bills, %7 lines on the bill shown")
                   .arg(6)
                   .arg(base.lkGoods->rowCount())
                   .arg(tab.Goods->rowCount())
                   .arg(tab.GoodsInCusts->rowCount())
                   .arg(dueLines)
                   .arg(tab.DiaoBo->rowCount())
                   .arg(tab.DiaoBoMx->rowCount());

    // The goods flow reads the first page of its main-store and customer lines when it comes
    // up; the yardstick reads every line with the list's statement. The same runs give the
    // time to its first screen.
    const QList<PlainRead> flowLines{{GoodsFlow::sql().toUtf8(), {}}};
    QList<double> flowOurs, flowRaw;
    int flowRows = 0;
    for (int run = 0; run < m_size.runs; ++run) {
        flowOurs << timeMs([&] {
            TfrmBrGoodFlow window(app.context());
            window.resize(1000, 560);
            window.show();
            window.grab();
            flowRows = window.flow().Qry->rowCount();
        });
        flowRaw << timeMs([&] { runPlainReads(h, flowLines); });
    }
    add(QStringLiteral("open_frmBrGoodFlow"), flowOurs, flowRaw, 3.0);
    add(QStringLiteral("first_screen_frmBrGoodFlow"), flowOurs, {}, kFirstScreenMs);

    // Reading on to the end, as scrolling to the last line or printing does, against the
    // same yardstick.
    QList<double> flowAllOurs, flowAllRaw;
    int flowAll = 0;
    for (int run = 0; run < m_size.runs; ++run) {
        TfrmBrGoodFlow window(app.context());
        window.resize(1000, 560);
        window.show();
        window.grab();
        flowAllOurs << timeMs([&] { window.flow().Qry->fetchAll(); });
        flowAll = window.flow().Qry->rowCount();
        flowAllRaw << timeMs([&] { runPlainReads(h, flowLines); });
    }
    add(QStringLiteral("read_all_frmBrGoodFlow"), flowAllOurs, flowAllRaw, 3.0);
    m_notes << QStringLiteral("open_frmBrGoodFlow: made, shown and painted with %1 lines read; read on to all %2 lines")
                   .arg(flowRows)
                   .arg(flowAll);

    // The analysis windows read their lists when they come up; the yardstick runs the same
    // statements straight on the library.
    auto measureChild = [&](const QString &figure, auto makeWindow, auto listsOf) {
        QList<PlainRead> lists;
        {
            auto window = makeWindow();
            window->show();
            lists = plainReadsOf(listsOf(*window));
        }
        QList<double> childOurs, childRaw;
        for (int run = 0; run < m_size.runs; ++run) {
            childOurs << timeMs([&] {
                auto window = makeWindow();
                window->resize(1000, 620);
                window->show();
                window->grab();
            });
            childRaw << timeMs([&] { runPlainReads(h, lists); });
        }
        add(figure, childOurs, childRaw, 3.0);
    };
    int profitRows = 0;
    measureChild(
        QStringLiteral("open_frmProfits"), [&] { return std::make_unique<TfrmProfits>(app.context()); },
        [&](TfrmProfits &w) {
            Profits &p = w.profits();
            profitRows = p.qProfits->rowCount();
            return QList<Dataset *>{p.qCatalogs, p.qProfits, p.qCataStatictic};
        });
    int vendorRows = 0;
    measureChild(
        QStringLiteral("open_frmBuyManage"), [&] { return std::make_unique<TfrmBuyManage>(app.context()); },
        [&](TfrmBuyManage &w) {
            Payables &p = w.payables();
            vendorRows = p.qSum->rowCount();
            return QList<Dataset *>{p.qVendors, p.qSum, p.qStatistic};
        });
    m_notes << QStringLiteral("open_frmProfits: made, shown on its chart page (the goods list and the category sales "
                              "read) and painted, %1 goods listed; open_frmBuyManage: made, shown and painted, %2 vendors "
                              "with the first one's bills")
                   .arg(profitRows)
                   .arg(vendorRows);
    shell.CloseAccSet();
    return true;
}

} // namespace hemu::bench
