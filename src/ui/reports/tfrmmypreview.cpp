#include "ui/reports/tfrmmypreview.h"

#include "core/filechooser.h"
#include "core/prompter.h"
#include "core/reports/textexport.h"
#include "render/pagepainter.h"
#include "render/pdfexport.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/previewarea.h"
#include "ui/reports/reportwindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace hemu {

TfrmMyPreview::TfrmMyPreview(AppContext &context, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmMyPreview"));
    setWindowTitle(QStringLiteral("定制预览"));
    auto *bar = addToolBar(QStringLiteral("预览"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addButton(QStringLiteral("SpeedButton7"), QStringLiteral("预揽整页"), QStringLiteral("整页"), [this] { zoomToFit(); });
    addButton(QStringLiteral("SpeedButton8"), QStringLiteral("页宽"), QStringLiteral("页宽"), [this] { zoomToWidth(); });

    ui.ComboBox1 = new QComboBox(this);
    ui.ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ui.ComboBox1->setEditable(true);
    ui.ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ui.ComboBox1->setCompleter(nullptr); // what is typed is what is read
    ui.ComboBox1->addItems({QStringLiteral("10%"), QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%"),
                            QStringLiteral("100%"), QStringLiteral("150%"), QStringLiteral("200%"), QStringLiteral("250%"),
                            QStringLiteral("整页"), QStringLiteral("页宽"), QString()});
    ui.ComboBox1->setCurrentIndex(-1);
    ui.ComboBox1->setMinimumWidth(90);
    ui.ComboBox1->setToolTip(QStringLiteral("左键放大，右键缩小"));
    ui.ComboBox1->setStatusTip(ui.ComboBox1->toolTip());
    bar->addWidget(ui.ComboBox1);
    // A chosen entry is applied at once (and a blank one is reported); typing applies each
    // finished percentage and passes over what is not one yet.
    connect(ui.ComboBox1, &QComboBox::textActivated, this, [this](const QString &text) { zoomChoice(text, true); });
    connect(ui.ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) { zoomChoice(text, false); });

    bar->addSeparator();
    addButton(QStringLiteral("SpeedButton6"), QStringLiteral("报表设置打印机"), QStringLiteral("设置"), [this] { printSetup(); });
    addButton(QStringLiteral("SpeedButton5"), QStringLiteral("用报表设置打印"), QStringLiteral("打印"), [this] { print(); });
    addButton(QStringLiteral("SpeedButton11"), QStringLiteral("转存为文本文件"), QStringLiteral("文本"), [this] { saveText(); });
    addButton(QStringLiteral("SpeedButtonPdf"), QStringLiteral("保存为 PDF 文件"), QStringLiteral("PDF"), [this] { savePdf(); });
    bar->addSeparator();
    addButton(QStringLiteral("SpeedButton1"), QStringLiteral("首页"), QStringLiteral("首页"), [this] { ui.QRPreview1->goToPage(1); showProgress(); });
    addButton(QStringLiteral("SpeedButton2"), QStringLiteral("前页"), QStringLiteral("前页"), [this] {
        ui.QRPreview1->goToPage(ui.QRPreview1->currentPage() - 1);
        showProgress();
    });
    addButton(QStringLiteral("SpeedButton3"), QStringLiteral("后页"), QStringLiteral("后页"), [this] {
        ui.QRPreview1->goToPage(ui.QRPreview1->currentPage() + 1);
        showProgress();
    });
    addButton(QStringLiteral("SpeedButton4"), QStringLiteral("末页"), QStringLiteral("末页"), [this] {
        ui.QRPreview1->goToPage(ui.QRPreview1->pageCount());
        showProgress();
    });
    bar->addSeparator();
    addButton(QStringLiteral("SpeedButton9"), QStringLiteral("关闭"), QStringLiteral("关闭"), [this] { closePreview(); });

    ui.QRPreview1 = new PreviewArea(this);
    ui.QRPreview1->setToolTip(QStringLiteral("左键放大，右键缩小"));
    ui.QRPreview1->setStatusTip(ui.QRPreview1->toolTip());
    setCentralWidget(ui.QRPreview1);
    connect(ui.QRPreview1, &PreviewArea::pagePressed, this, &TfrmMyPreview::pagePressed);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    ui.pageLabel = new QLabel(this);
    ui.pageLabel->setObjectName(QStringLiteral("pageLabel"));
    statusBar()->addPermanentWidget(ui.pageLabel);
    resize(900, 700);
}

QToolButton *TfrmMyPreview::addButton(const QString &name, const QString &hint, const QString &caption,
                                      std::function<void()> act)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    findChild<QToolBar *>(QStringLiteral("ToolBar1"))->addWidget(button);
    connect(button, &QToolButton::clicked, this, std::move(act));
    return button;
}

PageStore *TfrmMyPreview::store() const
{
    return ui.QRPreview1->store();
}

bool TfrmMyPreview::busy() const
{
    return store() && store()->status() == PageStore::Status::Busy;
}

void TfrmMyPreview::handOver(ReportWindow *report)
{
    if (PageStore *before = store())
        disconnect(before, nullptr, this, nullptr);
    m_shown = report;
    ui.QRPreview1->attach(report ? report->store() : nullptr);
    if (PageStore *pages = store()) {
        connect(pages, &PageStore::pagesAdded, this, &TfrmMyPreview::showProgress);
        connect(pages, &PageStore::finished, this, &TfrmMyPreview::showProgress);
        setWindowTitle(QStringLiteral("定制预览 - ") + pages->title());
    }
    showProgress();
    m_factor = 1.0f;
    showMaximized();
    raise();
    activateWindow();
}

void TfrmMyPreview::showProgress()
{
    PageStore *pages = store();
    if (!pages) {
        ui.pageLabel->clear();
        return;
    }
    const int count = pages->pageCount();
    QString text = count == 0 && pages->status() != PageStore::Status::Busy
                       ? QStringLiteral("没有页")
                       : QStringLiteral("第 %1 页，共 %2 页").arg(std::min(ui.QRPreview1->currentPage(), std::max(count, 1))).arg(count);
    if (pages->status() == PageStore::Status::Busy)
        text += QStringLiteral("（正在排版，已处理 %1 条）").arg(pages->recordsDone());
    ui.pageLabel->setText(text);
}

void TfrmMyPreview::zoomToFit()
{
    ui.QRPreview1->zoomToFit();
}

void TfrmMyPreview::zoomToWidth()
{
    ui.QRPreview1->zoomToWidth();
}

void TfrmMyPreview::zoomChoice(const QString &text, bool reportErrors)
{
    if (text == QLatin1String("整页")) {
        zoomToFit();
        return;
    }
    if (text == QLatin1String("页宽")) {
        zoomToWidth();
        return;
    }
    const QString number = text.left(std::max<qsizetype>(0, text.indexOf(QLatin1Char('%'))));
    bool ok = false;
    const int percent = number.toInt(&ok);
    if (!ok) {
        if (reportErrors)
            m_context.prompter.warning(QStringLiteral("“%1”不是有效的整数。").arg(number));
        return;
    }
    ui.QRPreview1->setZoom(percent);
}

void TfrmMyPreview::pagePressed(Qt::MouseButton button)
{
    // The factor is kept in single precision, each step rounded to it: the percentages drift
    // (229 % after thirteen clicks, not 230 %) as users of the preview know them.
    if (button == Qt::LeftButton || button == Qt::RightButton) {
        const bool larger = button == Qt::LeftButton;
        m_factor = float(double(m_factor) + (larger ? 0.1 : -0.1));
        ui.QRPreview1->setToolTip((larger ? QStringLiteral("放大报表") : QStringLiteral("缩小报表"))
                                  + QString::number(double(m_factor), 'f', 2));
        ui.QRPreview1->setZoom(int(std::trunc(double(m_factor) * 100)));
    }
    if (double(m_factor) <= 0.1 || m_factor >= 2.5f) {
        m_factor = 1.0f;
        zoomToFit();
    }
}

void TfrmMyPreview::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_factor = 1.0f;
    QMainWindow::changeEvent(event);
}

namespace {

void applySettings(QPrinter &printer, const PrintSettings &settings)
{
    if (!settings.printer.isEmpty())
        printer.setPrinterName(settings.printer);
    printer.setCopyCount(std::max(1, settings.copies));
    printer.setPageOrientation(settings.orientation);
    if (settings.firstPage > 0 && settings.lastPage >= settings.firstPage) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(settings.firstPage, settings.lastPage);
    }
}

} // namespace

void TfrmMyPreview::printSetup()
{
    PageStore *pages = store();
    if (!pages || busy() || pages->pageCount() == 0) {
        m_context.prompter.warning(noDataText());
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    applySettings(printer, pages->printSettings());
    if (!printer.isValid()) {
        m_context.prompter.warning(QStringLiteral("没有数据可输出。"));
        return;
    }
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    dialog.setMinMax(1, pages->pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintSettings &settings = pages->printSettings();
    settings.printer = printer.printerName();
    settings.copies = printer.copyCount();
    settings.orientation = printer.pageLayout().orientation();
    if (printer.printRange() == QPrinter::PageRange) {
        settings.firstPage = printer.fromPage();
        settings.lastPage = printer.toPage();
    } else {
        settings.firstPage = settings.lastPage = 0;
    }
}

void TfrmMyPreview::print()
{
    PageStore *pages = store();
    if (!pages)
        return;
    if (busy()) {
        m_context.prompter.warning(busyPrintText());
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    applySettings(printer, pages->printSettings());
    const reports::PageModel &model = pages->model();
    printer.setPageSize(QPageSize(QSizeF(model.paperWidth, model.paperHeight), QPageSize::Millimeter));
    printer.setFullPage(true);
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer)) {
        m_context.prompter.warning(busyPrintText());
        return;
    }
    pages->setPrinting(true);
    const PrintSettings &settings = pages->printSettings();
    const int first = settings.firstPage > 0 ? settings.firstPage : 1;
    const int last = settings.lastPage > 0 ? std::min(settings.lastPage, pages->pageCount()) : pages->pageCount();
    const double dotsPerMm = printer.resolution() / 25.4;
    for (int n = first; n <= last; ++n) {
        if (n > first)
            printer.newPage();
        render::paintPage(painter, *pages->page(n), dotsPerMm);
    }
    painter.end();
    pages->setPrinting(false);
}

void TfrmMyPreview::exportPages(const QString &title, const QString &suffix,
                                const std::function<bool(const PageStore &, const QString &, QString *)> &write)
{
    PageStore *pages = store();
    if (!pages)
        return;
    if (busy()) {
        m_context.prompter.warning(busyPrintText());
        return;
    }
    QString file = m_context.files.chooseSave(title, suffix, {});
    if (file.isEmpty())
        return;
    // The file always ends in the export's own suffix: a name chosen with another ending
    // keeps it and gets the suffix after it (a.htm becomes a.htm.txt).
    if (!file.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
        file += QLatin1Char('.') + suffix;
    QString error;
    if (!write(*pages, file, &error))
        m_context.prompter.warning(error);
}

void TfrmMyPreview::saveText()
{
    exportPages(QStringLiteral("转存为文本文件"), QStringLiteral("txt"), [](const PageStore &pages, const QString &file, QString *error) {
        return reports::textexport::writeFile(pages.model(), file, error);
    });
}

void TfrmMyPreview::savePdf()
{
    exportPages(QStringLiteral("保存为 PDF 文件"), QStringLiteral("pdf"), [](const PageStore &pages, const QString &file, QString *error) {
        return render::writePdf(pages.model(), file, pages.title(), error);
    });
}

void TfrmMyPreview::closePreview()
{
    if (busy()) {
        m_context.prompter.warning(busyCloseText());
        return;
    }
    close();
}

void TfrmMyPreview::closeEvent(QCloseEvent *event)
{
    // The close box does not wait for the pages: detaching stops the layout with its report.
    ui.QRPreview1->attach(nullptr);
    if (m_shown)
        m_shown->close();
    m_shown = nullptr;
    showProgress();
    setWindowTitle(QStringLiteral("定制预览"));
    event->accept();
}

} // namespace hemu
