#include "core/convert/jetconverter.h"

#include "core/convert/convertedbooks.h"
#include "core/convert/jetreadprocess.h"
#include "core/convert/stagingimport.h"
#include "core/db/accountsetfiles.h"
#include "core/filechooser.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace hemu {

QString JetConverter::convertedPath(const QString &oldPath)
{
    const QFileInfo info(oldPath);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".hemu.xb");
}

JetConverter::Result JetConverter::convert(const QString &oldPath, const QString &newPath)
{
    Result result;
    const QFileInfo target(newPath);
    // Refused before any work: converting twice must not overwrite the first result.
    if (target.exists() || target.isSymLink()) {
        result.error = QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(newPath);
        return result;
    }
    if (!QFileInfo(oldPath).isFile()) {
        result.error = QStringLiteral("找不到旧格式套帐文件 %1。").arg(oldPath);
        return result;
    }
    // The staging file lives beside the target (it can be as big as the books), in a folder of
    // its own that goes away with everything in it.
    QTemporaryDir work(target.absolutePath() + QStringLiteral("/.hemu-convert-XXXXXX"));
    if (!work.isValid()) {
        result.error = QStringLiteral("无法在文件夹 %1 中写入。").arg(target.absolutePath());
        return result;
    }
    const QString staging = work.filePath(QStringLiteral("staging.sqlite"));

    m_progress.begin(QStringLiteral("正在转换旧格式套帐"));
    const JetReadProcess::Outcome read = JetReadProcess::run(oldPath, staging, m_progress);
    if (!read.ok) {
        m_progress.end();
        result.error = read.message;
        return result;
    }
    m_progress.line(QStringLiteral("写入新套帐..."));
    ConvertSummary summary;
    const bool written = AccountSetFiles::createNew(
        newPath, [&](const QString &scratch, QString *error) { return StagingImport::run(scratch, staging, &summary, error); },
        &result.error);
    if (!written) {
        m_progress.end();
        return result;
    }
    m_progress.line(QStringLiteral("检查帐目..."));
    ConvertedBooks::check(newPath, &summary);
    m_progress.end();
    result.ok = true;
    result.summary = summary;
    return result;
}

} // namespace hemu
