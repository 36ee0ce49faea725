#pragma once

#include "core/filechooser.h"

class QProgressBar;

namespace hemu {

/**
 * A long operation's steps on a window's own progress bar: the bar repaints as the run
 * goes on while the rest of the window waits for it to end.
 */
class BarProgress : public NullProgress
{
public:
    explicit BarProgress(QProgressBar *bar) : m_bar(bar) {}
    void progress(qint64 done, qint64 total) override;

    /// Empty, not busy: a range of 0..0 would draw the bar as an endless animation.
    static void reset(QProgressBar *bar);

private:
    QProgressBar *m_bar;
};

} // namespace hemu
