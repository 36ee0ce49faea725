#include "ui/widgets/dialogbuttons.h"

#include <QPushButton>

namespace hemu {

QDialogButtonBox *makeDialogButtons(QWidget *parent, std::initializer_list<DialogButton> buttons)
{
    auto *box = new QDialogButtonBox(parent);
    for (const DialogButton &b : buttons) {
        QPushButton *button = box->addButton(b.text, b.role);
        button->setObjectName(QString::fromLatin1(b.objectName));
        button->setAutoDefault(false);
        *b.button = button;
    }
    return box;
}

} // namespace hemu
