#pragma once

#include "ui/widgets/barprogress.h"

#include <QElapsedTimer>

class QPlainTextEdit;

namespace hemu {

/**
 * A long operation reporting into a window of its own: step lines appended to a log, the
 * bar shown while it runs and hidden at its end. Between reports the window repaints and
 * the window system is served (not the user's input, which waits until the operation is
 * over), so the window stays alive on screen while the work runs on the same thread.
 */
class LogProgress : public BarProgress
{
public:
    LogProgress(QPlainTextEdit *log, QProgressBar *bar);

    void begin(const QString &caption) override;
    void line(const QString &text) override;
    void progress(qint64 done, qint64 total) override;
    void end() override;

private:
    /// Lets queued painting and window-system events through, at most every few frames.
    void keepAlive();

    QPlainTextEdit *m_log;
    QProgressBar *m_bar;
    QElapsedTimer m_served;
};

} // namespace hemu
