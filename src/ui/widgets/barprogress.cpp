#include "ui/widgets/barprogress.h"

#include <QProgressBar>

namespace hemu {

void BarProgress::progress(qint64 done, qint64 total)
{
    if (m_bar->maximum() != int(qMax<qint64>(total, 1)))
        m_bar->setRange(0, int(qMax<qint64>(total, 1)));
    m_bar->setValue(int(done));
    if (done % 256 == 0 || done == total)
        m_bar->repaint();
}

void BarProgress::reset(QProgressBar *bar)
{
    bar->setRange(0, 1);
    bar->setValue(0);
}

} // namespace hemu
