#include "core/shell/periodclose.h"

#include "core/bills/periodoperations.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/format/datetext.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"

namespace hemu {

PeriodClose::PeriodClose(BaseData &base, TabData &tab, AccountSetShell &shell, Prompter &prompter)
    : m_base(base), m_tab(tab), m_shell(shell), m_prompter(prompter)
{
}

QDate PeriodClose::lastCarryForward() const
{
    return lastCarryForward(m_tab);
}

QDate PeriodClose::lastCarryForward(TabData &tab)
{
    const QDate stored = PeriodOperations::lastCarryForward(tab.base().MyADOCnn());
    // An empty date is day 0 of the calendar the books were first kept with.
    return stored.isValid() ? stored : QDate(1899, 12, 30);
}

void PeriodClose::carryForward(const QDate &today)
{
    if (m_prompter.question(QStringLiteral("结转将改写期初，建议备份帐套数据。备份吗?"))) {
        m_shell.backupAccountSet(); // whatever its outcome, the carry-forward goes on
    } else if (!m_prompter.question(QStringLiteral("你选择不备份帐套数据，如果直接转入下期，则不能退回。转入下期吗？"))) {
        return;
    }
    carryForward(m_tab, m_prompter, today);
}

bool PeriodClose::carryForward(TabData &tab, Prompter &prompter, const QDate &today)
{
    const QDate last = lastCarryForward(tab);
    QString text = QStringLiteral("上次结转时间:") + shortDateText(last) + QStringLiteral(",当前时间:") + shortDateText(today);
    if (today < last) {
        prompter.warning(text + QStringLiteral(",时间错位，取消本次结转。"));
        return false;
    }
    if (!prompter.question(text + QStringLiteral("时间顺序正常，可以执行结转，继续吗?")))
        return false;
    // The new date and the new period are stored together: a failed carry-forward leaves
    // the old date, so the books never claim a carry-forward that did not happen.
    return tab.CarryForward(today);
}

void PeriodClose::clearBills()
{
    if (!m_prompter.question(QStringLiteral("单据被清空之后不能恢复，确实要清空全部单据吗？")))
        return;
    QString error;
    if (m_tab.ClearBills(&error))
        m_prompter.information(QStringLiteral("成功清空单据。"));
    else
        m_prompter.warning(error);
}

void PeriodClose::clearTotals()
{
    if (!m_prompter.question(QStringLiteral("总帐数据被清空之后不能恢复，确实要清空吗？")))
        return;
    QString error;
    if (m_tab.ClearTotals(&error))
        m_prompter.information(QStringLiteral("总帐数据已经被清空。"));
    else
        m_prompter.warning(error);
}

void PeriodClose::clearAll()
{
    if (!m_prompter.question(QStringLiteral("全部数据被清空之后不能恢复，确实要清空吗？")))
        return;
    if (m_tab.ClearAll())
        m_prompter.information(QStringLiteral("全部数据成功清空。"));
    else
        m_prompter.warning(QStringLiteral("清空全部数据时失败。"));
}

} // namespace hemu
