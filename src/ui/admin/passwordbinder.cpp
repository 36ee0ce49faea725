#include "ui/admin/passwordbinder.h"

#include "core/admin/userpassword.h"
#include "core/dataset/dataset.h"
#include "core/db/passwordhash.h"

#include <QLineEdit>

namespace hemu {

PasswordBinder::PasswordBinder(QLineEdit *edit, Dataset *psd)
    : FieldBinder(edit, psd, QStringLiteral("Password"))
    , m_edit(edit)
{
    edit->setMaxLength(MaxPasswordLength);
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (m_dirty)
            return;
        m_dirty = true;
        Dataset *ds = dataset();
        if (ds && !ds->isEditing() && !errors().report(ds->edit())) {
            m_dirty = false;
            refresh();
        }
    });
    connect(edit, &QLineEdit::editingFinished, this, &PasswordBinder::commit);
    refresh();
}

bool PasswordBinder::commit()
{
    if (!m_dirty)
        return true;
    m_dirty = false;
    Dataset *ds = dataset();
    const QString typed = m_edit->text();
    if (typed.isEmpty() || !ds || !canModify()) {
        m_assigned = false;
        return true;
    }
    // Hashing takes a moment: it is done once, when the typing is handed over.
    m_assigned = true;
    const QString error = UserPassword::assign(*ds, typed);
    if (!error.isEmpty()) {
        m_assigned = false;
        errors().report(DatasetError(DatasetError::Code::Validation, error));
        refresh();
        return false;
    }
    return true;
}

void PasswordBinder::showValue(const QVariant &, bool hasRecord)
{
    // What was typed stays while its row is pending; any other row shows an empty box.
    if (hasRecord && dataset()->isEditing() && (m_dirty || m_assigned))
        return;
    m_dirty = false;
    m_assigned = false;
    if (!m_edit->text().isEmpty())
        m_edit->clear();
}

void PasswordBinder::applyReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
}

} // namespace hemu
