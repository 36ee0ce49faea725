#include "ui/shell/tfrmpassworddlg.h"

#include "core/data/basedata.h"
#include "core/prompter.h"
#include "core/shell/login.h"
#include "ui/shell/titleband.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

namespace {

/// Typed passwords are at most this long.
constexpr int PasswordLength = 10;

} // namespace

TfrmPasswordDlg::TfrmPasswordDlg(BaseData &base, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_base(base)
    , m_prompter(prompter)
    , ComboBox1(new QComboBox(this))
    , edPassword(new QLineEdit(this))
    , BitBtn1(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("确定"), this))
    , BitBtn2(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("frmPasswordDlg"));
    setWindowTitle(QStringLiteral("用户登录"));
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumWidth(180);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*" per character
    edPassword->setMaxLength(PasswordLength);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->setContentsMargins(24, 16, 24, 8);
    form->setVerticalSpacing(10);
    form->setHorizontalSpacing(12);
    form->addRow(QStringLiteral("用户名:"), ComboBox1);
    form->addRow(QStringLiteral("密码:"), edPassword);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(24, 8, 24, 16);
    buttons->addStretch(1);
    buttons->setSpacing(10);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *band = new TitleBand(QStringLiteral("登录"), style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(40, 40), this);
    band->setObjectName(QStringLiteral("pnlHeader"));
    layout->addWidget(band);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

bool TfrmPasswordDlg::login(const QString &path)
{
    setFileName(path);
    return exec() == QDialog::Accepted;
}

void TfrmPasswordDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmPasswordDlg::FormShow()
{
    QList<LoginUser> users;
    const bool connected = Login::connect(m_base.MyADOCnn(), m_fileName, &users);
    ComboBox1->clear();
    edPassword->clear();
    m_userIds.clear();
    for (const LoginUser &user : users) {
        ComboBox1->addItem(user.UserName);
        m_userIds.append(user.UserID);
    }
    edPassword->setFocus();
    if (!connected)
        m_prompter.message(Login::connectFailedText());
}

bool TfrmPasswordDlg::admitSelectedUser()
{
    const int row = ComboBox1->currentIndex();
    const int userId = row >= 0 && row < m_userIds.size() ? m_userIds.at(row) : -1;
    CurrentUser user;
    switch (Login::check(m_base.MyADOCnn(), userId, edPassword->text(), &user)) {
    case Login::Verdict::InvalidUser:
        m_prompter.warning(Login::invalidUserText());
        return false;
    case Login::Verdict::WrongPassword:
        m_prompter.message(Login::wrongPasswordText());
        edPassword->setFocus();
        return false;
    case Login::Verdict::Admitted:
        break;
    }
    m_base.user() = user;
    return true;
}

void TfrmPasswordDlg::done(int result)
{
    if (result == QDialog::Accepted && !admitSelectedUser())
        return;
    QDialog::done(result);
    ComboBox1->clear();
    m_userIds.clear();
    // The typed password has no business staying in a hidden, resident window.
    edPassword->clear();
}

} // namespace hemu
