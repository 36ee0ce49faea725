#include "ui/shell/tfrmanimate.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

TfrmAnimate::TfrmAnimate(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_text(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmAnimate"));
    setWindowTitle(QStringLiteral("正在复制"));
    // The work runs on this thread: the rest of the program must wait for it.
    setWindowModality(Qt::ApplicationModal);

    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogNewFolder).pixmap(32, 32));
    m_text->setText(QStringLiteral("请稍候……"));
    m_bar->setObjectName(QStringLiteral("Animate1"));
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(320);

    auto *row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(m_text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_bar);
    setFixedSize(sizeHint());
}

void TfrmAnimate::begin(const QString &caption)
{
    setWindowTitle(caption);
    m_text->setText(QStringLiteral("请稍候……"));
    m_bar->setRange(0, 0);
    show();
    raise();
    // Paint before the blocking work starts; the window is modal, so no command can slip in.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmAnimate::line(const QString &text)
{
    m_text->setText(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmAnimate::progress(qint64 done, qint64 total)
{
    // Large counts are scaled into the bar's int range.
    if (total > 0) {
        m_bar->setRange(0, 1000);
        m_bar->setValue(int(done * 1000 / total));
    } else {
        m_bar->setRange(0, 0);
    }
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmAnimate::end()
{
    hide();
}

} // namespace hemu
