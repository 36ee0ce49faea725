#include "ui/shell/tfrmsplash.h"

#include "ui/shell/tfrnamecard.h"
#include "ui/shell/titleband.h"

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

    auto *band = new TitleBand(QStringLiteral("禾木商务管理"),
                               style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(40, 40), this);
    band->titleLabel()->setObjectName(QStringLiteral("lbTitle"));

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
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(24, 20, 24, 12);
    body->setSpacing(16);
    body->addWidget(version);
    body->addWidget(service, 0, Qt::AlignRight);
    layout->addLayout(body);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

void TfrmSplash::btnServiceClick()
{
    TfrNameCard card(this);
    card.exec();
}

} // namespace hemu
