// hemu: the desktop program. Everything it does lives in hemucore and hemuui.
#include "core/data/basedata.h"
#include "core/data/datamodules.h"
#include "core/data/tabdata.h"
#include "core/shell/accountsetshell.h"
#include "core/shell/periodclose.h"
#include "ui/shell/tfrmanimate.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmsplash.h"
#include "ui/widgets/dialogfilechooser.h"
#include "ui/widgets/messageboxprompter.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <exception>

namespace {

/// Chinese texts must render even where the default font has no CJK glyphs.
void useChineseFonts(QApplication &app)
{
    QFont font = app.font();
    font.setFamilies({font.family(), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Source Han Sans SC")});
    app.setFont(font);
}

int run(QApplication &app)
{
    hemu::TfrmSplash splash;
    splash.show();
    QApplication::processEvents();

    hemu::MessageBoxPrompter prompter;
    hemu::BaseData base(prompter);
    hemu::DialogFileChooser files(prompter);
    hemu::TfrmAnimate busy;
    hemu::TabData tab(base);
    hemu::AccountSetShell shell(base, prompter, files, busy);
    // Opening an account set opens the datasets of both modules; closing closes them.
    hemu::DataModules::connect(shell, base, tab);

    hemu::TfrmMain frmMain(base, shell, prompter);
    hemu::PeriodClose periodClose(base, tab, shell, prompter);
    frmMain.registerCommand(QStringLiteral("N15"), [&] { periodClose.N15Click(); });
    frmMain.registerCommand(QStringLiteral("N18"), [&] { periodClose.N18Click(); });
    frmMain.registerCommand(QStringLiteral("N19"), [&] { periodClose.N19Click(); });
    frmMain.registerCommand(QStringLiteral("N20"), [&] { periodClose.N20Click(); });
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        shell.pendingPath = QFileInfo(args.at(1)).absoluteFilePath();
        files.setFolder(QFileInfo(shell.pendingPath).absolutePath());
    }

    splash.hide();
    // A window manager maximises; without one the window still fills the screen.
    frmMain.setGeometry(frmMain.screen()->availableGeometry());
    frmMain.showMaximized();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Version 2.0"));
    useChineseFonts(app);
    try {
        return run(app);
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromLocal8Bit(e.what()));
        QMessageBox::critical(nullptr, QApplication::applicationName(), QStringLiteral("Error"));
        return 1;
    }
}
