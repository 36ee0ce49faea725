#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hemu {

struct AppContext;
class DataGrid;
class Navigator;

/**
 * "设定用户权限": the users of the account set, their roles and passwords. Resident and modal;
 * works on the shared user dataset. The grid shows a mask in place of every password; a new
 * one is typed into "分配口令" and stored as its hash.
 */
class TfrmEdRight : public QDialog
{
    Q_OBJECT
public:
    TfrmEdRight(AppContext &context, QWidget *parent);

    /// Shows the window modally on the user table at its current row.
    void showModal();

    struct Ui
    {
        DataGrid *DBGrid1;
        Navigator *DBNavigator1;
        QComboBox *cbUserName;    // 用户名称
        QComboBox *cbRole;        // 用户权限
        QLineEdit *edPassword;    // 分配口令
        QLabel *lbDescription;    // the role's description
        QPushButton *btnOK;
        QPushButton *btnCancel;
    } ui;

public slots:
    void reject() override;

private:
    void btnOKClick();
    void showRoleDescription();
    AppContext &m_context;
};

} // namespace hemu
