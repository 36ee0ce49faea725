#pragma once

#include "core/reports/pagemodel.h"

#include <QIODevice>
#include <QStringList>

namespace hemu::reports {

/**
 * The plain-text rendering of laid-out pages on a grid of character cells as large as the
 * report's font: each text item goes to the line and column nearest its position (columns
 * stretched by 1.7 so that half-width digits line up with the printed columns), right-aligned
 * items ending there; empty lines are left out and pages follow one another without a
 * separator.
 */
namespace textexport {

/// The lines of one page, in order, empty ones left out.
QStringList pageLines(const PageModel &model, const Page &page);
/// The whole text, each line ended by "\n".
QString toText(const PageModel &model);
/// Writes toText() as UTF-8 into `file` (created or overwritten); false with `error` set.
bool writeFile(const PageModel &model, const QString &file, QString *error = nullptr);

} // namespace textexport
} // namespace hemu::reports
