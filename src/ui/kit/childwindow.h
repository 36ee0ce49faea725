#pragma once

#include "ui/kit/appcontext.h"

#include <QWidget>

class QMenu;

namespace hemu {

/**
 * The base of every child window: named (its objectName is how the main window finds it
 * again), talking through the program's prompter, with the modules and the main window at
 * hand, a hook that may refuse closing, menus merged into the main menu bar while it is the
 * active child, and centring on the main window.
 *
 *     class TfrmBrTotal : public ChildWindow {
 *     public:
 *         explicit TfrmBrTotal(AppContext &context) : ChildWindow(context, "frmBrTotal") { ... }
 *     };
 *     // in HemuApp::registerWindows():
 *     registerChild<TfrmBrTotal>("frmBrTotal");
 */
class ChildWindow : public QWidget
{
    Q_OBJECT
public:
    ChildWindow(AppContext &context, const QString &objectName, QWidget *parent = nullptr);

    AppContext &context() const { return m_context; }
    BaseData &base() const { return m_context.base; }
    TabData &tab() const { return m_context.tab; }
    Prompter &prompter() const { return m_context.prompter; }
    TfrmMain &mainWindow() const { return m_context.main; }

    /// Asked before the window closes; false keeps it open (it has told the user why).
    virtual bool canClose() { return true; }

    /// A menu shown in the main menu bar, in front of "报表", while this window is the
    /// active child.
    QMenu *addMergedMenu(const QString &title, const QString &objectName);

    /// Closes the window as its close box would: the MDI sub-window it sits in, else itself.
    void closeWindow();

    /// Puts the window in the middle of the main window's work area (an MDI child) or of
    /// the main window (a window of its own).
    void centreOnMainWindow();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AppContext &m_context;
};

} // namespace hemu
