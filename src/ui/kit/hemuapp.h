#pragma once

#include "ui/kit/appcontext.h"

#include <QString>
#include <functional>
#include <memory>

class QApplication;
class QWidget;

namespace hemu {

class DialogFileChooser;
struct MasterEditors;
class MessageBoxPrompter;
class PeriodClose;
struct Pickers;
class TfrmAnimate;
class TfrmEdInvoices;
class TfrNameCard;
class TfrmTotalTabs;
struct StartOptions;

/** The user-facing seams a program is built with; the GUI's own where left empty. */
struct AppSeams
{
    Prompter *prompter = nullptr;
    FileChooser *files = nullptr;
};

/**
 * The program: builds, in start-up order, the prompter, the file chooser, the progress
 * window, BaseData, TabData, AccountSetShell, the main window and the resident windows, and
 * registers every window with the main window. `hemu` and the window tests both build the
 * program through it.
 */
class HemuApp
{
public:
    explicit HemuApp(AppSeams seams = {});
    ~HemuApp();
    HemuApp(const HemuApp &) = delete;
    HemuApp &operator=(const HemuApp &) = delete;

    AppContext &context() { return *m_context; }
    TfrmMain &mainWindow() { return *m_main; }
    AccountSetShell &shell() { return *m_shell; }
    BaseData &base() { return *m_base; }
    TabData &tab() { return *m_tab; }
    Prompter &prompter() { return *m_prompter; }
    FileChooser &files() { return *m_files; }
    TfrmAnimate &progressWindow() { return *m_busy; }
    PeriodClose &periodClose() { return *m_periodClose; }

    /// Logs `user` in on the set at `path` as the login dialog would, without showing it;
    /// false with the program's own message in `error`.
    bool logIn(const QString &path, const QString &user, const QString &password, QString *error);

    /// Shows the main window and runs the event loop as `options` say; the exit code.
    int run(const StartOptions &options);

    /// The whole program: options, splash, the application object, the event loop.
    static int exec(QApplication &app);
    /// Chinese texts must render even where the default font has no CJK glyphs.
    static void useChineseFonts(QApplication &app);

private:
    /// Every window and operation the main window dispatches to.
    void registerWindows();
    template <typename Window>
    void registerChild(const QString &name)
    {
        registerChildFactory(name, [this] { return new Window(*m_context); });
    }
    void registerChildFactory(const QString &name, std::function<QWidget *()> factory);

    std::unique_ptr<MessageBoxPrompter> m_boxes;
    std::unique_ptr<DialogFileChooser> m_dialogs;
    Prompter *m_prompter;
    FileChooser *m_files;
    std::unique_ptr<TfrmAnimate> m_busy;
    std::unique_ptr<BaseData> m_base;
    std::unique_ptr<TabData> m_tab;
    std::unique_ptr<AccountSetShell> m_shell;
    std::unique_ptr<TfrmMain> m_main;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<PeriodClose> m_periodClose;
    std::unique_ptr<TfrNameCard> m_nameCard;
    std::unique_ptr<Pickers> m_pickers; // the pickers themselves belong to the main window
    std::unique_ptr<MasterEditors> m_editors; // so do the editors
    TfrmTotalTabs *m_totalTabs = nullptr;     // and the resident windows of the statistics
    TfrmEdInvoices *m_invoices = nullptr;     // and the invoice dialog
    int m_exitCode = 0;
};

} // namespace hemu
