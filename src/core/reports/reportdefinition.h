#pragma once

#include "core/format/numberformat.h"
#include "core/reports/pagemodel.h"

#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace hemu::reports {

/// The current row of a record source, read by name.
class Record
{
public:
    virtual ~Record() = default;
    virtual QVariant value(const QString &name) const = 0;
};

/// Rows a report prints, read forward once.
class RecordSource
{
public:
    virtual ~RecordSource() = default;
    /// Moves to the next row (the first on the first call); false after the last or on error.
    virtual bool next() = 0;
    virtual const Record &record() const = 0;
    /// Why reading stopped early; empty when the rows simply ended.
    virtual QString error() const { return {}; }
};

using Expression = std::function<QVariant(const Record &)>;

/// The value of one column.
Expression field(const QString &name);
/// The sum of the `plus` columns less the `minus` columns (NULL counts as 0).
Expression sumOf(const QStringList &plus, const QStringList &minus = {});

/// One element of a band; positions in millimetres from the band's top left corner.
struct ReportItem
{
    enum Kind : quint8 {
        Label,      // `text`
        Value,      // `expression` of the band's record, through `format`
        Sum,        // the sum of `expression` over the records the band closes, through `format`
        Variable,   // `text` followed by the report variable `variable`
        PageNumber, // `text` followed by the page number
        Line,       // a line from (x, y) to (x + width, y + height)
        Frame       // a rectangle
    };
    Kind kind = Label;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    QString text;
    QString variable;
    QString suffix;          // Variable and PageNumber: printed after the value
    Expression expression;
    NumberFormat format;
    bool blankIfZero = false;
    Align align = Align::Left;
    FontSpec font;
    bool wrap = false;       // the text breaks into lines and the band grows with it
    bool fullHeight = false; // a Line that runs down the band's whole (grown) height
};

/// Lines drawn along the band's edges, at its final height.
struct BandFrame
{
    bool top = false;
    bool bottom = false;
    bool left = false;
    bool right = false;
    static BandFrame box() { return {true, true, true, true}; }
};

struct Band
{
    double height = 0; // mm, before any growth
    BandFrame frame;
    QList<ReportItem> items;
};

struct PageSetup
{
    double paperWidth = 210;
    double paperHeight = 297;
    double marginLeft = 10;
    double marginTop = 10;
    double marginRight = 10;
    double marginBottom = 10;
    int columns = 1;
    double columnSpacing = 0;

    static PageSetup a4Portrait() { return {}; }
    static PageSetup a4Landscape() { return {297, 210}; }
    /// The continuous paper the bills are printed on.
    static PageSetup bill210x94() { return {210, 94}; }
};

/**
 * A banded report: which bands print, what is in them, and on what paper. The bands print
 * in this order: page header, column header, group header (whenever the group expression
 * changes), detail (once per record), sub-detail (once per row of the linked source, after
 * each detail), group footer, summary (once, after the last record), page footer.
 */
struct ReportDefinition
{
    QString title;
    PageSetup page;
    FontSpec font;             // the report's own font: also the text export's character cell
    bool printIfEmpty = false; // off: a report without records has no pages
    Expression groupExpression;
    std::function<std::unique_ptr<RecordSource>(const Record &master)> subDetailSource;

    std::optional<Band> pageHeader;
    std::optional<Band> columnHeader;
    std::optional<Band> groupHeader;
    std::optional<Band> detail;
    std::optional<Band> subDetail;
    std::optional<Band> groupFooter;
    std::optional<Band> summary;
    std::optional<Band> pageFooter;
};

} // namespace hemu::reports
