#pragma once

#include "core/reports/pagemodel.h"

#include <QStringList>

namespace hemu::reports {

/**
 * Text measuring for layout without a font database: a CJK or full-width character takes
 * one em, any other character half an em. The CJK fonts the renderers use draw Chinese at
 * exactly one em and Latin digits and letters at about half an em, so the widths agree with
 * the printed page closely enough for wrapping, and the layout is the same on every machine,
 * with or without a display.
 */
namespace textmetrics {

/// Width of `text` in millimetres at `font`.
double width(const QString &text, const FontSpec &font);

/// Breaks `text` into lines no wider than `width` mm: at blanks where it can, else between
/// characters; explicit line breaks are kept. Always at least one line.
QStringList wrap(const QString &text, const FontSpec &font, double width);

} // namespace textmetrics
} // namespace hemu::reports
