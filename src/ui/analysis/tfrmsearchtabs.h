#pragma once

#include "core/analysis/billsearch.h"
#include "ui/kit/appcontext.h"

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace hemu {

/**
 * "检索单据": narrows the three bill lists of bill entry to the bills that match a day, a
 * goods item, a customer or vendor and a person. Made once at start-up, shown non-modally on
 * top and hidden between uses; the criteria stay until "清空条件". Closing it (after
 * "检索被释放，确定吗？") shows every bill again.
 *
 * Other windows look up bills through it: clearCriteria(), then the codes, then search();
 * or searchFor() for all of it at once.
 */
class TfrmSearchTabs : public QDialog
{
    Q_OBJECT
public:
    TfrmSearchTabs(AppContext &context, QWidget *parent);

    /// Shows the window, or raises it when it shows already.
    void showWindow();

    /// "清空条件": every criterion and name emptied.
    void clearCriteria();
    /// The criteria as the fields hold them.
    BillSearch::Criteria criteria() const;
    /// Puts `criteria` into the fields (the names looked up as Enter would, silently) and runs
    /// "查找"; true when the lists are narrowed to the bills found.
    bool searchFor(const BillSearch::Criteria &criteria);
    /// "查找" on the criteria in the fields; true when the lists are narrowed.
    bool search();

    struct Ui
    {
        QLabel *Label5 = nullptr;
        QPushButton *SpeedButton1 = nullptr; // 单据日期
        QLineEdit *EdDate = nullptr;
        QPushButton *SpeedButton2 = nullptr; // 品名型号
        QLineEdit *EdGood = nullptr;
        QLineEdit *Edit1 = nullptr;
        QPushButton *SpeedButton3 = nullptr; // 客户/供货
        QLineEdit *EdCust = nullptr;
        QLineEdit *Edit2 = nullptr;
        QPushButton *SpeedButton4 = nullptr; // 经办人
        QLineEdit *EdEmp = nullptr;
        QLineEdit *Edit3 = nullptr;
        QLabel *Label6 = nullptr;
        QPushButton *Button2 = nullptr;      // 清空条件
        QPushButton *SpeedButton5 = nullptr; // 查找
        QMenu *pmSwitch = nullptr;
        QAction *N1 = nullptr; // 供货方
        QAction *N2 = nullptr; // 客  户
    } ui;

    // The pickers behind the criterion buttons.
    void pickDate();
    void pickGoods();
    void pickVendor();
    void pickCustomer();
    void pickPerson();

    // Enter in a code field: the name of the code, or a warning when there is none.
    void goodsEntered();
    void customerEntered();
    void personEntered();

public slots:
    /// Closing (the close box, Esc) asks "检索被释放，确定吗？" first.
    void reject() override;

private:
    /// Lets every bill show again, keeping bill entry on the bill it showed.
    void releaseSearch();
    /// Fills the name fields from the codes; false (after the warning, with `warn`) when a
    /// code has no row.
    bool lookUpName(QLineEdit *code, QLineEdit *name, bool warn);

    AppContext &m_context;
};

} // namespace hemu
