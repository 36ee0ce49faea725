#pragma once

#include "core/reports/linelayout.h"
#include "ui/kit/childwindow.h"

class QLabel;
class QScrollArea;

namespace hemu {

/**
 * "行打预览": the line-printed form of a bill drawn on an image, each page 2000 × 940 pixels
 * at the 180 dots per inch the custom paper is printed at, so the preview shows what the
 * paper gets. Every preview run opens a window of its own; it is freed when closed.
 */
class TfrmLinePrintPreview : public ChildWindow
{
    Q_OBJECT
public:
    TfrmLinePrintPreview(AppContext &context, const reports::PrintedBill &bill);

    /// Opens a new preview of `bill` in the main window's work area; nullptr when the pages
    /// could not be drawn.
    static TfrmLinePrintPreview *open(AppContext &context, const reports::PrintedBill &bill);

    static constexpr int kPageWidth = 2000;
    static constexpr int kPageHeight = 940;
    static constexpr int kDpi = 180;

    /// The pages drawn: 2000 wide, 940 high per page (0 × 0 for a bill without lines).
    const QImage &image() const { return m_image; }
    int pageCount() const { return int(m_pages.size()); }
    const QList<reports::LinePage> &pages() const { return m_pages; }
    bool drawn() const { return m_drawn; }

    struct Ui
    {
        QLabel *Panel1 = nullptr;
        QScrollArea *ScrollBox1 = nullptr;
        QLabel *Image1 = nullptr;
    } ui;

private:
    QList<reports::LinePage> m_pages;
    QImage m_image;
    bool m_drawn = false;
};

} // namespace hemu
