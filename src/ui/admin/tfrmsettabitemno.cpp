#include "ui/admin/tfrmsettabitemno.h"

#include "core/admin/renumbering.h"
#include "core/data/basedata.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "ui/widgets/barprogress.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace hemu {

QString TfrmSetTabItemNo::explanationText()
{
    return QStringLiteral("    执行本过程的目的，主要是为单据的\n明细项编号。其次可以计算所有明细项的\n数量。需要较多时间，执行过程中等候完\n成通知，关闭次窗体。");
}

TfrmSetTabItemNo::TfrmSetTabItemNo(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmSetTabItemNo"))
{
    setWindowTitle(QStringLiteral("为单据明细项编号"));
    ui.Memo1 = new QPlainTextEdit(this);
    ui.Memo1->setObjectName(QStringLiteral("Memo1"));
    ui.Memo1->setReadOnly(true);
    ui.Memo1->setPlainText(explanationText());
    ui.ProgressBar1 = new QProgressBar(this);
    ui.ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    BarProgress::reset(ui.ProgressBar1);
    ui.ProgressBar1->setTextVisible(false);
    ui.Button2 = new QPushButton(QStringLiteral("执行"), this);
    ui.Button2->setObjectName(QStringLiteral("Button2"));
    ui.Button1 = new QPushButton(QStringLiteral("关闭"), this);
    ui.Button1->setObjectName(QStringLiteral("Button1"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.Button2);
    buttons->addWidget(ui.Button1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.Memo1, 1);
    layout->addWidget(ui.ProgressBar1);
    layout->addLayout(buttons);
    resize(400, 300);

    connect(ui.Button2, &QPushButton::clicked, this, &TfrmSetTabItemNo::Button2Click);
    connect(ui.Button1, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

void TfrmSetTabItemNo::Button2Click()
{
    ui.Memo1->clear();
    BarProgress::reset(ui.ProgressBar1);
    BarProgress progress(ui.ProgressBar1);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Renumbering::Result r = Renumbering::run(base().MyADOCnn(), progress);
    QApplication::restoreOverrideCursor();
    ui.Memo1->setPlainText(r.log.join(QLatin1Char('\n')));
    if (!r.ok)
        prompter().warning(r.error);
}

} // namespace hemu
