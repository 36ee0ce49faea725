#include "ui/admin/tfrmscanuselessrecords.h"

#include "core/admin/orphanscan.h"
#include "core/data/basedata.h"
#include "core/prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hemu {

TfrmScanUselessRecords::TfrmScanUselessRecords(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmScanUselessRecords"))
{
    setWindowTitle(QStringLiteral("扫描单据明细孤行"));
    ui.Memo1 = new QPlainTextEdit(this);
    ui.Memo1->setObjectName(QStringLiteral("Memo1"));
    ui.Memo1->setReadOnly(true);
    ui.Button2 = new QPushButton(QStringLiteral("扫描"), this);
    ui.Button2->setObjectName(QStringLiteral("Button2"));
    ui.CheckBox1 = new QCheckBox(QStringLiteral("扫描并删除"), this);
    ui.CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    auto *side = new QVBoxLayout;
    side->addWidget(ui.Button2);
    side->addWidget(ui.CheckBox1);
    side->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(ui.Memo1, 1);
    layout->addLayout(side);
    resize(520, 360);

    connect(ui.Button2, &QPushButton::clicked, this, &TfrmScanUselessRecords::Button2Click);
}

void TfrmScanUselessRecords::Button2Click()
{
    ui.Memo1->clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const OrphanScan::Result r = OrphanScan::run(base().MyADOCnn(), ui.CheckBox1->isChecked());
    QApplication::restoreOverrideCursor();
    ui.Memo1->setPlainText(r.log.join(QLatin1Char('\n')));
    if (!r.ok)
        prompter().warning(r.error);
}

} // namespace hemu
