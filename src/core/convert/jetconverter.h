#pragma once

#include "core/convert/convertsummary.h"

#include <QString>

namespace hemu {

class ProgressSink;

/**
 * Converts an account set kept in the old Jet 4 format into a new one: the old file is read by
 * hemu-jetread in a child process into a staging file, the staging tables go into a fresh copy
 * of the template beside the target in one transaction, the copy is checked and renamed into
 * place, never over an existing file, and the books check runs on the result. The old file is
 * only read; a failure leaves no new file and no scratch file behind.
 */
class JetConverter
{
public:
    struct Result
    {
        bool ok = false;
        QString error;           // why it failed, in the user's words
        ConvertSummary summary;  // filled when ok
    };

    /// Where the converted set of `oldPath` goes: "<name>.hemu.xb" beside it.
    static QString convertedPath(const QString &oldPath);

    explicit JetConverter(ProgressSink &progress)
        : m_progress(progress)
    {
    }

    Result convert(const QString &oldPath, const QString &newPath);

private:
    ProgressSink &m_progress;
};

} // namespace hemu
