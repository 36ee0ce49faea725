#pragma once

#include "core/reports/reportlayout.h"

#include <QObject>
#include <QPageLayout>

#include <memory>

namespace hemu {

/// What a report prints with: printer (empty: the default one), copies, orientation and the
/// page range (0 and 0: all pages).
struct PrintSettings
{
    QString printer;
    int copies = 1;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int firstPage = 0;
    int lastPage = 0;
};

/**
 * The pages of one report as the preview sees them. generate() lays the report out a few
 * records per turn of the event loop, so that the window stays responsive and the first page
 * shows as soon as it is complete; pagesAdded() tells each time more pages are final.
 * The status is Busy while pages are laid out or printed, Finished when all are there.
 */
class PageStore : public QObject
{
    Q_OBJECT
public:
    enum class Status { Ready, Busy, Finished };

    PageStore(reports::ReportDefinition definition, std::unique_ptr<reports::RecordSource> source,
              QHash<QString, QVariant> variables, QObject *parent = nullptr);
    ~PageStore() override;

    /// Starts laying the pages out; returns at once.
    void generate();
    /// Lays out the rest at once (tests and callers that need every page now).
    void finishNow();

    Status status() const { return m_status; }
    /// Marks a print run: Busy while it lasts, Finished afterwards.
    void setPrinting(bool printing);
    /// The pages that are final.
    int pageCount() const;
    /// Page `number` (from 1) once it is final, else nullptr.
    const reports::Page *page(int number) const;
    const reports::PageModel &model() const;
    QString title() const { return m_definition.title; }
    /// Why reading the records stopped early, if it did.
    QString error() const;
    int recordsDone() const;

    PrintSettings &printSettings() { return m_print; }

    /// Records laid out per turn of the event loop.
    static constexpr int kRecordsPerStep = 100;

signals:
    void pagesAdded(int pageCount);
    void finished();

private:
    void stepOnce();
    void announce();

    reports::ReportDefinition m_definition;
    std::unique_ptr<reports::RecordSource> m_source;
    QHash<QString, QVariant> m_variables;
    std::unique_ptr<reports::ReportLayout> m_layout;
    reports::PageModel m_empty;
    Status m_status = Status::Ready;
    int m_announced = 0;
    PrintSettings m_print;
};

} // namespace hemu
