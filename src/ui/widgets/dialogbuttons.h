#pragma once

#include <QDialogButtonBox>
#include <QString>

#include <initializer_list>

class QPushButton;

namespace hemu {

/** One push button of a dialog's button row: where to keep it, its object name and text. */
struct DialogButton
{
    QPushButton **button;
    const char *objectName;
    QString text;
    QDialogButtonBox::ButtonRole role;
};

/// The row of buttons at the foot of a dialog ("确定", "取消", ...), in the platform's order.
/// None is a default button: Enter in an edit box must not close the window behind the
/// user's back.
QDialogButtonBox *makeDialogButtons(QWidget *parent, std::initializer_list<DialogButton> buttons);

} // namespace hemu
