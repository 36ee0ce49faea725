#include "core/shell/accountsetshell.h"

#include "core/data/basedata.h"
#include "core/db/accountsetfiles.h"
#include "core/db/accountsetformat.h"
#include "core/filechooser.h"
#include "core/prompter.h"

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
    if (path.isEmpty()) {
        AccSetOpen = false;
        m_base.MyADOCnn().close();
        return;
    }
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
    if (closeDatasets)
        closeDatasets();
    m_base.MyADOCnn().close();
    emit accountSetClosed();
    return true;
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
