#include "ui/kit/hemuapp.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/shell/accountsetshell.h"
#include "core/shell/datamoduleslink.h"
#include "core/shell/login.h"
#include "core/shell/periodclose.h"
#include "ui/admin/tfrmedright.h"
#include "ui/admin/tfrmedselfpsd.h"
#include "ui/admin/tfrmeduserinfo.h"
#include "ui/admin/tfrmsetdisplayformat.h"
#include "ui/admin/tfrmscanuselessrecords.h"
#include "ui/admin/tfrmsettabitemno.h"
#include "ui/analysis/tfrmbrcustsdue.h"
#include "ui/analysis/tfrmcuststatement.h"
#include "ui/analysis/tfrmbrtotal.h"
#include "ui/analysis/tfrmbuymanage.h"
#include "ui/analysis/tfrmprofits.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/analysis/tfrmtotaltabs.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/bills/tfrmedinvoices.h"
#include "ui/analysis/tfrmbrgoodflow.h"
#include "ui/analysis/tfrmmarketinfo.h"
#include "ui/analysis/tfrmstorecheck.h"
#include "ui/kit/startoptions.h"
#include "ui/kit/windowgrab.h"
#include "ui/masterdata/editors.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmimport.h"
#include "ui/masterdata/tfrmbaseinfo.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"
#include "ui/reports/tfrmsetprn.h"
#include "ui/reports/accountreportwindows.h"
#include "ui/bills/billprinting.h"
#include "ui/reports/tfrmreportsmenu.h"
#include "ui/shell/tfrmanimate.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmpassworddlg.h"
#include "ui/shell/tfrmrestorebackup.h"
#include "ui/shell/tfrmsplash.h"
#include "ui/shell/tfrnamecard.h"
#include "ui/widgets/dialogfilechooser.h"
#include "ui/widgets/messageboxprompter.h"
#include "ui/widgets/promptchannel.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <exception>

namespace hemu {

namespace {

void tellError(const QString &text)
{
    std::fprintf(stderr, "hemu: %s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace

HemuApp::HemuApp(AppSeams seams)
{
    if (!seams.prompter)
        m_boxes = std::make_unique<MessageBoxPrompter>();
    m_prompter = seams.prompter ? seams.prompter : m_boxes.get();
    if (!seams.files)
        m_dialogs = std::make_unique<DialogFileChooser>(*m_prompter);
    m_files = seams.files ? seams.files : m_dialogs.get();
    m_busy = std::make_unique<TfrmAnimate>();
    m_base = std::make_unique<BaseData>(*m_prompter);
    m_tab = std::make_unique<TabData>(*m_base);
    m_shell = std::make_unique<AccountSetShell>(*m_base, *m_prompter, *m_files, *m_busy);
    // Opening an account set opens the datasets of both modules; closing closes them.
    connectDataModules(*m_shell, *m_base, *m_tab);
    m_main = std::make_unique<TfrmMain>(*m_base, *m_shell, *m_prompter);
    if (m_boxes)
        m_boxes->setParentWidget(m_main.get());
    if (m_dialogs)
        m_dialogs->setParentWidget(m_main.get());
    // Widgets of every window, and those outside any, talk through this one prompter.
    PromptChannel::attach(m_main.get(), m_prompter);
    PromptChannel::setApplicationPrompter(m_prompter);
    PromptChannel::attachFiles(m_main.get(), m_files);
    PromptChannel::setApplicationFiles(m_files);
    m_context = std::make_unique<AppContext>(
        AppContext{*m_prompter, *m_files, *m_busy, *m_base, *m_tab, *m_shell, *m_main});
    m_pickers = std::make_unique<Pickers>(*m_context, m_main.get());
    m_context->pickers = m_pickers.get();
    m_editors = std::make_unique<MasterEditors>(*m_context, m_main.get());
    m_context->editors = m_editors.get();
    m_context->preview = new TfrmMyPreview(*m_context, m_main.get()); // the main window owns it
    m_context->setPrn = new TfrmSetPrn(*m_context, m_main.get());
    m_invoices = new TfrmEdInvoices(*m_context, m_main.get());
    m_periodClose = std::make_unique<PeriodClose>(*m_base, *m_tab, *m_shell, *m_prompter);
    // Resident windows of the statistics: made once, hidden between uses, owned by the main window.
    m_totalTabs = new TfrmTotalTabs(*m_context, m_main.get());
    m_context->searchTabs = new TfrmSearchTabs(*m_context, m_main.get());
    m_nameCard = std::make_unique<TfrNameCard>(m_main.get());
    registerWindows();
}

HemuApp::~HemuApp()
{
    // The set is closed while every window that may look at its datasets still exists.
    m_shell->CloseAccSet();
    if (PromptChannel::applicationPrompter() == m_prompter) {
        PromptChannel::setApplicationPrompter(nullptr);
        PromptChannel::setApplicationFiles(nullptr);
    }
    m_nameCard.reset();
    m_main.reset();
}

void HemuApp::registerChildFactory(const QString &name, std::function<QWidget *()> factory)
{
    m_main->registerChild(name, std::move(factory));
}

void HemuApp::registerWindows()
{
    TfrmMain &main = *m_main;
    // Resident windows: made once, shown by their command.
    main.registerResident(QStringLiteral("frmPasswordDlg"),
                          [this] { m_main->passwordDlg()->login(m_shell->AccSetFileName); });
    main.registerResident(QStringLiteral("frmAnimate"), [this] { m_busy->begin(QStringLiteral("备份")); });
    main.registerResident(QStringLiteral("frNameCard"), [this] { m_nameCard->exec(); });
    main.registerResident(QStringLiteral("frmSplash"), [this] {
        TfrmSplash splash(m_main.get());
        splash.exec();
    });
    m_pickers->registerWith(main);
    m_editors->registerWith(main);
    // Operations of the period close.
    main.registerCommand(QStringLiteral("N15"), [this] { m_periodClose->carryForward(); });
    main.registerCommand(QStringLiteral("N18"), [this] { m_periodClose->clearBills(); });
    main.registerCommand(QStringLiteral("N19"), [this] { m_periodClose->clearTotals(); });
    main.registerCommand(QStringLiteral("N20"), [this] { m_periodClose->clearAll(); });
    main.registerResident(QStringLiteral("frmEdSelfPsd"), [this] {
        auto *dialog = m_main->findChild<TfrmEdSelfPsd *>(QStringLiteral("frmEdSelfPsd"));
        if (!dialog)
            dialog = new TfrmEdSelfPsd(*m_context, m_main.get()); // resident: keeps what was typed
        dialog->showForCurrentUser();
    });
    main.registerResident(QStringLiteral("frmEdRight"), [this] {
        auto *dialog = m_main->findChild<TfrmEdRight *>(QStringLiteral("frmEdRight"));
        if (!dialog)
            dialog = new TfrmEdRight(*m_context, m_main.get());
        dialog->showModal();
    });
    main.registerResident(QStringLiteral("frmRestoreBackup"), [this] {
        if (m_base->CurRoleID() != 0) {
            m_prompter->warning(QStringLiteral("只有系统管理员才能恢复备份。"));
            return;
        }
        TfrmRestoreBackup dialog(*m_context, m_main.get()); // the list is read at each use
        dialog.exec();
    });
    main.registerResident(QStringLiteral("frmImport"), [this] {
        TfrmImport dialog(*m_context, m_main.get());
        dialog.exec();
    });
    // A statement opened by its window name shows all goods in the preview (the report menu
    // asks for a category first).
    for (const auto report : {reports::StockReport::BookStock, reports::StockReport::PhysicalStock,
                              reports::StockReport::GoodsList, reports::StockReport::MainStore}) {
        main.registerResident(ReportWindow::windowName(report), [this, report] {
            (new ReportWindow(*m_context, report, reports::menuSelection(report), m_context->preview))->preview();
        });
    }
    main.registerResident(QStringLiteral("frmSetDisplayFormat"), [this] {
        auto *window = m_main->findChild<TfrmSetDisplayFormat *>(QStringLiteral("frmSetDisplayFormat"));
        if (!window)
            window = new TfrmSetDisplayFormat(*m_context, m_main.get()); // keeps its choices
        window->show();
        window->raise();
        window->activateWindow();
    });
    // The payables reports and the stocktaking sheet opened by name: the first vendor's bills,
    // every vendor, the goods with quantities.
    main.registerResident(QStringLiteral("frmRepBuyManage"), [this] {
        accountreports::previewPayablesDetail(*m_context, accountreports::firstVendorWithBills(*m_context), m_context->preview);
    });
    main.registerResident(QStringLiteral("frmRepBuyManTotal"),
                          [this] { accountreports::previewPayablesTotal(*m_context, m_context->preview); });
    main.registerResident(QStringLiteral("frmRepCheck"), [this] {
        accountreports::previewStockCheck(*m_context, reports::GoodsSelection{{}, true}, m_context->preview);
    });
    main.registerResident(QStringLiteral("frmRepCustStatement"),
                          [this] { accountreports::previewFirstCustStatement(*m_context, m_context->preview); });
    main.registerResident(QStringLiteral("frmSetPrn"), [this] { m_context->setPrn->showModal(); });
    // A line-print preview opened by name shows the newest delivery bill.
    main.registerResident(QStringLiteral("frmLinePrintPreview"), [this] { billprinting::previewNewestBill(*m_context); });
    main.registerResident(QStringLiteral("frmTotalTabs"), [this] { m_totalTabs->showWindow(); });
    main.registerResident(QStringLiteral("frmSearchTabs"), [this] { m_context->searchTabs->showWindow(); });
    main.registerResident(QStringLiteral("frmEdInvoices"), [this] { m_invoices->editForCurrentBill(); });
    // Child windows: registerChild<TfrmXxx>("frmXxx") as they are built.
    registerChild<TfrmBaseInfo>(QStringLiteral("frmBaseInfo"));
    registerChild<TfrmScanUselessRecords>(QStringLiteral("frmScanUselessRecords"));
    registerChild<TfrmSetTabItemNo>(QStringLiteral("frmSetTabItemNo"));
    registerChild<TfrmReportsMenu>(QStringLiteral("frmReportsMenu"));
    registerChild<TfrmEdUserInfo>(QStringLiteral("frmEdUserInfo"));
    registerChild<TfrmBrTotal>(QStringLiteral("frmBrTotal"));
    registerChild<TfrmBrCustsDue>(QStringLiteral("frmBrCustsDue"));
    registerChild<TfrmCustStatement>(QStringLiteral("frmCustStatement"));
    registerChild<TfrmBusiness>(QStringLiteral("frmBusiness"));
    registerChild<TfrmBrGoodFlow>(QStringLiteral("frmBrGoodFlow"));
    registerChild<TfrmMarketInfo>(QStringLiteral("frmMarketInfo"));
    registerChild<TfrmStoreCheck>(QStringLiteral("frmStoreCheck"));
    registerChild<TfrmBuyManage>(QStringLiteral("frmBuyManage"));
    registerChild<TfrmProfits>(QStringLiteral("frmProfits"));
}

bool HemuApp::logIn(const QString &path, const QString &user, const QString &password, QString *error)
{
    QList<LoginUser> users;
    if (!Login::connect(m_base->MyADOCnn(), path, &users)) {
        *error = Login::connectFailedText();
        return false;
    }
    int userId = -1;
    for (const LoginUser &candidate : std::as_const(users)) {
        if (candidate.UserName == user) {
            userId = candidate.UserID;
            break;
        }
    }
    CurrentUser admitted;
    switch (Login::check(m_base->MyADOCnn(), userId, password, &admitted)) {
    case Login::Verdict::InvalidUser:
        *error = Login::invalidUserText();
        return false;
    case Login::Verdict::WrongPassword:
        *error = Login::wrongPasswordText();
        return false;
    case Login::Verdict::Admitted:
        break;
    }
    m_base->user() = admitted;
    return true;
}

int HemuApp::run(const StartOptions &options)
{
    TfrmMain &main = *m_main;
    if (!options.openWindow.isEmpty() && !main.windowNames().contains(options.openWindow)) {
        tellError(QStringLiteral("no window is called %1; known windows: %2")
                      .arg(options.openWindow, main.windowNames().join(QStringLiteral(", "))));
        return 1;
    }
    if (!options.accountSet.isEmpty()) {
        m_shell->pendingPath = options.accountSet;
        if (m_dialogs)
            m_dialogs->setFolder(QFileInfo(options.accountSet).absolutePath());
    }
    if (options.hasUser) {
        m_shell->loginGate = [this, options](const QString &path) {
            QString error;
            if (logIn(path, options.user, options.password, &error))
                return true;
            tellError(error);
            m_exitCode = 1;
            return false;
        };
    }
    // What the command line asks for happens once, after the first open: the windows
    // need the account set.
    auto firstOpen = [this](std::function<void()> act) {
        auto done = std::make_shared<bool>(false);
        QObject::connect(m_shell.get(), &AccountSetShell::accountSetOpened, m_main.get(), [done, act] {
            if (!*done) {
                *done = true;
                act();
            }
        }, Qt::QueuedConnection);
    };
    WindowGrab *grab = nullptr;
    if (options.grabbing()) {
        grab = new WindowGrab(main, options.openWindow, options.openPage, options.grabFile, &main);
        firstOpen([grab] { grab->start(); });
        QObject::connect(grab, &WindowGrab::finished, &main, [this, grab](bool ok) {
            if (!ok) {
                tellError(grab->error());
                m_exitCode = 1;
            }
            // Ends the main loop and any modal loop the picture was taken from; a window
            // that opens another loop on its way out is ended too.
            auto *stopper = new QTimer(m_main.get());
            QObject::connect(stopper, &QTimer::timeout, [] { QCoreApplication::exit(0); });
            stopper->start(0);
        });
    } else if (!options.openWindow.isEmpty()) {
        firstOpen([&main, options] {
            QString error;
            main.openWindow(options.openWindow);
            if (!options.openPage.isEmpty() && !showWindowPage(main, options.openWindow, options.openPage, &error))
                tellError(error);
        });
    }
    if (options.grabbing()) {
        // Pictures of one size whatever the screen; no window manager needed.
        main.resize(1024, 720);
        main.show();
        if (options.accountSet.isEmpty())
            QTimer::singleShot(0, grab, &WindowGrab::start);
    } else {
        // A window manager maximises; without one the window still fills the screen.
        main.setGeometry(main.screen()->availableGeometry());
        main.showMaximized();
    }
    const int code = QApplication::exec();
    return m_exitCode ? m_exitCode : code;
}

void HemuApp::useChineseFonts(QApplication &app)
{
    QFont font = app.font();
    font.setFamilies({font.family(), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Source Han Sans SC")});
    app.setFont(font);
}

int HemuApp::exec(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Version 2.0"));
    useChineseFonts(app);
    StartOptions options;
    QString error;
    if (!StartOptions::parse(app.arguments(), &options, &error)) {
        tellError(error);
        return 1;
    }
    try {
        std::unique_ptr<TfrmSplash> splash;
        if (!options.grabbing()) {
            splash = std::make_unique<TfrmSplash>();
            splash->show();
            QApplication::processEvents();
        }
        HemuApp hemu;
        splash.reset();
        return hemu.run(options);
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromLocal8Bit(e.what()));
        QMessageBox::critical(nullptr, QApplication::applicationName(), QStringLiteral("Error"));
        return 1;
    }
}

} // namespace hemu
