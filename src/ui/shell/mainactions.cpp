#include "ui/shell/mainactions.h"

#include "core/shell/rolerights.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace hemu {

MainActions::MainActions(QMainWindow *window)
    : QObject(window)
    , m_window(window)
{
    window->menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = addMenu(nullptr, "miFile", QStringLiteral("文件"));
    addItem(file, "miOpen", QStringLiteral("打开套帐"));
    addItem(file, "miCloseAccSet", QStringLiteral("关闭套帐"), nullptr, Hidden | SeparatorAfter);
    QMenu *maintain = addMenu(file, "miMaintainAcc", QStringLiteral("套帐维护"), Hidden);
    addItem(maintain, "miNew", QStringLiteral("新建套帐"), nullptr, Hidden);
    addItem(maintain, "miBackup", QStringLiteral("备份数据"));
    addItem(maintain, "miRestore", QStringLiteral("恢复备份"), "frmRestoreBackup");
    addItem(maintain, "N9", QStringLiteral("压缩修复"), nullptr, SeparatorAfter);
    addItem(maintain, "N14", QStringLiteral("盘点调整"), "frmStoreCheck");
    addItem(maintain, "N12", QStringLiteral("单据诊断"), "frmScanUselessRecords");
    addItem(maintain, "N7", QStringLiteral("重排单据项"), "frmSetTabItemNo", SeparatorAfter);
    addItem(maintain, "N15", QStringLiteral("转入下期"), "N15");
    QMenu *clear = addMenu(file, "miClearAcc", QStringLiteral("清空数据"), Hidden | SeparatorAfter);
    addItem(clear, "N18", QStringLiteral("清空单据数据"), "N18");
    addItem(clear, "N19", QStringLiteral("清空汇总数据"), "N19");
    addItem(clear, "N20", QStringLiteral("清空全部数据"), "N20");
    addItem(file, "miEdSelfPsd", QStringLiteral("修改口令"), nullptr, Hidden);
    addItem(file, "miSetRight", QStringLiteral("设置权限"), "frmEdRight", Hidden | SeparatorAfter);
    addItem(file, "Quit", QStringLiteral("退出"));

    QMenu *business = addMenu(nullptr, "miBusiness", QStringLiteral("业务"), Hidden);
    addItem(business, "miEdTabs", QStringLiteral("单据录入"), "frmBusiness");
    addItem(business, "nShowMarket", QStringLiteral("市场行情"), "frmMarketInfo");

    QMenu *total = addMenu(nullptr, "miTotal", QStringLiteral("统计"), Hidden);
    addItem(total, "nViewTotal", QStringLiteral("库存变动"), "frmBrTotal");
    addItem(total, "N11", QStringLiteral("应收款项"), "frmBrCustsDue");
    addItem(total, "nCustStatement", QStringLiteral("客户对账单"), "frmCustStatement");
    addItem(total, "nBuyManage", QStringLiteral("应付款项"), "frmBuyManage");
    addItem(total, "nProfitAnalyse", QStringLiteral("效益分析"), "frmProfits", SeparatorAfter);
    addItem(total, "nTotalTabs", QStringLiteral("单据汇总"), "frmTotalTabs");
    addItem(total, "N17", QStringLiteral("物流状态"), "frmBrGoodFlow");

    QMenu *report = addMenu(nullptr, "miReport", QStringLiteral("报表"), Hidden);
    addItem(report, "PrintReport", QStringLiteral("打印输出"), "frmReportsMenu");

    QMenu *baseInfo = addMenu(nullptr, "miBaseinfo", QStringLiteral("设置"), Hidden);
    addItem(baseInfo, "nEdBaseInfo", QStringLiteral("基础资料"), "frmBaseInfo");
    addItem(baseInfo, "nImport", QStringLiteral("导入基础资料"), "frmImport", SeparatorAfter);
    addItem(baseInfo, "N2", QStringLiteral("用户设置"), "frmEdUserInfo");
    addItem(baseInfo, "nDisplayFormat", QStringLiteral("数据格式"), "frmSetDisplayFormat");

    QMenu *help = addMenu(nullptr, "miHelp", QStringLiteral("帮助"));
    addItem(help, "ShowHelp", QStringLiteral("帮助"));
    addItem(help, "About", QStringLiteral("关于"));

    m_toolBar = new QToolBar(QStringLiteral("工具栏"), window);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->toggleViewAction()->setEnabled(false);
    window->addToolBar(Qt::TopToolBarArea, m_toolBar);
    addTool("spOpen", QStringLiteral("打开"), QStringLiteral("开启套帐"), QStyle::SP_DialogOpenButton, nullptr);
    addTool("spEdBaseInfo", QStringLiteral("资料"), QStringLiteral("录入、编辑基础资料"), QStyle::SP_FileDialogDetailedView, "frmBaseInfo");
    addTool("spEdTabs", QStringLiteral("单据"), QStringLiteral("录入、编辑单据"), QStyle::SP_FileIcon, "frmBusiness");
    addTool("spViewTotal", QStringLiteral("汇总"), QStringLiteral("查看仓库与货物流向"), QStyle::SP_FileDialogContentsView, "frmBrTotal");
    addTool("spMarketInfo", QStringLiteral("行情"), QStringLiteral("察看采购行情"), QStyle::SP_FileDialogInfoView, "frmMarketInfo");
    addTool("spReport", QStringLiteral("报表"), QStringLiteral("报表打印输出"), QStyle::SP_FileDialogListView, "frmReportsMenu");
    addTool("SpeedButton8", QStringLiteral("退出"), QStringLiteral("退出本系统"), QStyle::SP_DialogCloseButton, nullptr);
    m_toolBar->setVisible(false);
}

QAction *MainActions::named(QAction *action, const char *name, const char *target, int flags)
{
    const QString key = QString::fromLatin1(name);
    action->setObjectName(key);
    m_actions.insert(key, action);
    if (flags & Hidden) {
        action->setVisible(false);
        m_hiddenUntilOpen.append(action);
    }
    if (target) {
        const QString command = QString::fromLatin1(target);
        connect(action, &QAction::triggered, this, [this, command] { emit commandTriggered(command); });
    }
    return action;
}

QMenu *MainActions::addMenu(QMenu *parent, const char *name, const QString &caption, int flags)
{
    QMenu *menu = parent ? parent->addMenu(caption) : m_window->menuBar()->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    named(menu->menuAction(), name, nullptr, flags);
    if (parent && (flags & SeparatorAfter))
        parent->addSeparator();
    return menu;
}

QAction *MainActions::addItem(QMenu *menu, const char *name, const QString &caption, const char *target, int flags)
{
    QAction *action = named(menu->addAction(caption), name, target, flags);
    if (flags & SeparatorAfter)
        menu->addSeparator();
    return action;
}

QAction *MainActions::addTool(const char *name, const QString &caption, const QString &hint, int icon, const char *target)
{
    QAction *action = new QAction(m_window->style()->standardIcon(QStyle::StandardPixmap(icon)), caption, m_toolBar);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    m_toolBar->addAction(named(action, name, target, 0));
    m_toolBar->widgetForAction(action)->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction *MainActions::childMenuAnchor() const
{
    return action(QStringLiteral("miReport"));
}

void MainActions::setAccountSetOpen(bool open)
{
    for (QAction *action : std::as_const(m_hiddenUntilOpen))
        action->setVisible(open);
    m_toolBar->setVisible(open);
}

void MainActions::applyRoles(int roleId)
{
    const QList<QString> governed = RoleRights::governedCommands();
    for (const QString &name : governed) {
        QAction *action = m_actions.value(name);
        if (!action)
            continue;
        const bool enabled = RoleRights::isEnabled(name, roleId);
        action->setEnabled(enabled);
        if (QMenu *menu = action->menu()) {
            const QList<QAction *> items = menu->actions();
            for (QAction *item : items)
                item->setEnabled(enabled);
        }
    }
}

} // namespace hemu
