#pragma once

#include "core/reports/stockreports.h"
#include "ui/kit/childwindow.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace hemu {

class ReportWindow;

/**
 * "报表": the four goods and stock statements. Shown, it clears idle customer stock rows and
 * marks the goods without any balance or movement; "打印" asks for a category (or all goods)
 * and shows the chosen statement in the preview window.
 */
class TfrmReportsMenu : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmReportsMenu(AppContext &context);

    /// The statement at a list position (0 to 3).
    static reports::StockReport reportAt(int position);
    static QString description(int position);

    /// Runs the print request for the selected entry; nothing when none is selected.
    void printSelected();
    /// The most recently made report window.
    ReportWindow *lastReport() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showDescription();

    struct
    {
        QListWidget *ListBox1 = nullptr;
        QPlainTextEdit *Memo1 = nullptr;
        QPushButton *Button1 = nullptr;
        QPushButton *Button2 = nullptr;
    } ui;
};

} // namespace hemu
