#include "ui/shell/tfrmrestorebackup.h"

#include "core/backup/backupstore.h"
#include "core/data/basedata.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"
#include "ui/kit/appcontext.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/dialogbuttons.h"

#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hemu {

TfrmRestoreBackup::TfrmRestoreBackup(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmRestoreBackup"));
    setWindowTitle(QStringLiteral("恢复备份"));
    ui.lblFolder = new QLabel(this);
    ui.lblFolder->setObjectName(QStringLiteral("lblFolder"));
    ui.lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui.lblFolder->setWordWrap(true);
    ui.lvBackups = new QTableWidget(0, 4, this);
    ui.lvBackups->setObjectName(QStringLiteral("lvBackups"));
    ui.lvBackups->setHorizontalHeaderLabels(
        {QStringLiteral("备份时间"), QStringLiteral("大小"), QStringLiteral("单据数"), QStringLiteral("说明")});
    ui.lvBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.lvBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.lvBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.lvBackups->verticalHeader()->hide();
    ui.lvBackups->horizontalHeader()->setStretchLastSection(true);
    ui.lvBackups->setColumnWidth(0, 160);
    ui.lvBackups->setColumnWidth(1, 90);
    ui.lvBackups->setColumnWidth(2, 70);
    ui.edFolder = new QLineEdit(this);
    ui.edFolder->setObjectName(QStringLiteral("edFolder"));
    ui.spKeep = new QSpinBox(this);
    ui.spKeep->setObjectName(QStringLiteral("spKeep"));
    ui.spKeep->setRange(1, 1000);
    ui.spKeep->setSuffix(QStringLiteral(" 份"));
    ui.btnSaveSettings = new QPushButton(QStringLiteral("保存设置"), this);
    ui.btnSaveSettings->setObjectName(QStringLiteral("btnSaveSettings"));
    QDialogButtonBox *buttons = makeDialogButtons(this, {
        {&ui.btnRestore, "btnRestore", QStringLiteral("恢复"), QDialogButtonBox::ActionRole},
        {&ui.btnClose, "btnClose", QStringLiteral("关闭"), QDialogButtonBox::RejectRole},
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.lblFolder);
    layout->addWidget(ui.lvBackups, 1);
    auto *settings = new QFormLayout;
    settings->addRow(QStringLiteral("备份文件夹:"), ui.edFolder);
    auto *keep = new QHBoxLayout;
    keep->addWidget(ui.spKeep);
    keep->addWidget(new QLabel(QStringLiteral("（另外每月保留一份，共一年）"), this), 1);
    keep->addWidget(ui.btnSaveSettings);
    settings->addRow(QStringLiteral("保留最近:"), keep);
    layout->addLayout(settings);
    layout->addWidget(buttons);
    resize(600, 440);

    connect(ui.btnRestore, &QPushButton::clicked, this, &TfrmRestoreBackup::btnRestoreClick);
    connect(ui.btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.btnSaveSettings, &QPushButton::clicked, this, &TfrmRestoreBackup::btnSaveSettingsClick);
    connect(ui.lvBackups, &QTableWidget::itemSelectionChanged, this,
            [this] { ui.btnRestore->setEnabled(ui.lvBackups->currentRow() >= 0); });
    reload();
}

void TfrmRestoreBackup::reload()
{
    const BackupStore store(m_context.shell.AccSetFileName);
    ui.lblFolder->setText(QStringLiteral("备份文件夹：") + QDir::toNativeSeparators(store.folder()));
    ui.edFolder->setText(QDir::toNativeSeparators(store.settings().folder));
    ui.edFolder->setPlaceholderText(QDir::toNativeSeparators(BackupStore::defaultFolder(m_context.shell.AccSetFileName)));
    ui.spKeep->setValue(store.settings().keepLast);
    const QList<BackupEntry> entries = store.list();
    ui.lvBackups->setRowCount(int(entries.size()));
    m_paths.clear();
    const QLocale locale;
    for (int row = 0; row < entries.size(); ++row) {
        const BackupEntry &e = entries.at(row);
        m_paths.append(e.path);
        const int bills = BackupStore::billCount(e.path);
        auto *count = new QTableWidgetItem(bills < 0 ? QStringLiteral("无法读取") : QString::number(bills));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *size = new QTableWidgetItem(locale.formattedDataSize(e.size, 1, QLocale::DataSizeTraditionalFormat));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ui.lvBackups->setItem(row, 0, new QTableWidgetItem(e.takenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        ui.lvBackups->setItem(row, 1, size);
        ui.lvBackups->setItem(row, 2, count);
        ui.lvBackups->setItem(row, 3, new QTableWidgetItem(e.beforeRestore ? QStringLiteral("恢复前的套帐") : QString()));
    }
    if (!entries.isEmpty())
        ui.lvBackups->selectRow(0);
    ui.btnRestore->setEnabled(!entries.isEmpty());
}

void TfrmRestoreBackup::btnSaveSettingsClick()
{
    BackupSettings settings;
    settings.folder = QDir::fromNativeSeparators(ui.edFolder->text().trimmed());
    settings.keepLast = ui.spKeep->value();
    if (!BackupSettings::save(m_context.shell.AccSetFileName, settings)) {
        m_context.prompter.warning(QStringLiteral("无法保存备份设置。"));
        return;
    }
    reload();
}

void TfrmRestoreBackup::btnRestoreClick()
{
    const int row = ui.lvBackups->currentRow();
    if (row < 0 || row >= m_paths.size())
        return;
    // Windows still open on the set close first; one that keeps unsaved work stops the restore.
    if (!m_context.main.closeChildWindows())
        return;
    // Declined or failed with the set open again: the list stays for another choice.
    if (!m_context.shell.restoreBackup(m_paths.at(row)) && m_context.shell.AccSetOpen) {
        reload();
        return;
    }
    accept();
}

} // namespace hemu
