#include "ui/reports/previewarea.h"

#include "render/pagepainter.h"
#include "ui/reports/pagestore.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace hemu {

class PreviewArea::Canvas : public QWidget
{
public:
    explicit Canvas(PreviewArea &area)
        : QWidget(&area)
        , m_area(area)
    {
        setObjectName(QStringLiteral("QRPreviewPage"));
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        PageStore *store = m_area.store();
        const reports::Page *page = store && m_area.m_drawn ? store->page(m_area.currentPage()) : nullptr;
        if (!page)
            return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        render::paintPage(painter, *page, m_area.dotsPerMm());
    }

    void mousePressEvent(QMouseEvent *event) override { emit m_area.pagePressed(event->button()); }

private:
    PreviewArea &m_area;
};

PreviewArea::PreviewArea(QWidget *parent)
    : QScrollArea(parent)
    , m_canvas(new Canvas(*this))
{
    setObjectName(QStringLiteral("QRPreview1"));
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setWidget(m_canvas);
    setWidgetResizable(false);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    resizeCanvas();
}

void PreviewArea::attach(PageStore *store)
{
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = store;
    m_page = 1;
    m_drawn = false;
    if (store) {
        connect(store, &PageStore::pagesAdded, this, &PreviewArea::pagesAdded);
        connect(store, &QObject::destroyed, this, [this] { m_canvas->update(); });
        if (store->pageCount() > 0)
            pagesAdded();
    }
    resizeCanvas();
    m_canvas->update();
}

void PreviewArea::pagesAdded()
{
    if (m_drawn || !m_store || m_page > m_store->pageCount())
        return;
    m_drawn = true;
    zoomToWidth();
    m_canvas->update();
}

int PreviewArea::pageCount() const
{
    return m_store ? m_store->pageCount() : 0;
}

void PreviewArea::goToPage(int number)
{
    if (!m_store || number < 1 || number > m_store->pageCount())
        return;
    m_page = number;
    m_drawn = true;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    m_canvas->update();
}

void PreviewArea::setZoom(int percent)
{
    if (percent < 2 || percent > 2000)
        return;
    m_zoom = percent;
    resizeCanvas();
}

void PreviewArea::zoomToFit()
{
    const double perMm = logicalDpiX() / 25.4;
    const double byWidth = viewport()->width() / (paperWidth() * perMm);
    const double byHeight = viewport()->height() / (paperHeight() * perMm);
    setZoom(int(std::lround(std::min(byWidth, byHeight) * 95)));
}

void PreviewArea::zoomToWidth()
{
    const double perMm = logicalDpiX() / 25.4;
    setZoom(int(std::lround(viewport()->width() / (paperWidth() * perMm) * 90)));
}

double PreviewArea::dotsPerMm() const
{
    return m_zoom / 100.0 * logicalDpiX() / 25.4;
}

double PreviewArea::paperWidth() const
{
    return m_store ? m_store->model().paperWidth : 210;
}

double PreviewArea::paperHeight() const
{
    return m_store ? m_store->model().paperHeight : 297;
}

void PreviewArea::resizeCanvas()
{
    const double dpm = dotsPerMm();
    m_canvas->resize(int(std::lround(paperWidth() * dpm)), int(std::lround(paperHeight() * dpm)));
    m_canvas->update();
}

} // namespace hemu
