#pragma once

#include "ui/kit/appcontext.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>

class QComboBox;
class QLabel;
class QToolButton;

namespace hemu {

class PageStore;
class PreviewArea;
class ReportWindow;

/**
 * "定制预览": the one window every statement is looked at in. Made once at start-up and only
 * hidden between uses; a report hands itself over (handOver) and its pages show while they
 * are still being laid out. Zoom, paging, print setup, print, text and PDF export; printing,
 * print setup and closing are refused while the pages are busy.
 */
class TfrmMyPreview : public QMainWindow
{
    Q_OBJECT
public:
    TfrmMyPreview(AppContext &context, QWidget *parent);

    /// Shows `report`'s pages; a report shown before stays with its owner.
    void handOver(ReportWindow *report);
    ReportWindow *shownReport() const { return m_shown; }
    PageStore *store() const;
    PreviewArea *area() const { return ui.QRPreview1; }

    /// The click zoom factor, restarted at 1.0 whenever the window becomes active.
    float clickFactor() const { return m_factor; }

    void zoomToFit();
    void zoomToWidth();
    /// A combo entry or a typed text: "整页", "页宽" or a percentage ("150%").
    /// `reportErrors` off: a text that is not (yet) a percentage is passed over quietly.
    void zoomChoice(const QString &text, bool reportErrors);
    void printSetup();
    void print();
    void saveText();
    void savePdf();
    /// "关闭": refused while the pages are busy.
    void closePreview();

    static QString busyCloseText() { return QStringLiteral("正在处理报表，请稍候关闭。"); }
    static QString busyPrintText() { return QStringLiteral("正在执行其他打印任务，请稍后。"); }
    static QString noDataText() { return QStringLiteral("没有数据可输出或打印机忙。"); }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QToolButton *addButton(const QString &name, const QString &hint, const QString &caption, std::function<void()> act);
    void pagePressed(Qt::MouseButton button);
    /// Asks for a file name, makes it end in `suffix` and writes the pages with `write`.
    void exportPages(const QString &title, const QString &suffix,
                     const std::function<bool(const PageStore &, const QString &, QString *)> &write);
    void showProgress();
    bool busy() const;

    AppContext &m_context;
    QPointer<ReportWindow> m_shown;
    float m_factor = 1.0f;
    struct
    {
        QComboBox *ComboBox1 = nullptr;
        PreviewArea *QRPreview1 = nullptr;
        QLabel *pageLabel = nullptr;
    } ui;
};

} // namespace hemu
