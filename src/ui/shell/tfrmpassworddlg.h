#pragma once

#include <QDialog>
#include <QList>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace hemu {

class BaseData;
class Prompter;

/**
 * The login dialog every opening of an account set passes through: connects to the
 * chosen file, lists its users and admits one by password into BaseData's current user.
 */
class TfrmPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    TfrmPasswordDlg(BaseData &base, Prompter &prompter, QWidget *parent = nullptr);

    /// The account-set file the next showing connects to.
    void setFileName(const QString &path) { m_fileName = path; }
    QString fileName() const { return m_fileName; }
    /// Connects to `path` and shows the dialog modally; true when a user logged in.
    bool login(const QString &path);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    /// The checks before OK may close the dialog; true admits the selected user.
    bool admitSelectedUser();

    BaseData &m_base;
    Prompter &m_prompter;
    QString m_fileName;
    QList<int> m_userIds; // parallel to the items of ComboBox1
    QComboBox *ComboBox1;
    QLineEdit *edPassword;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
};

} // namespace hemu
