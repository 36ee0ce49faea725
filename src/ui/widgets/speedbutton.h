#pragma once

#include <QStyle>
#include <QString>

class QToolButton;
class QWidget;

namespace hemu {

/// A flat tool-bar button of a window: named (tests find it by `name`), a standard icon,
/// its text beside the icon (none when `text` is empty) and a hint (the text when none).
QToolButton *makeSpeedButton(QWidget *parent, const QString &name, const QString &text, QStyle::StandardPixmap icon,
                             const QString &hint = {});

} // namespace hemu
