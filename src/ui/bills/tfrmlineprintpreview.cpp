#include "ui/bills/tfrmlineprintpreview.h"

#include "core/data/basedata.h"
#include "render/linepainter.h"
#include "ui/shell/tfrmmain.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cmath>

namespace hemu {

TfrmLinePrintPreview::TfrmLinePrintPreview(AppContext &context, const reports::PrintedBill &bill)
    : ChildWindow(context, QStringLiteral("frmLinePrintPreview"))
{
    setWindowTitle(QStringLiteral("行打预览"));
    ui.Panel1 = new QLabel(QStringLiteral("行式打印预览"), this);
    ui.Panel1->setObjectName(QStringLiteral("Panel1"));
    ui.Panel1->setAlignment(Qt::AlignCenter);
    ui.Panel1->setFrameShape(QFrame::Panel);
    ui.Panel1->setFrameShadow(QFrame::Raised);
    ui.Panel1->setMinimumHeight(28);
    ui.ScrollBox1 = new QScrollArea(this);
    ui.ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ui.ScrollBox1->setBackgroundRole(QPalette::Dark);
    ui.Image1 = new QLabel;
    ui.Image1->setObjectName(QStringLiteral("Image1"));
    ui.Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The image sits 4 pixels in from the scroll box's corner.
    auto *holder = new QWidget;
    auto *holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(4, 4, 4, 4);
    holderLayout->addWidget(ui.Image1);
    ui.ScrollBox1->setWidget(holder);
    ui.ScrollBox1->setWidgetResizable(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ui.Panel1);
    layout->addWidget(ui.ScrollBox1, 1);

    const render::FontLineMetrics metrics(kDpi);
    m_pages = reports::lineprint::layout(bill, base().PrintStampText(), metrics);
    const int pages = int(m_pages.size());
    if (pages == 0) {
        m_drawn = true; // nothing to draw
    } else {
        m_image = QImage(kPageWidth, pages * kPageHeight, QImage::Format_RGB32);
        if (!m_image.isNull()) {
            const int dotsPerMeter = int(std::lround(kDpi / 0.0254));
            m_image.setDotsPerMeterX(dotsPerMeter);
            m_image.setDotsPerMeterY(dotsPerMeter);
            m_image.fill(Qt::white);
            QPainter painter(&m_image);
            painter.setRenderHint(QPainter::TextAntialiasing);
            for (int p = 0; p < pages; ++p) {
                // Each page in its own band, as it comes out of the printer.
                painter.setPen(QColor(200, 200, 200));
                if (p > 0)
                    painter.drawLine(0, p * kPageHeight, kPageWidth, p * kPageHeight);
                render::paintLinePage(painter, m_pages.at(p), kDpi, p * kPageHeight);
            }
            m_drawn = painter.end();
        }
    }
    ui.Image1->setPixmap(QPixmap::fromImage(m_image));
    ui.Image1->setFixedSize(m_image.size());
    holder->adjustSize();
    resize(900, 560);
}

TfrmLinePrintPreview *TfrmLinePrintPreview::open(AppContext &context, const reports::PrintedBill &bill)
{
    auto *window = new TfrmLinePrintPreview(context, bill);
    if (!window->drawn()) {
        delete window;
        return nullptr;
    }
    QMdiSubWindow *child = context.main.mdiArea()->addSubWindow(window);
    child->setAttribute(Qt::WA_DeleteOnClose);
    // As large as the work area allows: a page is 2000 pixels wide.
    const QSize area = context.main.mdiArea()->size();
    child->resize(std::max(child->width(), area.width() * 9 / 10), std::max(child->height(), area.height() * 9 / 10));
    child->show();
    window->centreOnMainWindow();
    context.main.mdiArea()->setActiveSubWindow(child);
    return window;
}

} // namespace hemu
