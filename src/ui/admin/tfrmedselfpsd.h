#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace hemu {

struct AppContext;

/**
 * "改变口令": the logged-in user changes his or her own password. Resident: the three password
 * boxes keep what was typed between uses.
 */
class TfrmEdSelfPsd : public QDialog
{
    Q_OBJECT
public:
    TfrmEdSelfPsd(AppContext &context, QWidget *parent);

    /// Shows the window modally on the logged-in user's row; a missing row is told and the
    /// window does not open.
    void showForCurrentUser();

    struct Ui
    {
        QLineEdit *edUserName;
        QLineEdit *edRole;
        QLineEdit *edDescription;
        QLineEdit *EdOldPsd;
        QLineEdit *EdNewPsd;
        QLineEdit *EdChkNewPsd;
        QPushButton *btnOK;
        QPushButton *btnCancel;
    } ui;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnOKClick();
    AppContext &m_context;
};

} // namespace hemu
