#include "core/shell/accountsetshell.h"

#include "core/backup/backupstore.h"
#include "core/convert/conversionoffer.h"
#include "core/convert/jetheader.h"
#include "core/data/basedata.h"
#include "core/db/accountsetfiles.h"
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/prompter.h"

#include <QDir>
#include <QFileInfo>

namespace hemu {

AccountSetShell::AccountSetShell(BaseData &base, Prompter &prompter, FileChooser &files, ProgressSink &busy,
                                 QObject *parent)
    : QObject(parent)
    , m_base(base)
    , m_prompter(prompter)
    , m_files(files)
    , m_busy(busy)
{
}

void AccountSetShell::openAccountSet()
{
    if (AccSetOpen)
        CloseAccSet();
    QString path = pendingPath;
    pendingPath.clear();
    if (path.isEmpty())
        path = m_files.chooseOpen(QStringLiteral("打开套帐"));
    // An account set kept in the old format is converted first, and the new one opened.
    if (!path.isEmpty() && JetHeader::isJet4(path))
        path = ConversionOffer(m_prompter, m_busy).run(path);
    if (path.isEmpty()) {
        AccSetOpen = false;
        m_base.MyADOCnn().close();
        return;
    }
    checkBeforeOpening(path);
    if (!loginGate || !loginGate(path)) {
        m_base.MyADOCnn().close();
        emit terminateRequested();
        return;
    }
    AccSetFileName = path;
    if (openDatasets) {
        if (const auto failure = openDatasets())
            m_prompter.message(QStringLiteral("ClassName=") + failure->kindName + QStringLiteral("Name=") + failure->name);
    }
    AccSetOpen = true;
    emit accountSetOpened();
}

bool AccountSetShell::CloseAccSet()
{
    if (!AccSetOpen)
        return true;
    if (!m_skipCloseBackup)
        autoBackup();
    if (closeDatasets)
        closeDatasets();
    m_base.MyADOCnn().close();
    emit accountSetClosed();
    return true;
}

void AccountSetShell::autoBackup()
{
    Database &db = m_base.MyADOCnn();
    if (!db.isOpen())
        return;
    // No progress window: the close also runs while the program is taken down, when no
    // window may process events any more.
    const BackupStore::Result result = BackupStore(db.path()).backUp(db);
    if (result.outcome == BackupStore::Outcome::Failed)
        m_prompter.warning(QStringLiteral("自动备份失败：%1\n套帐照常关闭。").arg(result.error));
}

void AccountSetShell::checkBeforeOpening(const QString &path)
{
    Database probe;
    if (!probe.open(path)) // the login says why the set cannot be opened
        return;
    const bool damaged = probe.checkIntegrity() == Database::Soundness::Damaged;
    probe.close();
    if (!damaged)
        return;
    const QString name = QFileInfo(path).fileName();
    BackupStore store(path);
    const std::optional<BackupEntry> good = store.newestSound();
    if (!good) {
        m_prompter.warning(QStringLiteral("套帐文件“%1”已损坏（结构检查未通过），也没有找到完好的备份。\n"
                                          "套帐只能查看，不能写入。")
                               .arg(name));
        return;
    }
    const int bills = BackupStore::billCount(good->path);
    if (!m_prompter.question(QStringLiteral("套帐文件“%1”已损坏（结构检查未通过），继续使用会丢失数据。\n"
                                            "最近一份完好的备份是 %2 的备份（%3 张单据）。用它恢复套帐吗？\n"
                                            "损坏的文件会先另存到备份文件夹。")
                                 .arg(name, good->takenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                                 .arg(bills)))
        return;
    QString error;
    if (store.restore(good->path, &error))
        m_prompter.information(QStringLiteral("套帐已从 %1 的备份恢复。损坏的文件另存为 %2。")
                                   .arg(good->takenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                                        QDir::toNativeSeparators(store.preRestorePath())));
    else
        m_prompter.warning(QStringLiteral("恢复备份失败：%1").arg(error));
}

bool AccountSetShell::restoreBackup(const QString &backupPath)
{
    if (!AccSetOpen)
        return false;
    if (m_base.CurRoleID() != 0) {
        m_prompter.warning(QStringLiteral("只有系统管理员才能恢复备份。"));
        return false;
    }
    if (!m_prompter.question(QStringLiteral("用备份“%1”替换当前套帐吗？\n当前套帐会先另存到备份文件夹，恢复后需要重新登录。")
                                 .arg(QFileInfo(backupPath).fileName())))
        return false;
    const QString path = AccSetFileName;
    // The restore copies the set as it is first; the close need not copy it too.
    m_skipCloseBackup = true;
    CloseAccSet();
    m_skipCloseBackup = false;
    AccSetOpen = false;
    m_busy.begin(QStringLiteral("正在恢复"));
    QString error;
    const bool ok = BackupStore(path).restore(backupPath, &error);
    m_busy.end();
    if (ok)
        m_prompter.information(QStringLiteral("套帐已从备份恢复，请重新登录。"));
    else
        m_prompter.warning(QStringLiteral("恢复备份失败：%1\n当前套帐没有改变。").arg(error));
    pendingPath = path;
    openAccountSet();
    return ok;
}

void AccountSetShell::closeAccountSet()
{
    if (!m_prompter.question(QStringLiteral("关闭套帐吗？")))
        return;
    CloseAccSet();
    AccSetOpen = false;
}

bool AccountSetShell::SaveDlgCanClose(const QString &fileName)
{
    if (fileName == AccSetFileName) {
        m_prompter.warning(QStringLiteral("所填文件名不能与当前套帐名相同。请重新为备份命名,或者取消本次操作。"));
        return false;
    }
    return true;
}

void AccountSetShell::copyOpenSet(const QString &title, const QString &done, const QString &failed)
{
    const QString dest = m_files.chooseSave(title, AccountSetFormat::Extension,
                                            [this](const QString &name) { return SaveDlgCanClose(name); });
    if (dest.isEmpty())
        return;
    m_busy.begin(QStringLiteral("正在复制"));
    const bool ok = AccountSetFiles::copyOpen(m_base.MyADOCnn(), dest);
    m_busy.end();
    if (ok)
        m_prompter.information(done);
    else
        m_prompter.warning(failed);
}

void AccountSetShell::newAccountSet()
{
    copyOpenSet(QStringLiteral("新建套帐"), QStringLiteral("完成新建套帐数据文件。"), QStringLiteral("新建数据文件失败！"));
}

void AccountSetShell::backupAccountSet()
{
    copyOpenSet(QStringLiteral("备份"), QStringLiteral("备份数据文件成功！"), QStringLiteral("备份数据文件失败！"));
}

void AccountSetShell::compactAccountSet()
{
    if (AccSetOpen) {
        CloseAccSet();
        // The file to compact may be the one that was open: nothing of it stays attached.
        AccSetOpen = false;
    }
    const QString path = m_files.chooseOpen(QStringLiteral("压缩修复"));
    if (path.isEmpty())
        return;
    m_busy.begin(QStringLiteral("正在压缩"));
    const bool ok = AccountSetFiles::compact(path);
    m_busy.end();
    if (ok)
        m_prompter.information(QStringLiteral("套帐的压缩修复完毕。"));
    else
        m_prompter.warning(QStringLiteral("异常。"));
}

void AccountSetShell::ApplyDisplayFormat()
{
    if (applyFormat)
        applyFormat(DataFormatText);
}

void AccountSetShell::readStoredDisplayFormat()
{
    if (!AccSetOpen)
        return;
    DataFormatText = m_base.MyADOCnn().scalar(QStringLiteral("SELECT DataFormat FROM DisplayStyle ORDER BY rowid LIMIT 1")).toString();
    if (!DataFormatText.isEmpty())
        ApplyDisplayFormat();
}

} // namespace hemu
