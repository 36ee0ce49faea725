#include "ui/widgets/commandbutton.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace hemu {

QPushButton *commandButton(QWidget *parent, const QString &objectName, const QString &text, QStyle::StandardPixmap icon,
                           const QString &hint)
{
    auto *b = new QPushButton(parent->style()->standardIcon(icon), text, parent);
    b->setObjectName(objectName);
    b->setToolTip(hint.isEmpty() ? text : hint);
    b->setAutoDefault(false);
    return b;
}

QHBoxLayout *commandRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton *b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace hemu
