#include "render/pdfexport.h"

#include "render/pagepainter.h"

#include <QSaveFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace hemu::render {

namespace {

QString cannotWrite(const QString &file, const QString &why)
{
    return why.isEmpty() ? QStringLiteral("无法写入文件 %1。").arg(file)
                         : QStringLiteral("无法写入文件 %1：%2").arg(file, why);
}

} // namespace

bool writePdfFile(const QString &file, const PdfSetup &setup, const std::function<bool(QPdfWriter &)> &paint,
                  QString *error)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = cannotWrite(file, out.errorString());
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&out);
        writer.setResolution(setup.dpi);
        writer.setTitle(setup.title);
        writer.setCreator(QStringLiteral("hemu"));
        writer.setPageSize(QPageSize(setup.paperMm, QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        painted = paint(writer);
    }
    if (!painted) {
        out.cancelWriting();
        if (error)
            *error = cannotWrite(file, QString());
        return false;
    }
    if (out.size() <= 0 || !out.commit()) {
        if (error)
            *error = cannotWrite(file, out.errorString());
        return false;
    }
    return true;
}

bool writePdf(const reports::PageModel &model, const QString &file, const QString &title, QString *error)
{
    constexpr int kDpi = 1200;
    constexpr double kDotsPerMm = kDpi / 25.4;
    const PdfSetup setup{title, QSizeF(model.paperWidth, model.paperHeight), kDpi};
    return writePdfFile(file, setup, [&](QPdfWriter &writer) {
        QPainter painter;
        if (!painter.begin(&writer))
            return false;
        for (int i = 0; i < model.pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, model.pages.at(i), kDotsPerMm);
        }
        painter.end();
        return true;
    }, error);
}

} // namespace hemu::render
