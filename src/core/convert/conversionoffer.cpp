#include "core/convert/conversionoffer.h"

#include "core/convert/convertedbooks.h"
#include "core/convert/jetconverter.h"
#include "core/filechooser.h"
#include "core/prompter.h"

#include <QDir>
#include <QFileInfo>

namespace hemu {

namespace {

/// A message box holds a screenful: a longer summary ends with how many lines were left out.
QString boxText(const QStringList &lines)
{
    constexpr int shown = 30;
    if (lines.size() <= shown)
        return lines.join(QLatin1Char('\n'));
    return (lines.mid(0, shown) << QStringLiteral("……（另有 %1 行，hemu-cli convert 列出全部）").arg(lines.size() - shown))
        .join(QLatin1Char('\n'));
}

} // namespace

QString ConversionOffer::run(const QString &oldPath)
{
    if (!m_prompter.question(questionText()))
        return {};
    const QString newPath = JetConverter::convertedPath(oldPath);
    const QString shownNew = QDir::toNativeSeparators(newPath);
    if (QFileInfo(newPath).exists() || QFileInfo(newPath).isSymLink()) {
        m_prompter.warning(QStringLiteral("文件“%1”已经存在，不会覆盖它。\n如果它就是转换好的套帐，请直接打开它；否则请先把它移走。")
                               .arg(shownNew));
        return {};
    }
    JetConverter converter(m_progress);
    const JetConverter::Result result = converter.convert(oldPath, newPath);
    if (!result.ok) {
        m_prompter.warning(QStringLiteral("旧格式套帐没有转换：%1\n旧文件没有改变。").arg(result.error));
        return {};
    }
    const QString summary = QStringLiteral("旧格式套帐已转换为“%1”，旧文件没有改变。\n\n%2")
                                .arg(shownNew, boxText(result.summary.lines()));
    if (!result.summary.hasDifferences()) {
        m_prompter.information(summary);
        return newPath;
    }
    // The old program could leave half-posted lines: the user decides, the differences stay visible.
    if (!m_prompter.question(summary + QStringLiteral("\n\n") + recalcQuestionText()))
        return newPath;
    QString error;
    const bool ok = ConvertedBooks::recalc(newPath, m_progress, &error);
    if (ok)
        m_prompter.information(QStringLiteral("已按单据重算本期的计数。"));
    else
        m_prompter.warning(QStringLiteral("按单据重算失败：%1\n套帐保留旧的计数。").arg(error));
    return newPath;
}

} // namespace hemu
