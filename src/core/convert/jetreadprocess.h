#pragma once

#include <QString>

namespace hemu {

class ProgressSink;

/**
 * Runs hemu-jetread, the reader of old account sets, as a child process: the old file is read
 * into a staging file, and a damaged old file can crash or hang nothing but that process.
 * Its progress lines are passed on as they come.
 */
class JetReadProcess
{
public:
    struct Outcome
    {
        bool ok = false;
        int exitCode = -1;  // the reader's code: 2 not Jet 4, 3 damaged, 4 staging not writable
        QString message;    // why it failed, in the user's words
    };

    /// The reader: $HEMU_JETREAD when set, otherwise hemu-jetread beside the running program.
    static QString program();

    /// Reads `oldPath` into `stagingPath` (which must not exist). Gives up on a reader that
    /// says nothing for `silenceLimitMs`.
    static Outcome run(const QString &oldPath, const QString &stagingPath, ProgressSink &progress,
                       int silenceLimitMs = 300000);
};

} // namespace hemu
