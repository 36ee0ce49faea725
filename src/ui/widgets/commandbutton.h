#pragma once

#include <QStyle>

class QPushButton;
class QString;
class QWidget;

namespace hemu {

/// A window's command button: named, with a standard icon, its hint (the text when none is
/// given), and never pressed by Enter in a field of the window.
QPushButton *commandButton(QWidget *parent, const QString &objectName, const QString &text, QStyle::StandardPixmap icon,
                           const QString &hint = {});

} // namespace hemu
