#include "support/clirun.h"

#include <QProcess>

namespace hemu::test {

CliOutput runCli(const QStringList &args, const QByteArray &input)
{
    QProcess p;
    p.start(qEnvironmentVariable("HEMU_CLI"), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace hemu::test
