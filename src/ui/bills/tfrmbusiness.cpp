#include "ui/bills/tfrmbusiness.h"

#include "core/bills/barcodeentry.h"
#include "core/bills/billentry.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/custholdings.h"
#include "core/masterdata/goodspick.h"
#include "core/prompter.h"
#include "ui/bills/billpage.h"
#include "ui/bills/billprinting.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmsetprn.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcusthasgoods.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/masterdata/tfrmpickduegoodsofcust.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/datasetwatcher.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

namespace {

constexpr BillKind pageKinds[] = {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt};

QToolButton *barButton(QWidget *parent, const char *name, const QString &caption, const QString &hint = {})
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumWidth(52);
    return button;
}

// The pages are drawn as buttons a hundred pixels wide.
// Set on the tab bar alone: a style sheet on the pages would override the grids' palettes.
const char pageButtonStyle[] = "QTabBar::tab { min-width: 92px; padding: 4px 4px; margin: 2px 2px 4px 0px;"
                               " border: 1px solid #8c8c8c; border-radius: 3px;"
                               " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd, stop:1 #dedede); }"
                               "QTabBar::tab:hover { background: #eaf1fb; border-color: #5a7fb5; }"
                               "QTabBar::tab:selected { background: #cfdcf0; border-color: #3d5f96; font-weight: bold; }";

} // namespace

TfrmBusiness::TfrmBusiness(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmBusiness"))
{
    setWindowTitle(QStringLiteral("单据录入"));
    buildPages();
    buildBillList();
    buildBottomBar();
    buildMenu();

    auto *body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(4);
    body->addWidget(ui.plHeadList);
    body->addWidget(ui.PageControl1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(body, 1);
    layout->addWidget(ui.Panel18);
    resize(BillEntry::windowWidth, 560);

    // The window opens on the delivery page.
    ui.PageControl1->setCurrentIndex(1);
    connect(ui.PageControl1, &QTabWidget::currentChanged, this, &TfrmBusiness::pageChanged);
    pageShown(1);
}

TfrmBusiness::~TfrmBusiness() = default;

Dataset *TfrmBusiness::ActiveSource() const
{
    return m_activeSource;
}

Dataset *TfrmBusiness::ActiveTabSource() const
{
    return m_activeTabSource;
}

void TfrmBusiness::buildPages()
{
    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui.PageControl1->setDocumentMode(true);
    ui.PageControl1->tabBar()->setStyleSheet(QString::fromLatin1(pageButtonStyle));
    ui.PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    const char *pageNames[] = {"tsRK", "tsDb", "tsCk"};
    const char *captions[] = {"进货入库", "销售发货", "销售收款"};
    for (int i = 0; i < 3; ++i) {
        auto *page = new BillPage(context(), pageKinds[i], ui.PageControl1);
        page->setObjectName(QString::fromLatin1(pageNames[i]));
        ui.PageControl1->addTab(page, QString::fromUtf8(captions[i]));
        m_pages.append(page);
        connectPage(page);
    }
    ui.tsRK = m_pages[0];
    ui.tsDb = m_pages[1];
    ui.tsCk = m_pages[2];
}

void TfrmBusiness::buildBillList()
{
    ui.plHeadList = new QWidget(this);
    ui.plHeadList->setObjectName(QStringLiteral("plHeadList"));
    ui.Panel4 = new QLabel(ui.plHeadList);
    ui.Panel4->setObjectName(QStringLiteral("Panel4"));
    ui.Panel4->setAlignment(Qt::AlignCenter);
    ui.Panel4->setFrameShape(QFrame::StyledPanel);
    ui.Panel4->setMinimumHeight(24);
    ui.HeadGrid = new DataGrid(ui.plHeadList);
    ui.HeadGrid->setObjectName(QStringLiteral("HeadGrid"));
    ui.HeadGrid->setReadOnly(true);
    ui.HeadGrid->setColumns({{.field = QStringLiteral("TabID"), .title = QStringLiteral("ID"), .width = 44},
                             {.field = QStringLiteral("BookID"), .title = QStringLiteral("单号"), .width = 96},
                             {.field = QStringLiteral("TabDate"), .title = QStringLiteral("单据日期"), .width = 76},
                             {.field = QStringLiteral("InputerName"), .title = QStringLiteral("录入员"), .width = 52},
                             {.field = QStringLiteral("RegDate"), .title = QStringLiteral("录入日期"), .width = 76}});
    auto *layout = new QVBoxLayout(ui.plHeadList);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(ui.Panel4);
    layout->addWidget(ui.HeadGrid, 1);
    ui.plHeadList->setFixedWidth(BillEntry::listWidth);
    ui.plHeadList->hide();
    connect(ui.HeadGrid, &DataGrid::focusEntered, this, &TfrmBusiness::enterBillList);
}

void TfrmBusiness::buildBottomBar()
{
    ui.Panel18 = new QWidget(this);
    ui.Panel18->setObjectName(QStringLiteral("Panel18"));
    ui.lbState = new QLabel(QStringLiteral("焦点未知"), ui.Panel18);
    ui.lbState->setObjectName(QStringLiteral("lbState"));
    ui.lbState->setMinimumWidth(64);
    ui.sp = barButton(ui.Panel18, "sp", QStringLiteral("浏览单据"), QStringLiteral("浏览已有单据，或选择要修改的单据"));
    ui.sp->setCheckable(true);
    ui.spLinePrint = barButton(ui.Panel18, "spLinePrint", QStringLiteral("行式"), QStringLiteral("针式打印机输出"));
    ui.spPagePrint = barButton(ui.Panel18, "spPagePrint", QStringLiteral("页式"), QStringLiteral("激光打印机输出"));
    ui.spFill = barButton(ui.Panel18, "spFill", QStringLiteral("填单"));
    ui.spFill->setEnabled(false);
    ui.btnSave = new QPushButton(QStringLiteral("保存"), ui.Panel18);
    ui.btnSave->setObjectName(QStringLiteral("btnSave"));
    ui.btnSave->setToolTip(QStringLiteral("保存当前单据，并关闭单据编辑窗体"));
    ui.btnSave->setEnabled(false);
    ui.Button13 = new QPushButton(QStringLiteral("新单据"), ui.Panel18);
    ui.Button13->setObjectName(QStringLiteral("Button13"));
    ui.Button13->setToolTip(QStringLiteral("增加一张空白单据"));
    for (QPushButton *button : {ui.btnSave, ui.Button13})
        button->setAutoDefault(false);

    auto *bar = new QHBoxLayout(ui.Panel18);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(ui.lbState);
    bar->addStretch(1);
    for (QWidget *w : std::initializer_list<QWidget *>{ui.sp, ui.spLinePrint, ui.spPagePrint, ui.spFill, ui.btnSave, ui.Button13})
        bar->addWidget(w);

    connect(ui.sp, &QToolButton::toggled, this, &TfrmBusiness::toggleBillList);
    connect(ui.spFill, &QToolButton::clicked, this, &TfrmBusiness::fillLines);
    connect(ui.spPagePrint, &QToolButton::clicked, this, &TfrmBusiness::pagePrint);
    connect(ui.spLinePrint, &QToolButton::clicked, this, &TfrmBusiness::linePrint);
    connect(ui.btnSave, &QPushButton::clicked, this, &TfrmBusiness::save);
    connect(ui.Button13, &QPushButton::clicked, this, &TfrmBusiness::newBill);
}

void TfrmBusiness::buildMenu()
{
    ui.SearchMenu = addMergedMenu(QStringLiteral("检索"), QStringLiteral("SearchMenu"));
    QAction *find = ui.SearchMenu->addAction(QStringLiteral("找单据"));
    find->setObjectName(QStringLiteral("miFindTabs"));
    QAction *count = ui.SearchMenu->addAction(QStringLiteral("单据数"));
    count->setObjectName(QStringLiteral("miTabCount"));
    connect(find, &QAction::triggered, this, &TfrmBusiness::FindTabsClick);
    connect(count, &QAction::triggered, this, &TfrmBusiness::TabCountClick);
    connect(ui.SearchMenu, &QMenu::aboutToShow, this, [this] {
        if (base().CurRoleID() > BillEntry::lastSearchRole)
            prompter().warning(BillEntry::noRightText());
    });
}

void TfrmBusiness::connectPage(BillPage *page)
{
    connect(page->ui.partyButton, &QToolButton::clicked, this, &TfrmBusiness::chooseCounterpart);
    connect(page->ui.dateButton, &QToolButton::clicked, this, &TfrmBusiness::chooseDate);
    connect(page->ui.grid, &DataGrid::rowActivated, this, &TfrmBusiness::pickIntoCurrentLine);
    connect(page->ui.grid, &DataGrid::focusEntered, this, [this, page] { enterDetailGrid(page, true); });
    connect(page->ui.grid, &DataGrid::focusLeft, this, [this, page] { leaveDetailGrid(page); });
    if (page->ui.invoiceButton)
        connect(page->ui.invoiceButton, &QToolButton::clicked, this, &TfrmBusiness::editInvoice);
    connect(page->ui.scan, &QLineEdit::returnPressed, this, [this, page] { scanCode(page); });
    // Another bill shown: its grid is locked or not by its own counterpart.
    DatasetWatcher::subscribe(page->header(), this,
                              DatasetWatcher::Current | DatasetWatcher::Rows | DatasetWatcher::CurrentValues
                                  | DatasetWatcher::Active,
                              [this, page] {
                                  if (page != currentPage())
                                      return;
                                  updateListCaption();
                                  // Inside the grid the entry check decides.
                                  if (m_activeSource == page->details())
                                      return;
                                  lockByCounterpart(page);
                              });
    for (Dataset *ds : {page->header(), page->details()})
        DatasetWatcher::subscribe(ds, this, DatasetWatcher::State, [this, ds] {
            if (ds == m_activeSource)
                updateControls();
        });
}

int TfrmBusiness::pageIndex() const
{
    return ui.PageControl1->currentIndex();
}

BillPage *TfrmBusiness::page(BillKind kind) const
{
    return m_pages.value(int(kind) - 1);
}

BillPage *TfrmBusiness::currentPage() const
{
    return m_pages.value(pageIndex());
}

void TfrmBusiness::showPage(BillKind kind)
{
    ui.PageControl1->setCurrentIndex(int(kind) - 1);
}

void TfrmBusiness::setActiveSource(Dataset *dataset)
{
    m_activeSource = dataset;
    for (BillPage *page : std::as_const(m_pages))
        page->ui.navigator->setDataset(dataset);
    updateControls();
}

void TfrmBusiness::updateControls()
{
    const bool browsing = !m_activeSource || !m_activeSource->isEditing();
    ui.plHeadList->setEnabled(browsing);
    ui.btnSave->setEnabled(!browsing);
}

void TfrmBusiness::updateListCaption()
{
    BillPage *page = currentPage();
    if (!page)
        return;
    const Dataset *header = page->header();
    ui.Panel4->setText(BillEntry::listCaption(page->kind(), BillEntry::billCount({header})));
}

void TfrmBusiness::pageShown(int index)
{
    BillPage *page = m_pages.value(index);
    if (!page)
        return;
    m_shownPage = index;
    if (!page->header()->isOpen()) {
        page->setGridLocked(true);
        prompter().warning(BillEntry::databaseClosedText());
        return;
    }
    m_showingPage = true;
    lockByCounterpart(page);
    m_showingPage = false;
    m_activeTabSource = page->header();
    setActiveSource(page->header());
    ui.HeadGrid->setDataset(page->header());
    updateListCaption();
}

bool TfrmBusiness::leavePage(BillPage *page)
{
    if (!page || !m_activeSource || !m_activeSource->isOpen())
        return true;
    // A bill or line being changed is saved; a new one not yet saved stays pending.
    if (m_activeSource->state() == Dataset::State::Edit)
        return ErrorReporter(this).report(m_activeSource->post());
    return true;
}

void TfrmBusiness::pageChanged(int index)
{
    if (m_switchingPage)
        return;
    BillPage *previous = m_pages.value(m_shownPage);
    if (!leavePage(previous)) {
        m_switchingPage = true;
        ui.PageControl1->setCurrentIndex(m_shownPage);
        m_switchingPage = false;
        return;
    }
    ui.spFill->setEnabled(false);
    closeFillPickers();
    pageShown(index);
}

void TfrmBusiness::lockByCounterpart(BillPage *page)
{

    page->setGridLocked(BillEntry::counterpart(*page->header()) == 0);
}

void TfrmBusiness::enterDetailGrid(BillPage *page, bool warn)
{
    Dataset *header = page->header();
    if (!header->isOpen())
        return;
    setActiveSource(page->details());
    if (BillEntry::counterpart(*header) != 0) {
        if (header->isEditing() && !ErrorReporter(this).report(header->post())) {
            page->setGridLocked(true);
            ui.btnSave->setEnabled(false);
        } else {
            page->setGridLocked(false);
            ui.btnSave->setEnabled(true);
            ui.spFill->setEnabled(true);
        }
    } else {
        page->setGridLocked(true);
        ui.btnSave->setEnabled(false);
        if (warn && !m_showingPage)
            prompter().warning(BillEntry::noCounterpartText());
    }
    showState(QStringLiteral("编辑明细"), Qt::blue);
}

void TfrmBusiness::leaveDetailGrid(BillPage *page)
{
    ui.spFill->setEnabled(false);
    closeFillPickers();
    ErrorReporter(this).report(BillEntry::finishPending(*page->details()));
    if (page == currentPage())
        setActiveSource(page->header());
    showState(QStringLiteral("编辑表头"), Qt::red);
}

void TfrmBusiness::showState(const QString &text, const QColor &colour)
{
    ui.lbState->setText(text);
    QPalette palette = ui.lbState->palette();
    palette.setColor(QPalette::WindowText, colour);
    ui.lbState->setPalette(palette);
}

void TfrmBusiness::closeFillPickers()
{
    Pickers *pickers = context().pickers;
    if (!pickers)
        return;
    if (pickers->frmPickGoods->isVisible() && !pickers->frmPickGoods->isModal())
        pickers->frmPickGoods->close();
    if (pickers->frmPickDueGoodsOfCust->isVisible() && !pickers->frmPickDueGoodsOfCust->isModal())
        pickers->frmPickDueGoodsOfCust->close();
}

void TfrmBusiness::newBill()
{
    BillPage *page = currentPage();
    if (!page || !page->header()->isOpen())
        return;
    setActiveSource(page->header());
    if (ErrorReporter(this).report(page->header()->append())) {
        page->setGridLocked(true);
        page->ui.bookId->setFocus();
    }
}

void TfrmBusiness::save()
{
    BillPage *page = currentPage();
    if (!page)
        return;
    ErrorReporter errors(this);
    FieldBinder::commitPending(page->header());
    if (page->header()->isEditing() && !errors.report(page->header()->post()))
        return;
    if (m_activeSource && m_activeSource->isEditing())
        errors.report(m_activeSource->post());
}

qint64 TfrmBusiness::billToPrint()
{
    BillPage *page = currentPage();
    if (!page || !page->header()->isOpen())
        return 0;
    // What is printed is what is stored: the edits on screen are saved first.
    save();
    if (page->header()->isEditing() || (m_activeSource && m_activeSource->isEditing()))
        return 0;
    return page->header()->isEmpty() ? 0 : page->header()->value(QStringLiteral("TabID")).toLongLong();
}

void TfrmBusiness::pagePrint()
{
    const qint64 tabId = billToPrint();
    if (tabId <= 0 || !context().setPrn || !context().setPrn->showModal())
        return;
    if (const auto bill = billprinting::readBill(context(), currentPage()->kind(), tabId)) {
        ReportWindow *report = billprinting::previewPage(context(), *bill, this);
        // The preview prints on the printer the settings dialog holds.
        if (report->store())
            report->store()->printSettings().printer = context().setPrn->printer().printerName();
    }
}

void TfrmBusiness::linePrint()
{
    const qint64 tabId = billToPrint();
    if (tabId <= 0 || !context().setPrn || !context().setPrn->showModal())
        return;
    if (const auto bill = billprinting::readBill(context(), currentPage()->kind(), tabId))
        billprinting::linePrint(context(), *bill, context().setPrn->previewSwitch(), context().setPrn->printer());
}

void TfrmBusiness::chooseCounterpart()
{
    BillPage *page = currentPage();
    Pickers *pickers = context().pickers;
    if (!page || !pickers || !page->header()->isOpen())
        return;
    PickerDialog *picker = nullptr;
    switch (page->kind()) {
    case BillKind::StockIn: picker = pickers->frmPickVendor; break;
    case BillKind::Delivery: picker = pickers->frmPickCusts; break;
    case BillKind::Receipt: picker = pickers->frmPickCustHasGoods; break;
    }
    if (picker->pick() != PickerDialog::Ok || !picker->PickedID().isValid())
        return;
    FieldBinder::commitPending(page->header());
    ErrorReporter(this).report(BillEntry::setCounterpart(*page->header(), picker->PickedID()));
    lockByCounterpart(page);
}

void TfrmBusiness::chooseDate()
{
    BillPage *page = currentPage();
    Pickers *pickers = context().pickers;
    if (!page || !pickers || !page->header()->isOpen())
        return;
    if (pickers->frmPickDate->pick() != PickerDialog::Ok)
        return;
    ErrorReporter(this).report(BillEntry::setBillDate(*page->header(), pickers->frmPickDate->PickedDate()));
}

void TfrmBusiness::pickIntoCurrentLine()
{
    BillPage *page = currentPage();
    Pickers *pickers = context().pickers;
    if (!page || !pickers || page->isGridLocked())
        return;
    Dataset &details = *page->details();
    if (page->kind() == BillKind::Receipt) {
        TfrmPickDueGoodsOfCust *picker = pickers->frmPickDueGoodsOfCust;
        if (picker->isVisible())
            return;
        picker->setFillTarget(nullptr);
        if (picker->pick() == PickerDialog::Ok)
            ErrorReporter(this).report(CustHoldings::pickIntoLine(details, *picker->holdings().qCustHasGoods));
        return;
    }
    TfrmPickGoods *picker = pickers->frmPickGoods;
    if (picker->isVisible())
        return;
    picker->setFillTarget(nullptr);
    if (picker->pick() == PickerDialog::Ok)
        ErrorReporter(this).report(GoodsPick::pickIntoLine(details, *base().lkGoods));
}

void TfrmBusiness::scanCode(BillPage *page)
{
    if (page->isGridLocked() || !page->details()->isOpen())
        return;
    const QString code = page->ui.scan->text().trimmed();
    DatasetError error;
    BarcodeEntry entry(base().MyADOCnn(), *page->details(), page->header()->value(QStringLiteral("CustID")));
    const BarcodeEntry::Outcome outcome = entry.scan(code, &error);
    if (!ErrorReporter(this).report(error))
        return;
    if (outcome == BarcodeEntry::Outcome::Unknown) {
        prompter().warning(BarcodeEntry::unknownText(code));
        page->ui.scan->selectAll();
        return;
    }
    // The next scan goes into the same field.
    page->ui.scan->clear();
    page->ui.grid->syncFromDataset();
}

void TfrmBusiness::fillLines()
{
    BillPage *page = currentPage();
    Pickers *pickers = context().pickers;
    if (!page || !pickers || page->isGridLocked())
        return;
    FillPicker *picker = page->kind() == BillKind::Receipt ? static_cast<FillPicker *>(pickers->frmPickDueGoodsOfCust)
                                                           : static_cast<FillPicker *>(pickers->frmPickGoods);
    picker->fillInto(*page->details());
    // Beside the bill window, not over it.
    const QRect own = frameGeometry();
    const QPoint right = mapToGlobal(QPoint(width(), 0));
    picker->move(right.x() + 4, own.isValid() ? mapToGlobal(QPoint(0, 0)).y() : picker->y());
}

void TfrmBusiness::toggleBillList(bool open)
{
    QWidget *window = frame();
    BillEntry::ListGeometry g;
    if (open) {
        m_rememberedWidth = window->width();
        g = BillEntry::openList(screenWidth(), m_rememberedWidth);
        ui.sp->setText(QStringLiteral("关闭列表"));
    } else {
        g = BillEntry::closeList(screenWidth(), m_rememberedWidth > 0 ? m_rememberedWidth : window->width());
        ui.sp->setText(QStringLiteral("打开列表"));
    }
    ui.plHeadList->setVisible(g.listWidth > 0);
    window->resize(g.windowWidth, window->height());
    window->move(g.left, window->y());
}

void TfrmBusiness::enterBillList()
{
    if (!m_activeSource || !m_activeSource->isEditing())
        return;
    FieldBinder::commitPending(m_activeSource);
    ErrorReporter errors(this);
    if (prompter().question(BillEntry::unsavedQuestion()))
        errors.report(m_activeSource->post());
    else
        errors.report(m_activeSource->cancel());
}

void TfrmBusiness::FindTabsClick()
{
    if (Pickers *pickers = context().pickers; pickers && pickers->frmPickGoods->isVisible() && !pickers->frmPickGoods->isModal())
        pickers->frmPickGoods->close();
    // The bill search is its own window; nothing happens while the program has none.
    mainWindow().openWindow(QStringLiteral("frmSearchTabs"));
}

void TfrmBusiness::TabCountClick()
{
    TabData &t = tab();
    prompter().message(BillEntry::countText(BillEntry::billCount({t.RuKu, t.DiaoBo, t.ChuKu})));
}

void TfrmBusiness::editInvoice()
{
    // The invoice belongs to a saved bill: a bill being written is saved first.
    Dataset *bill = tab().RuKu;
    FieldBinder::commitPending(bill);
    if (bill->isEditing() && !ErrorReporter(this).report(bill->post()))
        return;
    mainWindow().openWindow(QStringLiteral("frmEdInvoices"));
}

bool TfrmBusiness::searchWindowVisible() const
{
    const QList<QWidget *> named = mainWindow().findChildren<QWidget *>(QStringLiteral("frmSearchTabs"));
    for (const QWidget *w : named) {
        if (w->isVisible())
            return true;
    }
    return false;
}

bool TfrmBusiness::canClose()
{
    closeFillPickers();
    if (m_activeSource && m_activeSource->isEditing()) {
        FieldBinder::commitPending(m_activeSource);
        // Work that cannot be saved is not thrown away with the window.
        if (!ErrorReporter(this).report(BillEntry::finishPending(*m_activeSource)))
            return false;
    }
    if (searchWindowVisible()) {
        prompter().warning(BillEntry::searchOpenText());
        return false;
    }
    return true;
}

QWidget *TfrmBusiness::frame()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return this;
}

int TfrmBusiness::screenWidth()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()); sub && sub->mdiArea())
        return sub->mdiArea()->viewport()->width();
    return screen() ? screen()->availableGeometry().width() : width();
}

void TfrmBusiness::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (!m_firstShow || event->spontaneous())
        return;
    m_firstShow = false;
    QWidget *window = frame();
    window->resize(BillEntry::windowWidth, window->height());
    centreOnMainWindow();
}

} // namespace hemu
