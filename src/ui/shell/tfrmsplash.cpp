#include "ui/shell/tfrmsplash.h"

#include "ui/shell/tfrnamecard.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

TfrmSplash::TfrmSplash(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("欢迎使用"));

    auto *picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(48, 48));
    picture->setAlignment(Qt::AlignCenter);

    auto *title = new QLabel(QStringLiteral("禾木商务管理"), this);
    title->setObjectName(QStringLiteral("lbTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    auto *version = new QLabel(QStringLiteral("Version 2.0"), this);
    version->setObjectName(QStringLiteral("lbVersion"));
    version->setAlignment(Qt::AlignCenter);

    auto *service = new QPushButton(QStringLiteral("服务咨询"), this);
    service->setObjectName(QStringLiteral("btnService"));
    service->setFlat(true);
    service->setCursor(Qt::PointingHandCursor);
    QFont underlined = service->font();
    underlined.setUnderline(true);
    service->setFont(underlined);
    service->setAutoDefault(false);
    connect(service, &QPushButton::clicked, this, &TfrmSplash::btnServiceClick);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 16);
    layout->setSpacing(12);
    layout->addWidget(picture);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addSpacing(12);
    layout->addWidget(service, 0, Qt::AlignRight);
    setFixedSize(sizeHint());
}

void TfrmSplash::btnServiceClick()
{
    TfrNameCard card(this);
    card.exec();
}

} // namespace hemu
