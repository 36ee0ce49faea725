#include "ui/shell/titleband.h"

#include <QHBoxLayout>
#include <QLabel>

namespace hemu {

TitleBand::TitleBand(const QString &title, const QPixmap &picture, QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(title, this))
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x1f, 0x4e, 0xb4));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);

    auto *pictureLabel = new QLabel(this);
    pictureLabel->setPixmap(picture);
    QFont font = m_title->font();
    font.setPointSize(font.pointSize() * 2);
    font.setBold(true);
    m_title->setFont(font);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->addWidget(pictureLabel);
    layout->addSpacing(8);
    layout->addWidget(m_title);
    layout->addStretch(1);
}

} // namespace hemu
