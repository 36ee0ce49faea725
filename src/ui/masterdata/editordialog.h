#pragma once

#include "ui/kit/appcontext.h"

#include <QDialog>

class QFormLayout;
class QPushButton;
class QVBoxLayout;

namespace hemu {

class Dataset;
class FormBuilder;
class Navigator;

/**
 * The base of the single-row editors (goods, category, unit, opening balance): a resident
 * dialog over the current row of one shared dataset of BaseData, with "保存" (OK) and
 * "取消" (Cancel). What the dialog ends with decides the pending change: OK posts it, any
 * other end cancels it.
 *
 *     // "添加": a new category, edited in the dialog
 *     editors.frmEdCata->editRow(EditorDialog::Start::Append);
 */
class EditorDialog : public QDialog
{
    Q_OBJECT
public:
    enum Result { Cancel = QDialog::Rejected, Ok = QDialog::Accepted };
    /// What editRow() does before it shows the dialog.
    enum class Start {
        Append, ///< appends a row to edit
        Edit,   ///< edits the current row; the dataset stands on it again afterwards
        AsIs,   ///< the caller has already put the dataset into the state it wants
    };

    EditorDialog(AppContext &context, const QString &objectName, const QString &caption, Dataset *dataset,
                 QWidget *parent);

    Dataset *dataset() const { return m_dataset; }
    AppContext &context() const { return m_context; }

    /// Shows the dialog modally over the dataset's current row: OK posts what is pending,
    /// anything else cancels it.
    Result editRow(Start start);

    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }

public slots:
    /// "保存": posts the pending row; the dialog stays open while the post failed and the
    /// row is still pending (the user has been told why).
    void accept() override;
    /// "取消" or the close box: the pending change is dropped.
    void reject() override;

protected:
    /// The area above the buttons the editor lays itself out in.
    QVBoxLayout *body() const { return m_body; }
    /// A form of labelled fields over the dataset, added to the body.
    FormBuilder form(QFormLayout *layout);
    /// A navigator over the dataset with `buttons`, added to the body.
    Navigator *addNavigator(int buttons);

private:
    AppContext &m_context;
    Dataset *m_dataset;
    QVBoxLayout *m_body;
    QPushButton *m_save;
    QPushButton *m_cancel;
};

} // namespace hemu
