#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace hemu {

struct AppContext;

/**
 * "恢复备份": the automatic backups of the open set with their date, size and bill count;
 * the chosen one replaces the set after a question (AccountSetShell::restoreBackup). Made for
 * each use and shown modally; system administrators only.
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
        QPushButton *btnRestore; // 恢复
        QPushButton *btnClose;   // 关闭
    } ui;

    /// Reads the folder again.
    void reload();

private:
    void btnRestoreClick();
    AppContext &m_context;
    QStringList m_paths; // per row
};

} // namespace hemu
