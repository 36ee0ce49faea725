#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace hemu {

class AccountSetShell;
class BaseData;
class MainActions;
class Prompter;
class TfrmPasswordDlg;

/**
 * The main window: a multiple-document frame whose menus and tool bar dispatch every
 * command, shows what AccountSetShell opened and closed, and applies the role rule.
 *
 * Child windows plug in through registerChild(): a command whose window has no factory
 * yet does nothing. A child that wants menus in the menu bar while it is active gives
 * them as direct QMenu children with the dynamic property "mergeMenu" set to true; they
 * are shown between "统计" and "报表".
 */
class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    /// Makes a new instance of a child window; the main window takes it over.
    using ChildFactory = std::function<QWidget *()>;

    /// Installs the login dialog as `shell`'s login gate.
    TfrmMain(BaseData &base, AccountSetShell &shell, Prompter &prompter, QWidget *parent = nullptr);
    ~TfrmMain() override;

    AccountSetShell &shell() { return m_shell; }
    QMdiArea *mdiArea() const { return m_mdi; }
    MainActions *actions() const { return m_actions; }
    TfrmPasswordDlg *passwordDlg() const { return m_passwordDlg; }

    /// Brings the open child window called `name` (exact object name) to the front;
    /// false when there is none.
    bool ShowOpenChild(const QString &name);
    void ApplyRoleRights();

    /// The child window `windowName` ("frmBaseInfo", "frmBusiness", ...) is made by `factory`.
    void registerChild(const QString &windowName, ChildFactory factory);
    /// A resident window ("frmTotalTabs", "frmSetDisplayFormat", "frmEdRight", "frmEdSelfPsd"):
    /// made once at start-up, `show` shows it (modally or not, as the window is used).
    void registerResident(const QString &windowName, std::function<void()> show);
    /// An operation that is no window ("N15", "N18"): run by its menu item, never by name
    /// from the command line.
    void registerCommand(const QString &name, std::function<void()> handler);

    /// Every window name openWindow() knows: "frmMain", the child and the resident windows.
    QStringList windowNames() const;
    /// Opens the child or resident window `windowName` as its command does; false for a
    /// name nothing is registered under.
    bool openWindow(const QString &windowName);

    /// Closes every child window, each asked first; false when one stays open (it keeps
    /// work the user did not let go).
    bool closeChildWindows();

    /// Opens bill entry; also used by the browsers.
    void miEdTabsClick();
    /// Opens base information; also used by the goods picker.
    void nEdBaseInfoClick();

    /// Text of status panel 0 (hint) or 1 (login).
    QString statusPanelText(int panel) const;
    /// The user guide "帮助" opens: installed beside the program, else in the source tree.
    static QString userGuidePath();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void connectCommands();
    /// The open command of the first showing; only it applies the stored display format.
    void startUp();
    void runCommand(const QString &target);
    void openChild(const QString &name);
    void miEdSelfPsdClick();
    void ShowHelpClick();
    void AboutClick();
    void accountSetOpened();
    void accountSetClosed();
    /// The login was abandoned: the program ends without the exit question.
    void terminate();
    void mergeChildMenus();

    BaseData &m_base;
    AccountSetShell &m_shell;
    Prompter &m_prompter;
    MainActions *m_actions;
    QMdiArea *m_mdi;
    QLabel *m_hintPanel;
    QLabel *m_loginPanel;
    TfrmPasswordDlg *m_passwordDlg;
    QHash<QString, ChildFactory> m_factories;
    QHash<QString, std::function<void()>> m_commands;
    QStringList m_residents;
    QPointer<QMdiSubWindow> m_mergedFrom;
    QList<QPointer<QMenu>> m_mergedMenus;
    bool m_started = false;
    bool m_ending = false;
};

} // namespace hemu
