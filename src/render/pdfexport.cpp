#include "render/pdfexport.h"

#include "render/pagepainter.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace hemu::render {

bool writePdf(const reports::PageModel &model, const QString &file, const QString &title, QString *error)
{
    constexpr int kDpi = 1200;
    constexpr double kDotsPerMm = kDpi / 25.4;
    {
        QPdfWriter writer(file);
        writer.setResolution(kDpi);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("hemu"));
        writer.setPageSize(QPageSize(QSizeF(model.paperWidth, model.paperHeight), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&writer)) {
            if (error)
                *error = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
        for (int i = 0; i < model.pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, model.pages.at(i), kDotsPerMm);
        }
        painter.end();
    }
    if (QFile(file).size() <= 0) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(file);
        return false;
    }
    return true;
}

} // namespace hemu::render
