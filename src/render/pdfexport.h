#pragma once

#include "core/reports/pagemodel.h"

#include <QString>

namespace hemu::render {

/// Writes the pages as a PDF with vector text and the CJK fonts embedded; false with `error`
/// set when the file cannot be written. Needs a QGuiApplication.
bool writePdf(const reports::PageModel &model, const QString &file, const QString &title, QString *error = nullptr);

} // namespace hemu::render
