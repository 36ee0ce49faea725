#include "ui/admin/tfrmsetdisplayformat.h"

#include "core/admin/displayformatchoice.h"
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"
#include "ui/kit/appcontext.h"
#include "ui/widgets/dialogbuttons.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace hemu {

TfrmSetDisplayFormat::TfrmSetDisplayFormat(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmSetDisplayFormat"));
    setWindowTitle(QStringLiteral("设置数据显示格式"));

    ui.rdbSetDigital = new QGroupBox(QStringLiteral("指定小数位数"), this);
    ui.rdbSetDigital->setObjectName(QStringLiteral("rdbSetDigital"));
    ui.digits = new QButtonGroup(this);
    auto *grid = new QGridLayout(ui.rdbSetDigital);
    const QStringList texts = DisplayFormatChoice::decimalsTexts();
    const int rows = int(texts.size() + 1) / 2; // two columns, filled downwards
    for (int d = 0; d < texts.size(); ++d) {
        auto *radio = new QRadioButton(texts[d], ui.rdbSetDigital);
        radio->setObjectName(QStringLiteral("rbDigits%1").arg(d));
        ui.digits->addButton(radio, d);
        grid->addWidget(radio, d % rows, d / rows);
    }

    ui.lePositive = new QLineEdit(this);
    ui.lePositive->setObjectName(QStringLiteral("lePositive"));
    ui.leNegative = new QLineEdit(this);
    ui.leNegative->setObjectName(QStringLiteral("leNegative"));
    ui.edResult = new QLineEdit(this);
    ui.edResult->setObjectName(QStringLiteral("edResult"));
    ui.edResult->setEnabled(false);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("正数前的文字："), ui.lePositive);
    form->addRow(QStringLiteral("负数前的文字："), ui.leNegative);
    form->addRow(QStringLiteral("显示格式："), ui.edResult);

    QDialogButtonBox *buttons = makeDialogButtons(this, {
        {&ui.btApply, "btApply", QStringLiteral("应用"), QDialogButtonBox::ApplyRole},
        {&ui.btConfirm, "btConfirm", QStringLiteral("确定"), QDialogButtonBox::AcceptRole},
        {&ui.btCancel, "btCancel", QStringLiteral("取消"), QDialogButtonBox::RejectRole},
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.rdbSetDigital);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(340);

    connect(ui.btApply, &QPushButton::clicked, this, &TfrmSetDisplayFormat::btApplyClick);
    connect(ui.btConfirm, &QPushButton::clicked, this, &TfrmSetDisplayFormat::btConfirmClick);
    connect(ui.btCancel, &QPushButton::clicked, this, &QDialog::hide);
}

bool TfrmSetDisplayFormat::btApplyClick()
{
    QString error;
    const QString format
        = DisplayFormatChoice::build(ui.digits->checkedId(), ui.lePositive->text(), ui.leNegative->text(), &error);
    if (format.isEmpty()) {
        m_context.prompter.warning(error);
        return false;
    }
    AccountSetShell &shell = m_context.shell;
    shell.DataFormatText = format;
    ui.edResult->setText(format);
    shell.ApplyDisplayFormat();
    return true;
}

void TfrmSetDisplayFormat::btConfirmClick()
{
    if (!btApplyClick())
        return;
    BaseData &base = m_context.base;
    QString error;
    if (!DisplayFormatChoice::store(base.MyADOCnn(), m_context.shell.DataFormatText, &error)) {
        m_context.prompter.warning(error);
        return;
    }
    if (base.tbStyle->isOpen())
        base.tbStyle->refresh();
    hide();
}

} // namespace hemu
