#include "ui/shell/tfrmmain.h"

#include "core/data/basedata.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"
#include "core/shell/login.h"
#include "ui/shell/mainactions.h"
#include "ui/shell/tfrmpassworddlg.h"
#include "ui/shell/tfrmsplash.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QUrl>

namespace hemu {

namespace {

/// The long part of a hint: the text after a "|", or the whole hint.
QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace

TfrmMain::TfrmMain(BaseData &base, AccountSetShell &shell, Prompter &prompter, QWidget *parent)
    : QMainWindow(parent)
    , m_base(base)
    , m_shell(shell)
    , m_prompter(prompter)
    , m_actions(new MainActions(this))
    , m_mdi(new QMdiArea(this))
    , m_hintPanel(new QLabel(this))
    , m_loginPanel(new QLabel(this))
    , m_passwordDlg(new TfrmPasswordDlg(base, prompter, this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("禾木商务管理"));
    resize(1024, 720);

    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TfrmMain::mergeChildMenus);

    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setStyleSheet(QStringLiteral("QLabel { color: green; }"));
    m_hintPanel->setObjectName(QStringLiteral("StatusPanel0"));
    m_hintPanel->setFixedWidth(400);
    m_loginPanel->setObjectName(QStringLiteral("StatusPanel1"));
    bar->addWidget(m_hintPanel);
    bar->addWidget(m_loginPanel, 1);

    m_shell.loginGate = [this](const QString &path) { return m_passwordDlg->login(path); };
    connect(&m_shell, &AccountSetShell::accountSetOpened, this, &TfrmMain::accountSetOpened);
    connect(&m_shell, &AccountSetShell::accountSetClosed, this, &TfrmMain::accountSetClosed);
    connect(&m_shell, &AccountSetShell::terminateRequested, this, &TfrmMain::terminate);
    connectCommands();
}

TfrmMain::~TfrmMain()
{
    // Child windows closing while the frame is taken down must not call back into it.
    disconnect(m_mdi, nullptr, this, nullptr);
    // The shell outlives this window; its gate must not call into a destroyed dialog.
    m_shell.loginGate = nullptr;
}

void TfrmMain::connectCommands()
{
    const auto on = [this](const char *name, auto handler) {
        connect(m_actions->action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("miOpen", [this] { m_shell.openAccountSet(); });
    on("spOpen", [this] { m_shell.openAccountSet(); });
    on("miCloseAccSet", [this] { m_shell.closeAccountSet(); });
    on("miNew", [this] { m_shell.newAccountSet(); });
    on("miBackup", [this] { m_shell.backupAccountSet(); });
    on("N9", [this] { m_shell.compactAccountSet(); });
    on("miEdSelfPsd", [this] { miEdSelfPsdClick(); });
    on("Quit", [this] { close(); });
    on("SpeedButton8", [this] { close(); });
    on("ShowHelp", [this] { ShowHelpClick(); });
    on("About", [this] { AboutClick(); });
    connect(m_actions, &MainActions::commandTriggered, this, &TfrmMain::runCommand);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // Queued: the window paints first, and the login's outcome may end the event loop.
    QTimer::singleShot(0, this, &TfrmMain::startUp);
}

void TfrmMain::startUp()
{
    m_shell.openAccountSet();
    m_shell.readStoredDisplayFormat();
}

bool TfrmMain::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        m_hintPanel->setText(longHint(static_cast<QStatusTipEvent *>(event)->tip()));
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (!m_ending) {
        if (!m_prompter.question(QStringLiteral("确实要结束工作吗?"))) {
            event->ignore();
            return;
        }
        // Child windows close first, while their account set is still open; one that
        // refuses (unsaved work the user wants to keep) keeps the program running.
        if (!closeChildWindows()) {
            event->ignore();
            return;
        }
        m_shell.CloseAccSet();
    }
    event->accept();
    // Resident windows shown non-modally must not keep the program alive.
    QCoreApplication::quit();
}

bool TfrmMain::closeChildWindows()
{
    m_mdi->closeAllSubWindows();
    const QList<QMdiSubWindow *> children = m_mdi->subWindowList();
    for (QMdiSubWindow *child : children) {
        if (!child->isHidden())
            return false;
    }
    return true;
}

void TfrmMain::terminate()
{
    m_ending = true;
    close();
}

void TfrmMain::accountSetOpened()
{
    m_actions->setAccountSetOpen(true);
    ApplyRoleRights();
    m_loginPanel->setText(m_base.LoginStatusText());
    setWindowTitle(QDir::toNativeSeparators(m_shell.AccSetFileName));
}

void TfrmMain::accountSetClosed()
{
    m_actions->setAccountSetOpen(false);
}

void TfrmMain::ApplyRoleRights()
{
    m_actions->applyRoles(m_base.CurRoleID());
}

QString TfrmMain::statusPanelText(int panel) const
{
    return (panel == 0 ? m_hintPanel : m_loginPanel)->text();
}

void TfrmMain::registerChild(const QString &windowName, ChildFactory factory)
{
    m_factories.insert(windowName, std::move(factory));
}

void TfrmMain::registerResident(const QString &windowName, std::function<void()> show)
{
    m_residents.removeAll(windowName);
    m_residents.append(windowName);
    m_commands.insert(windowName, std::move(show));
}

void TfrmMain::registerCommand(const QString &name, std::function<void()> handler)
{
    m_commands.insert(name, std::move(handler));
}

QStringList TfrmMain::windowNames() const
{
    QStringList names = m_factories.keys();
    names.sort();
    names.prepend(objectName());
    return names + m_residents;
}

bool TfrmMain::openWindow(const QString &windowName)
{
    if (windowName == objectName()) {
        raise();
        return true;
    }
    if (!m_factories.contains(windowName) && !m_residents.contains(windowName))
        return false;
    runCommand(windowName);
    return true;
}

void TfrmMain::runCommand(const QString &target)
{
    if (m_factories.contains(target))
        openChild(target);
    else if (const auto handler = m_commands.value(target))
        handler();
}

bool TfrmMain::ShowOpenChild(const QString &name)
{
    const QList<QMdiSubWindow *> children = m_mdi->subWindowList();
    for (QMdiSubWindow *child : children) {
        // A closed child is hidden until its deferred deletion: it no longer counts.
        if (child->isHidden() || !child->widget() || child->widget()->objectName() != name)
            continue;
        if (child->isMinimized())
            child->showNormal();
        m_mdi->setActiveSubWindow(child);
        child->raise();
        return true;
    }
    return false;
}

void TfrmMain::openChild(const QString &name)
{
    if (ShowOpenChild(name))
        return;
    const ChildFactory factory = m_factories.value(name);
    QWidget *window = factory ? factory() : nullptr;
    if (!window)
        return;
    // The name is what finds the window again; a factory cannot get it wrong.
    window->setObjectName(name);
    QMdiSubWindow *child = m_mdi->addSubWindow(window);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    m_mdi->setActiveSubWindow(child);
}

void TfrmMain::miEdTabsClick()
{
    openChild(QStringLiteral("frmBusiness"));
}

void TfrmMain::nEdBaseInfoClick()
{
    openChild(QStringLiteral("frmBaseInfo"));
}

void TfrmMain::miEdSelfPsdClick()
{
    if (!Login::hasUser(m_base.MyADOCnn(), m_base.CurUserID())) {
        m_prompter.warning(QStringLiteral("严重错误：未找到当前用户。"));
        return;
    }
    runCommand(QStringLiteral("frmEdSelfPsd"));
}

QString TfrmMain::userGuidePath()
{
    const QString name = QStringLiteral("userguide.html");
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/hemu/") + name;
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    // Run from a build tree: the guide is in the sources the program was built from (not
    // found through __FILE__, which a compiler cache may have made relative).
    const QString source = QStringLiteral(HEMU_DOCS_DIR "/") + name;
    if (QFileInfo::exists(source))
        return QFileInfo(source).canonicalFilePath();
    return QFileInfo(installed).absoluteFilePath();
}

void TfrmMain::ShowHelpClick()
{
    // Started, not waited for; a desktop without a viewer simply shows nothing.
    QDesktopServices::openUrl(QUrl::fromLocalFile(userGuidePath()));
}

void TfrmMain::AboutClick()
{
    TfrmSplash splash(this);
    splash.exec();
}

void TfrmMain::mergeChildMenus()
{
    // The current child stays current while a dialog has the focus: its menus stay too.
    QMdiSubWindow *current = m_mdi->currentSubWindow();
    if (current == m_mergedFrom && !m_mergedMenus.isEmpty())
        return;
    for (const QPointer<QMenu> &menu : std::as_const(m_mergedMenus)) {
        if (menu)
            menuBar()->removeAction(menu->menuAction());
    }
    m_mergedMenus.clear();
    m_mergedFrom = current;
    if (!current || !current->widget())
        return;
    const QList<QMenu *> menus = current->widget()->findChildren<QMenu *>(Qt::FindDirectChildrenOnly);
    for (QMenu *menu : menus) {
        if (!menu->property("mergeMenu").toBool())
            continue;
        menuBar()->insertMenu(m_actions->childMenuAnchor(), menu);
        m_mergedMenus.append(menu);
    }
}

} // namespace hemu
