#include "ui/widgets/logprogress.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>

namespace hemu {

namespace {
constexpr qint64 servePeriodMs = 40;
} // namespace

LogProgress::LogProgress(QPlainTextEdit *log, QProgressBar *bar)
    : BarProgress(bar)
    , m_log(log)
    , m_bar(bar)
{
}

void LogProgress::begin(const QString &)
{
    reset(m_bar);
    m_bar->show();
    keepAlive();
}

void LogProgress::line(const QString &text)
{
    m_log->appendPlainText(text);
    m_log->repaint();
    keepAlive();
}

void LogProgress::progress(qint64 done, qint64 total)
{
    BarProgress::progress(done, total);
    keepAlive();
}

void LogProgress::end()
{
    m_bar->hide();
}

void LogProgress::keepAlive()
{
    if (m_served.isValid() && m_served.elapsed() < servePeriodMs)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_served.restart();
}

} // namespace hemu
