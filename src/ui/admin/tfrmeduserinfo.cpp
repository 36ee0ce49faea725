#include "ui/admin/tfrmeduserinfo.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/dialogbuttons.h"
#include "ui/widgets/fieldbinders.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace hemu {

TfrmEdUserInfo::TfrmEdUserInfo(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmEdUserInfo"))
{
    setWindowTitle(QStringLiteral("用户设置"));
    setAttribute(Qt::WA_DeleteOnClose);
    Dataset *info = base().UserInfo;
    // A set without its owner row gets one, written only by "保存".
    if (info->isOpen() && info->rowCount() == 0)
        info->append();

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    FormBuilder fields(this, info, form);
    ui.edName = fields.line(QStringLiteral("用户单位名称"), QStringLiteral("edName"), QStringLiteral("Name"));
    ui.edAddress = fields.line(QStringLiteral("地址"), QStringLiteral("edAddress"), QStringLiteral("Address"));
    ui.lbID = fields.label(QStringLiteral("编号"), QStringLiteral("lbID"), QStringLiteral("id"));
    ui.lbCarryDate = fields.label(QStringLiteral("上次结转日期:"), QStringLiteral("lbCarryDate"), QStringLiteral("结转时间"));
    ui.edName->setMinimumWidth(320);
    QDialogButtonBox *buttons = makeDialogButtons(this, {
        {&ui.btnSave, "btnSave", QStringLiteral("保存"), QDialogButtonBox::AcceptRole},
        {&ui.btnCancel, "btnCancel", QStringLiteral("取消"), QDialogButtonBox::RejectRole},
    });
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog border

    connect(ui.btnSave, &QPushButton::clicked, this, &TfrmEdUserInfo::btnSaveClick);
    connect(ui.btnCancel, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

void TfrmEdUserInfo::btnSaveClick()
{
    // A save that failed (another program changed the row meanwhile, the file is busy) has
    // been told; the window stays open with the row as it now is.
    if (FieldBinder::savePending(base().UserInfo, this))
        closeWindow();
}

void TfrmEdUserInfo::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (m_framed)
        return;
    m_framed = true;
    // A dialog's frame: a title and a close box, nothing to maximise or minimise.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint);
        frame->show();
    }
}

bool TfrmEdUserInfo::canClose()
{
    Dataset &info = *base().UserInfo;
    if (info.isEditing())
        info.cancel();
    return true;
}

} // namespace hemu
