#include "cli/commands.h"

#include "core/convert/jetconverter.h"
#include "core/filechooser.h"

#include <QTextStream>
#include <cstdio>

namespace hemu::cli {

namespace {

/// The reader's progress on stderr, so that stdout carries the summary alone.
class StderrProgress : public NullProgress
{
public:
    void line(const QString &text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::fflush(stderr);
    }
};

} // namespace

int convertSet(const QString &oldPath, const QString &newPath)
{
    StderrProgress progress;
    JetConverter converter(progress);
    const JetConverter::Result result = converter.convert(oldPath, newPath);
    if (!result.ok)
        return fail(QStringLiteral("转换失败：%1").arg(result.error));
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    out << QStringLiteral("已转换为 %1\n").arg(newPath);
    for (const QString &line : result.summary.lines())
        out << line << '\n';
    if (result.summary.hasDifferences())
        out << QStringLiteral("打开新套帐后，可在“统计 → 单据汇总”中点“汇总”，按单据重算本期的计数。\n");
    return 0;
}

} // namespace hemu::cli
