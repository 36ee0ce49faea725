#include "ui/widgets/speedbutton.h"

#include <QToolButton>

namespace hemu {

QToolButton *makeSpeedButton(QWidget *parent, const QString &name, const QString &text, QStyle::StandardPixmap icon,
                             const QString &hint)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setText(text);
    b->setToolTip(hint.isEmpty() ? text : hint);
    b->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    return b;
}

} // namespace hemu
