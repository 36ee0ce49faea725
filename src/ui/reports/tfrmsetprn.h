#pragma once

#include "core/reports/printersettings.h"
#include "ui/kit/appcontext.h"

#include <QDialog>
#include <QPrinter>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace hemu {

/**
 * "设置打印机": asked before every printing of a bill. Shows the current printer's settings
 * as Qt's printing system (CUPS on Linux) knows them, lets the user keep them, choose them in
 * the print dialog or apply a custom paper size and resolution, and confirms the mode. It
 * holds the printer bills are printed on for the whole run, and the switch that sends the
 * next line print into the line-print preview (Shift+F7).
 */
class TfrmSetPrn : public QDialog
{
    Q_OBJECT
public:
    TfrmSetPrn(AppContext &context, QWidget *parent);

    /// Shows the dialog modally; true when it ended with OK.
    bool showModal();

    QPrinter &printer() { return m_printer; }
    printing::PrintMode mode() const { return m_mode; }
    /// Set: the next line print goes into the line-print preview instead of the printer.
    bool previewSwitch() const { return m_previewSwitch; }
    /// The printer's settings as the list shows them.
    printing::DeviceSettings deviceSettings() const;

    // Commands of the dialog.
    void btViewSetClick();   ///< "察看设置": the list again; the preview switch off
    void standardSettings(); ///< "标准设置": the print dialog
    void applyCustom();      ///< "应用": the custom paper and quality onto the printer
    void confirm();          ///< "确定"
    void askPreviewSwitch(); ///< Shift+F7

    struct Ui
    {
        QPlainTextEdit *Memo1 = nullptr;
        QPushButton *btViewSet = nullptr;
        QPushButton *btStandard = nullptr;
        QPushButton *btApply = nullptr;
        QPushButton *btOk = nullptr;
        QPushButton *btCancel = nullptr;
        QGroupBox *custom = nullptr;
        QLineEdit *medLength = nullptr;
        QLineEdit *medWidth = nullptr;
        QComboBox *cbPrintQlty = nullptr;
    } ui;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    AppContext &m_context;
    QPrinter m_printer;
    printing::PrintMode m_mode = printing::PrintMode::Default;
    bool m_previewSwitch = false;
};

} // namespace hemu
