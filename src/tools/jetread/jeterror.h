#pragma once

#include <string>

namespace hemu::jetread {

/// The exit codes of hemu-jetread; the converter that starts it reads them.
enum ExitCode {
    ExitDone = 0,
    ExitOther = 1,
    ExitNotJet4 = 2,
    ExitDamaged = 3,
    ExitCannotWrite = 4,
};

/// A failure that ends the program: its exit code and one sentence for the user.
struct JetError
{
    int code;
    std::string message;
};

} // namespace hemu::jetread
