#pragma once

#include <QDate>
#include <QString>

namespace hemu {

class AccountSetShell;
class BaseData;
class Prompter;
class TabData;

/**
 * The period-end commands of the main window: carry forward to the next period, and the
 * three clearing commands. Questions and messages go through the Prompter; the work is
 * TabData's.
 */
class PeriodClose
{
public:
    PeriodClose(BaseData &base, TabData &tab, AccountSetShell &shell, Prompter &prompter);

    /// "转入下期". `today` is the date the carry-forward is recorded under.
    void carryForward(const QDate &today = QDate::currentDate());
    /// "清空单据数据"
    void clearBills();
    /// "清空汇总数据"
    void clearTotals();
    /// "清空全部数据"
    void clearAll();

    /// The last carry-forward date; a set never carried forward gives 1899-12-30.
    QDate lastCarryForward() const;
    static QDate lastCarryForward(TabData &tab);

    /// The carry-forward after the backup question: the date check, the last question and
    /// the carry-forward recorded under `today`. hemu-cli runs the same steps. True when the
    /// period was carried forward.
    static bool carryForward(TabData &tab, Prompter &prompter, const QDate &today);

private:
    BaseData &m_base;
    TabData &m_tab;
    AccountSetShell &m_shell;
    Prompter &m_prompter;
};

} // namespace hemu
