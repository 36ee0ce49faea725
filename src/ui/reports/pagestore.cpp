#include "ui/reports/pagestore.h"

#include <QTimer>

namespace hemu {

PageStore::PageStore(reports::ReportDefinition definition, std::unique_ptr<reports::RecordSource> source,
                     QHash<QString, QVariant> variables, QObject *parent)
    : QObject(parent)
    , m_definition(std::move(definition))
    , m_source(std::move(source))
    , m_variables(std::move(variables))
{
    const reports::PageSetup &page = m_definition.page;
    m_print.orientation = page.paperWidth > page.paperHeight ? QPageLayout::Landscape : QPageLayout::Portrait;
    m_empty.paperWidth = page.paperWidth;
    m_empty.paperHeight = page.paperHeight;
    m_empty.basePoints = m_definition.font.points;
}

PageStore::~PageStore() = default;

void PageStore::generate()
{
    if (m_layout)
        return;
    m_layout = std::make_unique<reports::ReportLayout>(m_definition, *m_source, m_variables);
    m_status = Status::Busy;
    QTimer::singleShot(0, this, &PageStore::stepOnce);
}

void PageStore::finishNow()
{
    generate();
    while (m_status == Status::Busy && !m_layout->finished())
        stepOnce();
}

void PageStore::stepOnce()
{
    if (!m_layout || m_layout->finished())
        return;
    const bool done = m_layout->step(kRecordsPerStep);
    if (done)
        m_status = Status::Finished;
    announce();
    if (done)
        emit finished();
    else
        QTimer::singleShot(0, this, &PageStore::stepOnce);
}

void PageStore::announce()
{
    const int count = pageCount();
    if (count > m_announced) {
        m_announced = count;
        emit pagesAdded(count);
    }
}

void PageStore::setPrinting(bool printing)
{
    if (!m_layout || !m_layout->finished())
        return;
    m_status = printing ? Status::Busy : Status::Finished;
}

int PageStore::pageCount() const
{
    if (!m_layout)
        return 0;
    return m_layout->finished() ? int(m_layout->pages().pages.size()) : m_layout->completedPages();
}

const reports::Page *PageStore::page(int number) const
{
    if (number < 1 || number > pageCount())
        return nullptr;
    return &m_layout->pages().pages.at(number - 1);
}

const reports::PageModel &PageStore::model() const
{
    return m_layout ? m_layout->pages() : m_empty;
}

QString PageStore::error() const
{
    return m_layout ? m_layout->error() : QString();
}

int PageStore::recordsDone() const
{
    return m_layout ? m_layout->recordsDone() : 0;
}

} // namespace hemu
