#pragma once

#include <QList>
#include <QString>

namespace hemu::reports {

/// Millimetres per typographic point.
constexpr double kMmPerPoint = 0.35278;

/// A font as a report names it ("宋体", "黑体") at a size in points.
struct FontSpec
{
    QString family = QStringLiteral("宋体");
    double points = 9;
    bool bold = false;

    /// The height of one text line in millimetres.
    double lineHeight() const { return points * kMmPerPoint * 1.25; }
    bool operator==(const FontSpec &) const = default;
};

enum class Align : quint8 { Left, Center, Right };

/// One thing printed on a page, positioned in millimetres from the paper's top left corner.
struct PageItem
{
    enum Kind : quint8 { Text, Line, Box };
    Kind kind = Text;
    double x = 0;
    double y = 0;
    double width = 0;  // a Line goes from (x, y) to (x + width, y + height)
    double height = 0;
    QString text;      // Text only: one line, never wrapped again by a renderer
    FontSpec font;
    Align align = Align::Left;
};

struct Page
{
    QList<PageItem> items;
};

/// The laid-out pages of one report: what previews, the text export and the PDF writer draw.
struct PageModel
{
    double paperWidth = 210;  // mm
    double paperHeight = 297; // mm
    /// The report's own font size: the character cell of the text export.
    double basePoints = 9;
    QList<Page> pages;
};

} // namespace hemu::reports
