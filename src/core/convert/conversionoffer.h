#pragma once

#include <QString>

namespace hemu {

class ProgressSink;
class Prompter;

/**
 * What opening an account set kept in the old format does: asks whether to convert it, converts
 * it into "<name>.hemu.xb" beside it (never over an existing file) while `progress` shows how far
 * it got, shows the summary and, where the old counters disagree with the bills, offers to
 * rebuild them from the bills ("按单据重算") instead of hiding the differences.
 */
class ConversionOffer
{
public:
    ConversionOffer(Prompter &prompter, ProgressSink &progress)
        : m_prompter(prompter)
        , m_progress(progress)
    {
    }

    static QString questionText() { return QStringLiteral("这是旧格式的套帐文件，是否转换为新格式？"); }
    static QString recalcQuestionText() { return QStringLiteral("按单据重算本期的计数吗？"); }

    /// The converted set to open in place of `oldPath`; empty when the user declined or the
    /// conversion failed (said so).
    QString run(const QString &oldPath);

private:
    Prompter &m_prompter;
    ProgressSink &m_progress;
};

} // namespace hemu
