#include "core/convert/jetreadprocess.h"

#include "core/filechooser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

namespace hemu {

namespace {

/// "progress TABLE ROWS": the rows of TABLE copied so far.
void passOn(const QByteArray &line, ProgressSink &progress)
{
    const QString text = QString::fromUtf8(line).trimmed();
    if (!text.startsWith(QLatin1String("progress ")))
        return;
    const int space = text.lastIndexOf(QLatin1Char(' '));
    const QString table = text.mid(9, space - 9);
    progress.line(QStringLiteral("读取 %1：%2 行").arg(table, text.mid(space + 1)));
}

QString lastLine(const QByteArray &text)
{
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (!it->trimmed().isEmpty())
            return it->trimmed();
    }
    return {};
}

QString fallbackMessage(int code)
{
    switch (code) {
    case 2: return QStringLiteral("这个文件不是旧格式（Jet 4）的套帐文件。");
    case 3: return QStringLiteral("旧格式套帐文件已损坏，无法读取。");
    case 4: return QStringLiteral("无法写入转换用的临时文件。");
    default: return QStringLiteral("读取旧格式套帐文件失败。");
    }
}

} // namespace

QString JetReadProcess::program()
{
    const QString configured = qEnvironmentVariable("HEMU_JETREAD");
    if (!configured.isEmpty())
        return configured;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/hemu-jetread");
}

JetReadProcess::Outcome JetReadProcess::run(const QString &oldPath, const QString &stagingPath, ProgressSink &progress,
                                            int silenceLimitMs)
{
    Outcome outcome;
    const QString reader = program();
    if (!QFileInfo(reader).isExecutable()) {
        outcome.message = QStringLiteral("找不到读取旧格式套帐的程序 %1。").arg(reader);
        return outcome;
    }
    QProcess process;
    process.setProgram(reader);
    process.setArguments({oldPath, stagingPath});
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted()) {
        outcome.message = QStringLiteral("无法启动读取旧格式套帐的程序：%1").arg(process.errorString());
        return outcome;
    }
    QByteArray errors;
    QElapsedTimer silence;
    silence.start();
    auto drain = [&] {
        const QByteArray err = process.readAllStandardError();
        errors += err;
        bool heard = !err.isEmpty();
        while (process.canReadLine()) {
            passOn(process.readLine(), progress);
            heard = true;
        }
        if (heard)
            silence.restart();
    };
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        drain();
        if (silence.elapsed() > silenceLimitMs) {
            process.kill();
            process.waitForFinished();
            outcome.message = QStringLiteral("读取旧格式套帐文件时长时间没有响应，已停止。文件可能已损坏。");
            return outcome;
        }
    }
    drain();
    if (process.bytesAvailable() > 0)
        passOn(process.readAll(), progress);
    if (process.exitStatus() != QProcess::NormalExit) {
        outcome.message = QStringLiteral("读取旧格式套帐文件时程序意外中止，文件可能已损坏。");
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    outcome.ok = outcome.exitCode == 0;
    if (!outcome.ok) {
        outcome.message = lastLine(errors);
        if (outcome.message.isEmpty())
            outcome.message = fallbackMessage(outcome.exitCode);
    }
    return outcome;
}

} // namespace hemu
