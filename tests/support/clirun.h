#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace hemu::test {

struct CliOutput
{
    int code; // -1 when the program did not end normally
    QString out;
    QString err;
};

/// The built hemu-cli (named by the environment variable HEMU_CLI) run with `args`, `input`
/// written to its standard input.
CliOutput runCli(const QStringList &args, const QByteArray &input = {});

} // namespace hemu::test
