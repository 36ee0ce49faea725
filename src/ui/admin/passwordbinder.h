#pragma once

#include "ui/widgets/fieldbinders.h"

class QLineEdit;

namespace hemu {

/**
 * A QLineEdit that gives the current user row a new password: it never shows what is stored
 * (a hash), only what is being typed for the pending row, and assigns the hash of the typed
 * text. Left empty, the password stays as it was.
 */
class PasswordBinder : public FieldBinder
{
    Q_OBJECT
public:
    PasswordBinder(QLineEdit *edit, Dataset *psd);
    bool commit() override;

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;

private:
    QLineEdit *m_edit;
    bool m_dirty = false;    // typed, not yet assigned
    bool m_assigned = false; // the pending row holds the hash of what the box shows
};

} // namespace hemu
