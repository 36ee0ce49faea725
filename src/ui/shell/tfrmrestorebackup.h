#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace hemu {

struct AppContext;

/**
 * "恢复备份": the automatic backups of the open set with their date, size and bill count;
 * the chosen one replaces the set after a question (AccountSetShell::restoreBackup). Also where
 * the set's backup folder and the number of backups kept are set. Made for each use and shown
 * modally; system administrators only.
 */
class TfrmRestoreBackup : public QDialog
{
    Q_OBJECT
public:
    TfrmRestoreBackup(AppContext &context, QWidget *parent);

    struct Ui
    {
        QLabel *lblFolder;
        QTableWidget *lvBackups;
        QLineEdit *edFolder;         // the set's own backup folder; empty: beside the set
        QSpinBox *spKeep;            // how many of the newest stay
        QPushButton *btnSaveSettings; // 保存设置
        QPushButton *btnRestore; // 恢复
        QPushButton *btnClose;   // 关闭
    } ui;

    /// Reads the folder again.
    void reload();

private:
    void btnRestoreClick();
    void btnSaveSettingsClick();
    AppContext &m_context;
    QStringList m_paths; // per row
};

} // namespace hemu
