#pragma once

#include <QStyle>

#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QString;
class QWidget;

namespace hemu {

/// A window's command button: named, with a standard icon, its hint (the text when none is
/// given), and never pressed by Enter in a field of the window.
QPushButton *commandButton(QWidget *parent, const QString &objectName, const QString &text, QStyle::StandardPixmap icon,
                           const QString &hint = {});

/// A row of command buttons at the right edge (a window's bottom row).
QHBoxLayout *commandRow(std::initializer_list<QPushButton *> buttons);

} // namespace hemu
