// The windows' figures: opening the base-information window (every page shown once) and the
// goods picker, offscreen through the program's own start-up, against plain reads of the
// rows they show.
#include "bench/benchmark.h"
#include "bench/plainread.h"
#include "core/data/basedata.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"
#include "ui/kit/hemuapp.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmbaseinfo.h"
#include "ui/masterdata/tfrmpickgoods.h"

#include <QApplication>
#include <QTabWidget>

namespace hemu::bench {

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
    m_notes << QStringLiteral("open_frmBaseInfo: made, shown and each of its %1 pages painted once, offscreen; "
                              "open_frmPickGoods: shown and painted with %2 goods listed")
                   .arg(6)
                   .arg(base.lkGoods->rowCount());
    shell.CloseAccSet();
    return true;
}

} // namespace hemu::bench
