#pragma once

#include "core/import/importtable.h"
#include "core/import/masterimport.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace hemu {

struct AppContext;

/**
 * "导入基础资料": master data from a CSV or XLSX file. The file's columns are matched to fields
 * by their titles (the matching can be changed per column), every row is checked by the same
 * rules as typing and shown with its result, and only "导入" writes, the good rows in one
 * transaction (MasterImport).
 */
class TfrmImport : public QDialog
{
    Q_OBJECT
public:
    TfrmImport(AppContext &context, QWidget *parent);
    ~TfrmImport() override;

    struct Ui
    {
        QComboBox *cbKind;        // 导入到
        QLineEdit *edFile;        // 文件
        QPushButton *btnBrowse;   // 选择文件
        QTableWidget *tblMapping; // the file's columns and their fields
        QTableWidget *tblPreview; // the rows with their check
        QLabel *lblSummary;
        QPushButton *btnImport;   // 导入
        QPushButton *btnClose;    // 关闭
    } ui;

    /// Reads `path` and checks its rows (the browse button's work, for a known file).
    bool loadFile(const QString &path);
    /// The field chosen for file column `column` (-1: not imported).
    void setColumnField(int column, int field);
    const MasterImport::Outcome &lastCheck() const { return m_outcome; }

private:
    void kindChanged();
    void browse();
    void fillMapping();
    QList<int> mapping() const;
    void check();
    void btnImportClick();

    AppContext &m_context;
    std::unique_ptr<MasterImport> m_import;
    ImportTable m_table;
    QList<int> m_mapping;
    MasterImport::Outcome m_outcome;
};

} // namespace hemu
