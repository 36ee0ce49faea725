#pragma once

// The program as a window test drives it: built through HemuApp on a scripted prompter and
// file chooser, opened on a test account set through the real login dialog.
#include "core/filechooser.h"
#include "core/prompter.h"
#include "support/modaldriver.h"
#include "ui/kit/hemuapp.h"

#include <QAction>
#include <QWidget>

namespace hemu {
class TfrmMain;
}

namespace hemu::test {

/// The widget called `name` (objectName) of type T inside `root`; the test run stops with a
/// message naming both when there is none, so that a renamed control is a failure, never
/// a crash on a null pointer.
QObject *findControlObject(const QObject *root, const QString &name, const QMetaObject &type);

template <typename T = QWidget>
T *control(const QObject *root, const QString &name)
{
    return static_cast<T *>(findControlObject(root, name, T::staticMetaObject));
}

class AppFixture
{
public:
    AppFixture();
    ~AppFixture();

    ScriptedPrompter prompter;
    ScriptedFileChooser files;
    std::unique_ptr<HemuApp> app;

    TfrmMain &main() { return app->mainWindow(); }
    AccountSetShell &shell() { return app->shell(); }
    BaseData &base() { return app->base(); }
    TabData &tab() { return app->tab(); }

    /// Shows the main window, which opens `path` as its first act, logging in as list row
    /// `row` through the login dialog; true once the set is open.
    bool start(const QString &path, int row = 0, const QString &password = {});
    /// Opens `path` with the menu command, logging in as list row `row`.
    void open(const QString &path, int row = 0, const QString &password = {});

    /// The main window's command (menu item or tool button) called `name`.
    QAction *action(const QString &name);
    /// Runs the command `name` (a menu item or tool button) and returns the child window it
    /// made active, or nullptr when it opened none.
    QWidget *command(const QString &name);
    /// Opens the window called `windowName` as its command does; the active child window
    /// after it (nullptr for a resident window).
    QWidget *openWindow(const QString &windowName);
    /// The active child window, or nullptr.
    QWidget *activeChild();
    int childCount();
};

} // namespace hemu::test
