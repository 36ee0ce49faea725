#pragma once

#include "core/reports/pagemodel.h"

#include <QSizeF>
#include <QString>

#include <functional>

class QPdfWriter;

namespace hemu::render {

struct PdfSetup {
    QString title;
    QSizeF paperMm;
    int dpi = 1200;
};

/// Writes a PDF through `paint`, which draws every page on the writer it is given (set up from
/// `setup`, no margins) and returns false when it could not. The pages go to a temporary file
/// beside `file`, which replaces `file` only once all is written: a failure half-way leaves an
/// earlier file of that name as it was and no half-written PDF. `error` gets a message for
/// the user.
bool writePdfFile(const QString &file, const PdfSetup &setup, const std::function<bool(QPdfWriter &)> &paint,
                  QString *error = nullptr);

/// Writes the pages as a PDF with vector text and the CJK fonts embedded; false with `error`
/// set when the file cannot be written. Needs a QGuiApplication.
bool writePdf(const reports::PageModel &model, const QString &file, const QString &title, QString *error = nullptr);

} // namespace hemu::render
