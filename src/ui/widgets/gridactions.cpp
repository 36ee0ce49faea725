#include "ui/widgets/gridactions.h"

#include "core/dataset/dataset.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/gridexport.h"
#include "ui/widgets/gridprinter.h"
#include "ui/widgets/gridtable.h"
#include "ui/widgets/promptchannel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace hemu {

namespace {

/// The whole list of `grid`: a list read a page at a time reads the rest first (every row
/// is printed or exported, not just the ones scrolled to).
GridTable wholeTable(DataGrid &grid, ErrorReporter &errors)
{
    if (Dataset *rows = grid.dataset(); rows && rows->canFetchMore()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const DatasetError e = rows->fetchAll();
        QApplication::restoreOverrideCursor();
        errors.report(e);
    }
    return GridTable::of(grid);
}

} // namespace

GridActions::GridActions(DataGrid *grid)
    : QObject(grid)
    , m_grid(grid)
    , m_errors(grid)
    , m_print(add("acGridPrint", QStringLiteral("打印...")))
    , m_csv(add("acGridCsv", QStringLiteral("导出为 CSV...")))
    , m_xlsx(add("acGridXlsx", QStringLiteral("导出为 Excel...")))
    , m_copy(add("acGridCopy", QStringLiteral("复制")))
{
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_print, &QAction::triggered, this, &GridActions::preview);
    connect(m_csv, &QAction::triggered, this, &GridActions::exportCsv);
    connect(m_xlsx, &QAction::triggered, this, &GridActions::exportXlsx);
    connect(m_copy, &QAction::triggered, this, &GridActions::copy);
}

QAction *GridActions::add(const char *name, const QString &text)
{
    auto *action = new QAction(text, m_grid);
    action->setObjectName(QString::fromLatin1(name));
    m_grid->addAction(action);
    return action;
}

void GridActions::preview()
{
    const GridPrinter printout(wholeTable(*m_grid, m_errors));
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_grid->printTitle());
    QPrintPreviewDialog dialog(&printer, m_grid->window());
    dialog.setObjectName(QStringLiteral("dlgGridPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&printout](QPrinter *target) { printout.print(target); });
    dialog.exec();
}

bool GridActions::exportTo(const QString &suffix, bool (*write)(const GridTable &, const QString &, QString *))
{
    FileChooser *files = PromptChannel::findFiles(m_grid);
    if (!files)
        return false;
    const QString path = files->chooseSave(QStringLiteral("导出"), suffix, {});
    if (path.isEmpty())
        return false;
    QString error;
    if (write(wholeTable(*m_grid, m_errors), path, &error))
        return true;
    m_errors.prompter().warning(QStringLiteral("导出失败：%1\n%2").arg(QDir::toNativeSeparators(path), error));
    return false;
}

bool GridActions::exportCsv()
{
    return exportTo(QStringLiteral("csv"), &GridExport::writeCsv);
}

bool GridActions::exportXlsx()
{
    return exportTo(QStringLiteral("xlsx"), &GridExport::writeXlsx);
}

void GridActions::copy()
{
    QApplication::clipboard()->setText(GridExport::tabSeparated(GridTable::of(*m_grid, true)));
}

} // namespace hemu
