#pragma once

#include "core/bills/billkind.h"
#include "ui/kit/childwindow.h"

#include <QPointer>

class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace hemu {

class BillPage;
class DataGrid;
class Dataset;

/**
 * "单据录入": writing, browsing and correcting stock-in, delivery and receipt bills. Each page
 * edits one kind's header and detail views of TabData; a bill's lines can be typed only once
 * its vendor or customer is chosen. The navigators, "保存" and the unsaved-change question act
 * on ActiveSource: the header of the shown page, or its lines while the detail grid has the
 * keyboard.
 */
class TfrmBusiness : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmBusiness(AppContext &context);
    ~TfrmBusiness() override;

    /// The dataset the user works in now.
    Dataset *ActiveSource() const;
    /// The header dataset of the shown page (the bill list shows it).
    Dataset *ActiveTabSource() const;
    /// The shown page: 0 stock-in, 1 delivery, 2 receipt (what the bill search reads).
    int pageIndex() const;
    void showPage(BillKind kind);
    BillPage *page(BillKind kind) const;
    BillPage *currentPage() const;

    bool canClose() override;

    // Commands of the window.
    void newBill();             ///< "新单据"
    void save();                ///< "保存"
    void chooseCounterpart();   ///< the counterpart button of the shown page
    void chooseDate();          ///< the date button of the shown page
    void pickIntoCurrentLine(); ///< a double-click on the detail grid
    void fillLines();           ///< "填单"
    void scanCode(BillPage *page); ///< Enter in the page's "扫码录入" field
    void toggleBillList(bool open); ///< "浏览单据"
    void FindTabsClick();       ///< "找单据"
    void TabCountClick();       ///< "单据数"
    void editInvoice();         ///< "发票号"
    void pagePrint();           ///< "页式": the bill report in the preview
    void linePrint();           ///< "行式": the line-printed form, to the printer or its preview
    /// The TabID of the bill on the shown page, its pending edits saved first; 0 when there is
    /// no bill to print.
    qint64 billToPrint();

    struct Ui
    {
        QTabWidget *PageControl1 = nullptr;
        QWidget *tsRK = nullptr;
        QWidget *tsDb = nullptr;
        QWidget *tsCk = nullptr;
        QWidget *plHeadList = nullptr;
        QLabel *Panel4 = nullptr;
        DataGrid *HeadGrid = nullptr;
        QWidget *Panel18 = nullptr;
        QLabel *lbState = nullptr;
        QToolButton *sp = nullptr;
        QToolButton *spLinePrint = nullptr;
        QToolButton *spPagePrint = nullptr;
        QToolButton *spFill = nullptr;
        QPushButton *btnSave = nullptr;
        QPushButton *Button13 = nullptr;
        QMenu *SearchMenu = nullptr;
    } ui;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildPages();
    void buildBillList();
    void buildBottomBar();
    void buildMenu();
    void connectPage(BillPage *page);

    void setActiveSource(Dataset *dataset);
    void updateControls();
    void updateListCaption();
    /// The page is shown: its grid locked by its bill's counterpart, ActiveSource its header.
    void pageShown(int index);
    /// Before the page changes: a bill being edited is saved; false keeps the page.
    bool leavePage(BillPage *page);
    void pageChanged(int index);
    /// The detail grid is entered: unlocked only for a bill with a counterpart.
    void enterDetailGrid(BillPage *page, bool warn);
    void leaveDetailGrid(BillPage *page);
    /// Locks or unlocks the page's grid by its bill's counterpart, nothing else.
    void lockByCounterpart(BillPage *page);
    void enterBillList();
    void closeFillPickers();
    void showState(const QString &text, const QColor &colour);
    /// The window's frame: the MDI sub-window it sits in, else itself.
    QWidget *frame();
    int screenWidth();
    bool searchWindowVisible() const;

    QList<BillPage *> m_pages;
    QPointer<Dataset> m_activeSource;
    QPointer<Dataset> m_activeTabSource;
    int m_shownPage = -1;
    bool m_switchingPage = false;
    bool m_showingPage = false;
    bool m_firstShow = true;
    int m_rememberedWidth = 0;
};

} // namespace hemu
