#include "ui/masterdata/tfrmpickdate.h"

#include "core/masterdata/pickdate.h"

#include <QCalendarWidget>
#include <QLocale>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

namespace {

QPushButton *stepButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setFixedWidth(36);
    return button;
}

} // namespace

TfrmPickDate::TfrmPickDate(AppContext &context, QWidget *parent)
    : PickerDialog(context, QStringLiteral("frmPickDate"), QStringLiteral("选日期"), parent)
{
    ui.PrevYear = stepButton(this, "PrevYear", QStringLiteral("年"));
    ui.PrevMonthBtn = stepButton(this, "PrevMonthBtn", QStringLiteral("月"));
    ui.NextMonthBtn = stepButton(this, "NextMonthBtn", QStringLiteral("月"));
    ui.NextYear = stepButton(this, "NextYear", QStringLiteral("年"));
    ui.PrevYear->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
    ui.PrevMonthBtn->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    ui.NextMonthBtn->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    ui.NextYear->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
    for (QPushButton *button : {ui.PrevYear, ui.PrevMonthBtn, ui.NextMonthBtn, ui.NextYear})
        button->setFixedWidth(52);
    ui.TitleLabel = new QLabel(this);
    ui.TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    ui.TitleLabel->setAlignment(Qt::AlignCenter);
    QFont titleFont = ui.TitleLabel->font();
    titleFont.setBold(true);
    ui.TitleLabel->setFont(titleFont);
    ui.TitleLabel->setMinimumWidth(200);
    ui.Calendar1 = new QCalendarWidget(this);
    ui.Calendar1->setObjectName(QStringLiteral("Calendar1"));
    ui.Calendar1->setNavigationBarVisible(false);
    ui.Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Weekday names in Chinese whatever the system locale is.
    ui.Calendar1->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    ui.Calendar1->setToolTip(QStringLiteral("双击选定"));
    ui.Calendar1->setMinimumSize(320, 200);
    ui.OkBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("选定"), this);
    ui.OkBtn->setObjectName(QStringLiteral("OkBtn"));
    ui.OkBtn->setDefault(true);
    ui.CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), this);
    ui.CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ui.CancelBtn->setAutoDefault(false);

    connect(ui.PrevYear, &QPushButton::clicked, this, [this] { stepMonths(-12); });
    connect(ui.PrevMonthBtn, &QPushButton::clicked, this, [this] { stepMonths(-1); });
    connect(ui.NextMonthBtn, &QPushButton::clicked, this, [this] { stepMonths(1); });
    connect(ui.NextYear, &QPushButton::clicked, this, [this] { stepMonths(12); });
    connect(ui.Calendar1, &QCalendarWidget::selectionChanged, this,
            [this] { ui.TitleLabel->setText(PickDate::dayTitle(PickedDate(), QLocale::system())); });
    connect(ui.Calendar1, &QCalendarWidget::activated, this, [this] { pickCurrent(); });
    connect(ui.OkBtn, &QPushButton::clicked, this, [this] { pickCurrent(); });
    connect(ui.CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(ui.PrevYear);
    top->addWidget(ui.PrevMonthBtn);
    top->addWidget(ui.TitleLabel, 1);
    top->addWidget(ui.NextMonthBtn);
    top->addWidget(ui.NextYear);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.OkBtn);
    buttons->addWidget(ui.CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ui.Calendar1, 1);
    layout->addLayout(buttons);
}

QDate TfrmPickDate::PickedDate() const
{
    return ui.Calendar1->selectedDate();
}

void TfrmPickDate::stepMonths(int months)
{
    ui.Calendar1->setSelectedDate(PickedDate().addMonths(months));
    ui.Calendar1->setCurrentPage(PickedDate().year(), PickedDate().month());
}

void TfrmPickDate::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        const QDate today = QDate::currentDate();
        const QDate shown = PickDate::calendarOnShow(PickedDate(), today);
        ui.Calendar1->setSelectedDate(shown);
        ui.Calendar1->setCurrentPage(shown.year(), shown.month());
        ui.TitleLabel->setText(PickDate::monthTitle(today));
    }
    PickerDialog::showEvent(event);
}

} // namespace hemu
