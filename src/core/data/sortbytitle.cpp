#include "core/data/sortbytitle.h"

#include "core/dataset/dataset.h"

#include <QStringList>

namespace hemu {

namespace {

QString sortText(const QStringList &keys, const QString &direction)
{
    QStringList parts;
    parts.reserve(keys.size());
    for (const QString &key : keys)
        parts.append(key + QLatin1Char(' ') + direction);
    return parts.join(QLatin1Char(','));
}

// Sort texts are compared as the sort they mean: "CataID ASC, HardOrder ASC" set by a window
// is the same sort as "cataid asc,hardorder asc".
QString normalized(const QString &text)
{
    QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString &part : parts)
        part = part.simplified().toLower();
    return parts.join(QLatin1Char(','));
}

QStringList keysOf(const Dataset &dataset, const QString &fieldName)
{
    if (!dataset.findField(fieldName))
        return {};
    return dataset.sortKeyFor(fieldName);
}

} // namespace

QString titleSortText(const Dataset &dataset, const QString &fieldName)
{
    const QStringList keys = keysOf(dataset, fieldName);
    if (keys.isEmpty())
        return {};
    const QString ascending = sortText(keys, QStringLiteral("ASC"));
    if (normalized(dataset.sort()) == normalized(ascending))
        return sortText(keys, QStringLiteral("DESC"));
    return ascending;
}

bool isTitleSortOf(const Dataset &dataset, const QString &fieldName, const QString &sortText_)
{
    const QStringList keys = keysOf(dataset, fieldName);
    if (keys.isEmpty() || sortText_.isEmpty())
        return false;
    const QString current = normalized(sortText_);
    return current == normalized(sortText(keys, QStringLiteral("ASC")))
        || current == normalized(sortText(keys, QStringLiteral("DESC")));
}

QString SortByTitle(Dataset &dataset, const QString &fieldName)
{
    if (!dataset.isOpen())
        return {};
    const QString text = titleSortText(dataset, fieldName);
    if (text.isEmpty())
        return {};
    // A pending row is settled first, as any other move of the cursor would: sorting under
    // an unposted row would leave it at a position that no longer fits the order.
    if (dataset.checkBrowseMode().failed())
        return {};
    const Bookmark mark = dataset.bookmark();
    const DatasetError error = dataset.setSort(text);
    if (mark.isValid())
        dataset.gotoBookmark(mark);
    return error.ok() ? dataset.sort() : QString();
}

} // namespace hemu
