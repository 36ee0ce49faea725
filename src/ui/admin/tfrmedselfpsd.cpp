#include "ui/admin/tfrmedselfpsd.h"

#include "core/admin/ownpassword.h"
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/kit/appcontext.h"
#include "ui/widgets/dialogbuttons.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace hemu {

namespace {

QLineEdit *passwordBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

QLineEdit *shownBox(QWidget *parent, const QString &name, bool enabled)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setEnabled(enabled);
    return box;
}

} // namespace

TfrmEdSelfPsd::TfrmEdSelfPsd(AppContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmEdSelfPsd"));
    setWindowTitle(QStringLiteral("改变口令"));
    ui.edUserName = shownBox(this, QStringLiteral("edUserName"), true);
    ui.edRole = shownBox(this, QStringLiteral("edRole"), false);
    ui.edDescription = shownBox(this, QStringLiteral("edDescription"), false);
    ui.EdOldPsd = passwordBox(this, QStringLiteral("EdOldPsd"));
    ui.EdNewPsd = passwordBox(this, QStringLiteral("EdNewPsd"));
    ui.EdChkNewPsd = passwordBox(this, QStringLiteral("EdChkNewPsd"));
    ui.EdNewPsd->installEventFilter(this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("用户名称"), ui.edUserName);
    form->addRow(QStringLiteral("权限"), ui.edRole);
    form->addRow(QString(), ui.edDescription);
    form->addRow(QStringLiteral("原有口令"), ui.EdOldPsd);
    form->addRow(QStringLiteral("新设口令"), ui.EdNewPsd);
    form->addRow(QStringLiteral("核对口令"), ui.EdChkNewPsd);
    QDialogButtonBox *buttons = makeDialogButtons(this, {
        {&ui.btnOK, "btnOK", QStringLiteral("确定"), QDialogButtonBox::AcceptRole},
        {&ui.btnCancel, "btnCancel", QStringLiteral("取消"), QDialogButtonBox::RejectRole},
    });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);

    connect(ui.btnOK, &QPushButton::clicked, this, &TfrmEdSelfPsd::btnOKClick);
    connect(ui.btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEdSelfPsd::showForCurrentUser()
{
    BaseData &base = m_context.base;
    if (!OwnPassword::gotoUser(*base.Psd, base.CurUserID())) {
        m_context.prompter.warning(QStringLiteral("严重错误：未找到当前用户。"));
        return;
    }
    const QVariant roleId = base.Psd->value(QStringLiteral("RoleID"));
    base.lkRole->locate(QStringLiteral("RoleID"), roleId);
    ui.edUserName->setText(base.Psd->value(QStringLiteral("UserName")).toString());
    ui.edRole->setText(base.Psd->value(QStringLiteral("Role")).toString());
    ui.edDescription->setText(base.lkRole->value(QStringLiteral("Description")).toString());
    ui.EdOldPsd->setFocus();
    exec();
}

bool TfrmEdSelfPsd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui.EdNewPsd && event->type() == QEvent::FocusIn
        && !OwnPassword::oldMatches(*m_context.base.Psd, ui.EdOldPsd->text())) {
        // Back to the old password first; the box comes after this focus change has ended,
        // so that closing it does not enter the new-password box again.
        ui.EdOldPsd->setFocus();
        QTimer::singleShot(0, this, [this] { m_context.prompter.warning(OwnPassword::wrongOldText()); });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEdSelfPsd::btnOKClick()
{
    const QString refusal
        = OwnPassword::change(*m_context.base.Psd, ui.EdOldPsd->text(), ui.EdNewPsd->text(), ui.EdChkNewPsd->text());
    if (!refusal.isEmpty()) {
        m_context.prompter.warning(refusal);
        return;
    }
    accept();
}

} // namespace hemu
