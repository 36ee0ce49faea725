#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace hemu {

/**
 * The main window's menu bar and tool bar: every command as a QAction named like its
 * menu item or tool button, which commands show only while an account set is open, and
 * the window or operation each dispatching command stands for.
 */
class MainActions : public QObject
{
    Q_OBJECT
public:
    explicit MainActions(QMainWindow *window);

    /// Menu item, submenu (its menu action) or tool button by object name; null if unknown.
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QToolBar *toolBar() const { return m_toolBar; }
    /// Menus of an active child window go in front of this one ("报表").
    QAction *childMenuAnchor() const;

    /// Shows or hides the menus, items and tool bar that need an open account set.
    void setAccountSetOpen(bool open);
    /// Enables the governed commands for `roleId`; a submenu takes its items with it.
    void applyRoles(int roleId);

signals:
    /// A command that opens a window or runs an operation: `target` is the window's
    /// object name ("frmBusiness"), or the item's own name for operations ("N15").
    void commandTriggered(const QString &target);

private:
    enum Flag { Hidden = 1, SeparatorAfter = 2 };
    QMenu *addMenu(QMenu *parent, const char *name, const QString &caption, int flags = 0);
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, const char *target = nullptr, int flags = 0);
    QAction *addTool(const char *name, const QString &caption, const QString &hint, int icon, const char *target);
    QAction *named(QAction *action, const char *name, const char *target, int flags);

    QMainWindow *m_window;
    QToolBar *m_toolBar = nullptr;
    QHash<QString, QAction *> m_actions;
    QList<QAction *> m_hiddenUntilOpen;
};

} // namespace hemu
