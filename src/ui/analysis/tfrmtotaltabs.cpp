#include "ui/analysis/tfrmtotaltabs.h"

#include "core/analysis/totalsrange.h"
#include "core/bills/periodoperations.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/format/datetext.h"
#include "core/prompter.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/widgets/logprogress.h"
#include "ui/widgets/promptchannel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

namespace {

QToolButton *dateButton(QWidget *parent, const char *name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QStringLiteral("…"));
    button->setToolTip(QStringLiteral("输入日期"));
    button->setAutoRaise(true);
    return button;
}

QLineEdit *dateField(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(10);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 16);
    return edit;
}

QLabel *boldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TfrmTotalTabs::TfrmTotalTabs(AppContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmTotalTabs"));
    setWindowTitle(QStringLiteral("汇总单据..."));
    setModal(false);
    PromptChannel::attach(this, &context.prompter);

    ui.Label2 = boldLabel(QStringLiteral("设置日期范围"), this);
    ui.Label2->setObjectName(QStringLiteral("Label2"));
    ui.Label2->setAlignment(Qt::AlignCenter);
    ui.edBeginDate = dateField(this, "edBeginDate");
    ui.SpeedButton1 = dateButton(this, "SpeedButton1");
    ui.Label4 = boldLabel(QStringLiteral("<日期<="), this);
    ui.Label4->setObjectName(QStringLiteral("Label4"));
    ui.edEndDate = dateField(this, "edEndDate");
    ui.SpeedButton2 = dateButton(this, "SpeedButton2");
    ui.Label1 = new QLabel(QStringLiteral("上次结转日期"), this);
    ui.Label1->setObjectName(QStringLiteral("Label1"));
    ui.Label1->setAlignment(Qt::AlignCenter);
    ui.Label1->setStyleSheet(QStringLiteral("color: red;"));
    ui.Memo1 = new QPlainTextEdit(this);
    ui.Memo1->setObjectName(QStringLiteral("Memo1"));
    ui.Memo1->setReadOnly(true);
    ui.Memo1->setMinimumHeight(130);
    ui.ProgressBar1 = new QProgressBar(this);
    ui.ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ui.ProgressBar1->setTextVisible(false);
    ui.ProgressBar1->hide();
    ui.SpeedButton3 = new QPushButton(QStringLiteral("汇总"), this);
    ui.SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    ui.SpeedButton3->setAutoDefault(false);
    ui.SpeedButton4 = new QPushButton(QStringLiteral("退出"), this);
    ui.SpeedButton4->setObjectName(QStringLiteral("SpeedButton4"));
    ui.SpeedButton4->setAutoDefault(false);

    auto *dates = new QGridLayout;
    dates->addWidget(new QLabel(QStringLiteral("开始日期"), this), 0, 0, 1, 2, Qt::AlignLeft);
    dates->addWidget(new QLabel(QStringLiteral("终止日期"), this), 0, 3, 1, 2, Qt::AlignLeft);
    dates->addWidget(ui.edBeginDate, 1, 0);
    dates->addWidget(ui.SpeedButton1, 1, 1);
    dates->addWidget(ui.Label4, 1, 2, Qt::AlignCenter);
    dates->addWidget(ui.edEndDate, 1, 3);
    dates->addWidget(ui.SpeedButton2, 1, 4);
    dates->setColumnMinimumWidth(2, 70);
    auto *centred = new QHBoxLayout;
    centred->addStretch();
    centred->addLayout(dates);
    centred->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.SpeedButton3);
    buttons->addWidget(ui.SpeedButton4);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.Label2);
    layout->addLayout(centred);
    layout->addWidget(ui.Label1);
    layout->addWidget(ui.Memo1, 1);
    layout->addWidget(ui.ProgressBar1);
    layout->addLayout(buttons);
    resize(360, 330);

    connect(ui.SpeedButton1, &QToolButton::clicked, this, [this] { pickDate(ui.edBeginDate); });
    connect(ui.SpeedButton2, &QToolButton::clicked, this, [this] { pickDate(ui.edEndDate); });
    connect(ui.SpeedButton3, &QPushButton::clicked, this, &TfrmTotalTabs::SpeedButton3Click);
    connect(ui.SpeedButton4, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmTotalTabs::showWindow()
{
    if (m_running)
        return;
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    // In the middle of the screen, whatever the main window's place.
    if (QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void TfrmTotalTabs::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        applyDefaults();
    QDialog::showEvent(event);
}

void TfrmTotalTabs::applyDefaults()
{
    ui.ProgressBar1->hide();
    ui.Memo1->clear();
    const TotalsRange::Defaults d =
        TotalsRange::defaults(QDate::currentDate(), PeriodOperations::lastCarryForward(m_context.base.MyADOCnn()));
    ui.edEndDate->setText(d.end);
    ui.edBeginDate->setText(d.begin);
    ui.Label1->setText(d.carryText);
}

void TfrmTotalTabs::pickDate(QLineEdit *target)
{
    if (m_running || !m_context.pickers)
        return;
    TfrmPickDate *picker = m_context.pickers->frmPickDate;
    if (picker->pick() == PickerDialog::Ok)
        target->setText(isoDateText(picker->PickedDate()));
}

void TfrmTotalTabs::SpeedButton3Click()
{
    if (m_running)
        return;
    ui.Memo1->clear();
    ui.Memo1->repaint();
    const QString begin = ui.edBeginDate->text();
    const QString end = ui.edEndDate->text();
    const TotalsRange::Verdict verdict = TotalsRange::check(begin, end);
    if (verdict != TotalsRange::Verdict::Ok) {
        m_context.prompter.warning(TotalsRange::refusalText(verdict));
        return;
    }
    m_running = true;
    LogProgress progress(ui.Memo1, ui.ProgressBar1);
    QString error;
    const bool ok = m_context.tab.RecalcTotals(begin, end, progress, &error);
    // Clicks made while the run held the window are stale once it is over.
    QCoreApplication::processEvents();
    m_running = false;
    ui.ProgressBar1->hide();
    if (!ok) {
        m_context.prompter.warning(TotalsRange::badDateText());
        // A failure that was no date at all (the file held by another program, a damaged
        // file) is told as what it was.
        if (!error.isEmpty() && error != TotalsRange::badDateText())
            m_context.prompter.warning(error);
    }
}

void TfrmTotalTabs::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmTotalTabs::keyPressEvent(QKeyEvent *event)
{
    // Esc hides the window like its close box; a running recalculation keeps it.
    if (event->key() == Qt::Key_Escape && m_running) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace hemu
