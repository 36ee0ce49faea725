#pragma once

#include "core/reports/reportdefinition.h"

#include <QHash>

namespace hemu::reports {

/**
 * Lays out one run of a report into pages, a few records at a time, so that a window can
 * show progress and the first page while the rest is still being laid out. Pages before
 * completedPages() are final; the last one may still be filling.
 */
class ReportLayout
{
public:
    /// `variables` are the values of the Variable items (the prepared-by text, the date).
    ReportLayout(const ReportDefinition &definition, RecordSource &source, QHash<QString, QVariant> variables = {});

    /// Lays out up to `records` more records; true when the report is complete.
    bool step(int records = 200);
    bool finished() const { return m_state == State::Finished; }
    int completedPages() const;
    int recordsDone() const { return m_records; }
    const PageModel &pages() const { return m_model; }
    /// The reason reading the records stopped, if it stopped early.
    QString error() const { return m_source.error(); }

    /// Lays out the whole report in one go.
    static PageModel run(const ReportDefinition &definition, RecordSource &source,
                         const QHash<QString, QVariant> &variables = {});

private:
    enum class State { NotStarted, Running, Finished };
    struct Placed; // a band made ready for one record: its items and final height

    void start();
    void finish();
    void record(const Record &rec);
    Placed prepare(const Band &band, const Record *rec, const QList<double> *sums, double width) const;
    QString itemText(const ReportItem &item, const Record *rec, double sum) const;
    /// Places a band in the current column (or across the page); breaks column or page first
    /// when it does not fit below the bands already there.
    void place(const Band &band, const Record *rec, const QList<double> *sums, bool wholeWidth);
    void put(const Placed &placed, double x, double y);
    void openPage();
    void closePage();
    void nextColumnOrPage();
    double columnWidth() const;
    double columnLeft(int column) const;
    double bodyBottom() const;
    void addSums(const Band &band, QList<double> &sums, const Record &rec);

    const ReportDefinition &m_def;
    RecordSource &m_source;
    QHash<QString, QVariant> m_variables;
    PageModel m_model;
    State m_state = State::NotStarted;
    int m_records = 0;
    bool m_pageOpen = false;
    int m_column = 0;
    double m_y = 0;          // next free position in the current column
    double m_columnTop = 0;  // where the columns start on this page
    double m_lowest = 0;     // the lowest position reached by any column on this page
    bool m_columnUsed = false; // a body band stands in the current column
    bool m_inGroup = false;
    QVariant m_group;
    QList<double> m_groupSums;
    QList<double> m_totalSums;
};

} // namespace hemu::reports
