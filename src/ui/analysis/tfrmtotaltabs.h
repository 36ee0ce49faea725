#pragma once

#include "ui/kit/appcontext.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace hemu {

/**
 * "汇总单据...": rebuilds the period counters from the bills of a date range. Made once at
 * start-up and shown and hidden, never freed; each showing proposes the range again from
 * today and the last carry-forward. The recalculation writes its steps into the log and
 * drives the bar while it runs.
 */
class TfrmTotalTabs : public QDialog
{
    Q_OBJECT
public:
    TfrmTotalTabs(AppContext &context, QWidget *parent);

    /// Shows the window (non-modal, on top) with fresh defaults.
    void showWindow();

    struct Ui
    {
        QLabel *Label2 = nullptr;
        QLineEdit *edBeginDate = nullptr;
        QToolButton *SpeedButton1 = nullptr;
        QLabel *Label4 = nullptr;
        QLineEdit *edEndDate = nullptr;
        QToolButton *SpeedButton2 = nullptr;
        QLabel *Label1 = nullptr;
        QPlainTextEdit *Memo1 = nullptr;
        QProgressBar *ProgressBar1 = nullptr;
        QPushButton *SpeedButton3 = nullptr; // 汇总
        QPushButton *SpeedButton4 = nullptr; // 退出
    } ui;

    /// "汇总": checks the range and runs the recalculation.
    void SpeedButton3Click();
    /// True while the recalculation runs.
    bool isRunning() const { return m_running; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyDefaults();
    void pickDate(QLineEdit *target);

    AppContext &m_context;
    bool m_running = false;
};

} // namespace hemu
