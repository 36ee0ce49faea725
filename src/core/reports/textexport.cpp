#include "core/reports/textexport.h"

#include "core/reports/textmetrics.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>

namespace hemu::reports::textexport {

namespace {

constexpr int kBufferLines = 201;
constexpr double kColumnStretch = 1.7;

/// Where the text of an item starts, in mm from the page's left edge: the edge it is aligned
/// to, or for centred text the left end of the centred text.
double anchorX(const PageItem &item)
{
    switch (item.align) {
    case Align::Right:
        return item.x + item.width;
    case Align::Center:
        return item.x + (item.width - textmetrics::width(item.text, item.font)) / 2;
    case Align::Left:
        break;
    }
    return item.x;
}

} // namespace

QStringList pageLines(const PageModel &model, const Page &page)
{
    const double cell = model.basePoints * kMmPerPoint;
    const int linesPerPage = int(std::lround(model.paperHeight / cell));
    QList<QString> buffer(kBufferLines);
    for (const PageItem &item : page.items) {
        if (item.kind != PageItem::Text || item.text.isEmpty())
            continue;
        const long line = std::lround(item.y / cell);
        if (line < 0 || line >= kBufferLines)
            continue; // deeper than the buffer: such text has no place in the file
        long column = std::lround(anchorX(item) / cell * kColumnStretch);
        if (item.align == Align::Right)
            column -= item.text.size();
        column = std::max(1L, column);
        QString &s = buffer[line];
        if (s.size() < column)
            s += QString(column - s.size(), QLatin1Char(' '));
        s.remove(column - 1, item.text.size());
        s.insert(column - 1, item.text);
    }
    QStringList lines;
    for (int i = 0; i < std::min(linesPerPage, kBufferLines); ++i) {
        if (!buffer.at(i).isEmpty())
            lines << buffer.at(i);
    }
    return lines;
}

QString toText(const PageModel &model)
{
    QString text;
    for (const Page &page : model.pages) {
        for (const QString &line : pageLines(model, page))
            text += line + QLatin1Char('\n');
    }
    return text;
}

bool writeFile(const PageModel &model, const QString &file, QString *error)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(toText(model).toUtf8()) < 0 || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace hemu::reports::textexport
