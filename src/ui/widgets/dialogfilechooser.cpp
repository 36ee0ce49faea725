#include "ui/widgets/dialogfilechooser.h"

#include "core/db/accountsetformat.h"
#include "core/prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace hemu {

namespace {

/// The type list of a dialog: account sets, or files of the suffix a save asks for.
QStringList nameFilters(const QString &suffix)
{
    const QString bare = suffix.startsWith(QLatin1Char('.')) ? suffix.mid(1) : suffix;
    const QString setSuffix = AccountSetFormat::Extension.startsWith(QLatin1Char('.')) ? AccountSetFormat::Extension.mid(1)
                                                                                         : AccountSetFormat::Extension;
    if (bare.isEmpty() || bare.compare(setSuffix, Qt::CaseInsensitive) == 0)
        return AccountSetFormat::DialogFilter.split(QStringLiteral(";;"));
    const QString kind = bare.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0 ? QStringLiteral("Excel 工作簿")
                         : bare.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0 ? QStringLiteral("PDF 文件")
                                                                                          : bare.toUpper() + QStringLiteral(" 文件");
    return {QStringLiteral("%1(*.%2)").arg(kind, bare), QStringLiteral("所有文件(*.*)")};
}

} // namespace

DialogFileChooser::DialogFileChooser(Prompter &prompter, QWidget *parent)
    : m_prompter(prompter)
    , m_parent(parent)
{
}

QString DialogFileChooser::run(QFileDialog &dialog, const QString &filter)
{
    dialog.setNameFilters(filter.isEmpty() ? nameFilters(dialog.defaultSuffix())
                                           : QStringList{filter, QStringLiteral("所有文件(*.*)")});
    // No Qt translations ship with the program: the dialog's own texts are set here.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("文件类型:"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    dialog.setLabelText(QFileDialog::Accept, dialog.acceptMode() == QFileDialog::AcceptSave ? QStringLiteral("保存")
                                                                                            : QStringLiteral("打开"));
    // The program's own working folder means nothing to a user: start at home.
    dialog.setDirectory(m_folder.isEmpty() ? QDir::homePath() : m_folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    m_folder = QFileInfo(path).absolutePath();
    return path;
}

QString DialogFileChooser::chooseOpen(const QString &title, const QString &filter)
{
    QFileDialog dialog(m_parent ? m_parent.data() : QApplication::activeWindow(), title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog, filter);
}

QString DialogFileChooser::chooseSave(const QString &title, const QString &defaultSuffix, const CanClose &canClose)
{
    for (;;) {
        QFileDialog dialog(m_parent ? m_parent.data() : QApplication::activeWindow(), title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        // The name check comes before the overwrite question: asking whether to replace
        // the open account set only to refuse it afterwards would make no sense.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QString path = run(dialog);
        if (path.isEmpty())
            return {};
        if (canClose && !canClose(path))
            continue;
        if (QFileInfo::exists(path)
            && !m_prompter.question(QStringLiteral("%1 已存在。\n要替换它吗?").arg(QDir::toNativeSeparators(path))))
            continue;
        return path;
    }
}

} // namespace hemu
