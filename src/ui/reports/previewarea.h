#pragma once

#include <QPointer>
#include <QScrollArea>

namespace hemu {

class PageStore;

/**
 * The page area of the preview: one page of a page store on white paper at a zoom in
 * percent, with scroll bars that follow the thumb. Requests it cannot honour (a page that
 * does not exist, a zoom outside 2 to 2000) are ignored.
 */
class PreviewArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit PreviewArea(QWidget *parent = nullptr);

    /// Shows `store` (or nothing) from page 1; the page is drawn at page width as soon as it
    /// is laid out.
    void attach(PageStore *store);
    PageStore *store() const { return m_store; }

    void goToPage(int number);
    int currentPage() const { return m_page; }
    int pageCount() const;

    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    void zoomToFit();
    void zoomToWidth();

    /// Device pixels per millimetre at the current zoom.
    double dotsPerMm() const;

signals:
    /// A mouse button was pressed on the page.
    void pagePressed(Qt::MouseButton button);

private:
    class Canvas;
    void pagesAdded();
    void resizeCanvas();
    double paperWidth() const;
    double paperHeight() const;

    Canvas *m_canvas;
    QPointer<PageStore> m_store;
    int m_page = 1;
    int m_zoom = 100;
    bool m_drawn = false;
};

} // namespace hemu
