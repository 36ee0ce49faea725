#include "ui/masterdata/tfrmimport.h"

#include "core/data/basedata.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "ui/kit/appcontext.h"
#include "ui/widgets/dialogbuttons.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hemu {

namespace {

QTableWidget *makeTable(QWidget *parent, const char *name)
{
    auto *table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    return table;
}

} // namespace

TfrmImport::TfrmImport(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("导入基础资料"));
    ui.cbKind = new QComboBox(this);
    ui.cbKind->setObjectName(QStringLiteral("cbKind"));
    for (ImportKind kind : MasterImport::kinds())
        ui.cbKind->addItem(MasterImport::kindCaption(kind), int(kind));
    ui.edFile = new QLineEdit(this);
    ui.edFile->setObjectName(QStringLiteral("edFile"));
    ui.edFile->setReadOnly(true);
    ui.btnBrowse = new QPushButton(QStringLiteral("选择文件…"), this);
    ui.btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    ui.tblMapping = makeTable(this, "tblMapping");
    ui.tblMapping->setColumnCount(2);
    ui.tblMapping->setHorizontalHeaderLabels({QStringLiteral("文件中的列"), QStringLiteral("导入到字段")});
    ui.tblMapping->horizontalHeader()->setStretchLastSection(true);
    ui.tblMapping->setColumnWidth(0, 150);
    ui.tblPreview = makeTable(this, "tblPreview");
    ui.lblSummary = new QLabel(QStringLiteral("请选择要导入的 CSV 或 XLSX 文件。"), this);
    ui.lblSummary->setObjectName(QStringLiteral("lblSummary"));
    ui.lblSummary->setWordWrap(true);
    QDialogButtonBox *buttons = makeDialogButtons(this, {
        {&ui.btnImport, "btnImport", QStringLiteral("导入"), QDialogButtonBox::ActionRole},
        {&ui.btnClose, "btnClose", QStringLiteral("关闭"), QDialogButtonBox::RejectRole},
    });
    ui.btnImport->setEnabled(false);

    auto *file = new QHBoxLayout;
    file->addWidget(ui.edFile, 1);
    file->addWidget(ui.btnBrowse);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("导入到:"), ui.cbKind);
    form->addRow(QStringLiteral("文件:"), file);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(ui.tblMapping);
    split->addWidget(ui.tblPreview);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 560});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(split, 1);
    layout->addWidget(ui.lblSummary);
    layout->addWidget(buttons);
    resize(900, 560);

    connect(ui.cbKind, &QComboBox::currentIndexChanged, this, &TfrmImport::kindChanged);
    connect(ui.btnBrowse, &QPushButton::clicked, this, &TfrmImport::browse);
    connect(ui.btnImport, &QPushButton::clicked, this, &TfrmImport::btnImportClick);
    connect(ui.btnClose, &QPushButton::clicked, this, &QDialog::reject);
    kindChanged();
}

TfrmImport::~TfrmImport() = default;

void TfrmImport::kindChanged()
{
    m_import = std::make_unique<MasterImport>(m_context.base, ImportKind(ui.cbKind->currentData().toInt()));
    m_mapping = m_import->autoMapping(m_table.header);
    fillMapping();
    check();
}

void TfrmImport::browse()
{
    const QString path = m_context.files.chooseOpen(QStringLiteral("导入基础资料"), QStringLiteral("CSV 或 Excel 文件(*.csv *.xlsx)"));
    if (!path.isEmpty())
        loadFile(path);
}

bool TfrmImport::loadFile(const QString &path)
{
    QString error;
    ImportTable table;
    if (!readImportFile(path, &table, &error)) {
        m_context.prompter.warning(error);
        return false;
    }
    m_table = table;
    ui.edFile->setText(QFileInfo(path).absoluteFilePath());
    m_mapping = m_import->autoMapping(m_table.header);
    fillMapping();
    check();
    return true;
}

void TfrmImport::fillMapping()
{
    ui.tblMapping->setRowCount(int(m_table.header.size()));
    const QList<ImportField> &fields = m_import->fields();
    for (int c = 0; c < m_table.header.size(); ++c) {
        ui.tblMapping->setItem(c, 0, new QTableWidgetItem(m_table.header.at(c)));
        auto *choice = new QComboBox(ui.tblMapping);
        choice->setObjectName(QStringLiteral("cbField%1").arg(c));
        choice->addItem(QStringLiteral("（不导入）"), -1);
        for (int f = 0; f < fields.size(); ++f)
            choice->addItem(fields.at(f).caption + (fields.at(f).required ? QStringLiteral(" *") : QString()), f);
        choice->setCurrentIndex(choice->findData(m_mapping.value(c, -1)));
        connect(choice, &QComboBox::currentIndexChanged, this, [this, c, choice] {
            m_mapping[c] = choice->currentData().toInt();
            check();
        });
        ui.tblMapping->setCellWidget(c, 1, choice);
    }
}

void TfrmImport::setColumnField(int column, int field)
{
    if (auto *choice = qobject_cast<QComboBox *>(ui.tblMapping->cellWidget(column, 1)))
        choice->setCurrentIndex(choice->findData(field));
}

QList<int> TfrmImport::mapping() const
{
    return m_mapping;
}

void TfrmImport::check()
{
    ui.btnImport->setEnabled(false);
    ui.tblPreview->clear();
    ui.tblPreview->setRowCount(0);
    if (m_table.header.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_outcome = m_import->preview(m_table, m_mapping);
    QApplication::restoreOverrideCursor();
    if (!m_outcome.ok) {
        ui.lblSummary->setText(m_outcome.error);
        return;
    }
    QHash<int, QString> errors;
    for (const MasterImport::RowError &e : std::as_const(m_outcome.errors))
        errors.insert(e.line, e.text);
    QStringList titles{QStringLiteral("行"), QStringLiteral("检查结果")};
    titles += m_table.header;
    ui.tblPreview->setColumnCount(int(titles.size()));
    ui.tblPreview->setHorizontalHeaderLabels(titles);
    ui.tblPreview->setRowCount(int(m_table.rows.size()));
    const QColor bad(0xFF, 0xE0, 0xE0);
    for (int r = 0; r < m_table.rows.size(); ++r) {
        const ImportRow &row = m_table.rows.at(r);
        const bool refused = errors.contains(row.line);
        QList<QTableWidgetItem *> items{new QTableWidgetItem(QString::number(row.line)),
                                        new QTableWidgetItem(refused ? errors.value(row.line) : QStringLiteral("√"))};
        for (const QString &cell : row.cells)
            items << new QTableWidgetItem(cell);
        for (int c = 0; c < items.size(); ++c) {
            if (refused)
                items[c]->setBackground(bad);
            ui.tblPreview->setItem(r, c, items[c]);
        }
    }
    ui.tblPreview->resizeColumnsToContents();
    ui.lblSummary->setText(QStringLiteral("共 %1 行：%2 行可以导入，%3 行有错误（不导入）。")
                               .arg(m_table.rows.size())
                               .arg(m_outcome.good)
                               .arg(m_outcome.errors.size()));
    ui.btnImport->setEnabled(m_outcome.good > 0);
}

void TfrmImport::btnImportClick()
{
    const int refused = int(m_outcome.errors.size());
    QString question = QStringLiteral("导入 %1 行%2吗？").arg(m_outcome.good).arg(MasterImport::kindCaption(m_import->kind()));
    if (refused > 0)
        question += QStringLiteral("有错误的 %1 行不导入。").arg(refused);
    if (!m_context.prompter.question(question))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const MasterImport::Outcome done = m_import->commit(m_table, m_mapping);
    QApplication::restoreOverrideCursor();
    if (!done.written) {
        m_context.prompter.warning(QStringLiteral("导入失败，没有写入任何数据。%1").arg(done.error));
        check();
        return;
    }
    m_context.prompter.information(QStringLiteral("已导入 %1 行。").arg(done.good));
    // Checked again now, every row would meet itself on file: the result stays as it was.
    ui.lblSummary->setText(QStringLiteral("已导入 %1 行；%2 行有错误，没有导入。").arg(done.good).arg(done.errors.size()));
    ui.btnImport->setEnabled(false);
}

} // namespace hemu
