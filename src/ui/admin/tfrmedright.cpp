#include "ui/admin/tfrmedright.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/admin/passwordbinder.h"
#include "ui/kit/appcontext.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/datasetwatcher.h"
#include "ui/widgets/dialogbuttons.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hemu {

TfrmEdRight::TfrmEdRight(AppContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmEdRight"));
    setWindowTitle(QStringLiteral("设定用户权限"));
    BaseData &base = context.base;

    ui.DBGrid1 = new DataGrid(this);
    ui.DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    ui.DBGrid1->setReadOnly(true);
    ui.DBGrid1->setColumns({
        {.field = QStringLiteral("UserID"), .title = QStringLiteral("用户码"), .width = 60},
        {.field = QStringLiteral("UserName"), .title = QStringLiteral("用户名称"), .width = 110},
        {.field = QStringLiteral("PasswordMask"), .title = QStringLiteral("口令"), .width = 80},
        {.field = QStringLiteral("RoleID"), .title = QStringLiteral("权限值"), .width = 60},
        {.field = QStringLiteral("Role"), .title = QStringLiteral("权限"), .width = 110},
    });
    ui.DBGrid1->setDataset(base.Psd);
    ui.DBGrid1->horizontalHeader()->setStretchLastSection(true);

    ui.DBNavigator1 = new Navigator(this);
    ui.DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    ui.DBNavigator1->setDataset(base.Psd);

    auto *panel = new QGroupBox(this);
    auto *form = new QFormLayout(panel);
    FormBuilder fields(panel, base.Psd, form);
    ui.cbUserName = fields.lookup(QStringLiteral("用户名称"), QStringLiteral("cbUserName"), QStringLiteral("UserName"));
    ui.cbRole = fields.lookup(QStringLiteral("用户权限"), QStringLiteral("cbRole"), QStringLiteral("Role"));
    ui.edPassword = new QLineEdit(panel);
    ui.edPassword->setObjectName(QStringLiteral("edPassword"));
    ui.edPassword->setPlaceholderText(QStringLiteral("不改口令则留空"));
    new PasswordBinder(ui.edPassword, base.Psd);
    form->addRow(QStringLiteral("分配口令："), ui.edPassword);
    ui.lbDescription = new QLabel(this);
    ui.lbDescription->setObjectName(QStringLiteral("lbDescription"));
    ui.lbDescription->setWordWrap(true);
    ui.lbDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui.lbDescription->setFrameShape(QFrame::StyledPanel);
    ui.lbDescription->setMinimumWidth(180);
    new LabelBinder(ui.lbDescription, base.lkRole, QStringLiteral("Description"));

    auto *edit = new QHBoxLayout;
    edit->addWidget(panel, 3);
    edit->addWidget(ui.lbDescription, 2);

    QDialogButtonBox *buttons = makeDialogButtons(this, {
        {&ui.btnOK, "btnOK", QStringLiteral("确定"), QDialogButtonBox::AcceptRole},
        {&ui.btnCancel, "btnCancel", QStringLiteral("取消"), QDialogButtonBox::RejectRole},
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.DBGrid1, 1);
    layout->addWidget(ui.DBNavigator1);
    layout->addLayout(edit);
    layout->addWidget(buttons);
    resize(520, 420);

    connect(ui.btnOK, &QPushButton::clicked, this, &TfrmEdRight::btnOKClick);
    connect(ui.btnCancel, &QPushButton::clicked, this, &TfrmEdRight::reject);
    // A new user begins with the choice of the employee.
    connect(ui.DBNavigator1, &Navigator::actionDone, this, [this](Navigator::Button which, bool ok) {
        if (which == Navigator::Insert && ok)
            ui.cbUserName->setFocus();
    });
    DatasetWatcher::subscribe(base.Psd, this, DatasetWatcher::CurrentRecord, [this] { showRoleDescription(); });
}

void TfrmEdRight::showModal()
{
    showRoleDescription();
    exec();
}

void TfrmEdRight::showRoleDescription()
{
    // The box beside the panel follows the role list; the list follows the user row's role.
    BaseData &base = m_context.base;
    if (base.lkRole->isOpen() && base.Psd->isOpen() && base.Psd->rowCount() > 0)
        base.lkRole->locate(QStringLiteral("RoleID"), base.Psd->value(QStringLiteral("RoleID")));
}

void TfrmEdRight::btnOKClick()
{
    // A refused save has been told (a duplicate user is dropped by the data module's rule):
    // the window stays open either way.
    if (FieldBinder::savePending(m_context.base.Psd, this))
        accept();
}

void TfrmEdRight::reject()
{
    Dataset &psd = *m_context.base.Psd;
    if (psd.isEditing())
        psd.cancel();
    QDialog::reject();
}

} // namespace hemu
