#include "core/data/goodsmarks.h"

#include "core/data/columninfo.h"
#include "core/dataset/dataset.h"

namespace hemu {

namespace {
const char *const searchColumn = "flag";
const char *const zeroColumn = "IsZero";

/// Caption, Yes/No display and visibility of the column the field stands in for.
void describeAsColumn(Field &field, const char *column)
{
    const ColumnInfo *info = ColumnInfos::find(QStringLiteral("Goods"), QString::fromLatin1(column));
    if (!info)
        return;
    if (*info->caption)
        field.setCaption(QString::fromUtf8(info->caption));
    if (info->yesNo)
        field.setBooleanTexts(QStringLiteral("√"), QString());
    field.setVisible(!info->hidden);
}
} // namespace

QStringList GoodsMarks::columns()
{
    return {QString::fromLatin1(zeroColumn), QString::fromLatin1(searchColumn)};
}

void GoodsMarks::addSearchMark(Dataset &goods) const
{
    Field &f = goods.addCalcField(
        QString::fromLatin1(searchColumn),
        [this](const RecordRef &r) { return QVariant(isSearchMarked(r.value(QStringLiteral("GoodID")).toLongLong()) ? 1 : 0); },
        DataType::Integer);
    describeAsColumn(f, searchColumn);
}

void GoodsMarks::addZeroMark(Dataset &goods) const
{
    Field &f = goods.addCalcField(
        QString::fromLatin1(zeroColumn),
        [this](const RecordRef &r) { return QVariant(isZeroMarked(r.value(QStringLiteral("GoodID")).toLongLong())); },
        DataType::Boolean);
    describeAsColumn(f, zeroColumn);
}

void GoodsMarks::declareGoodsFields(Dataset &goods, const QStringList &excluded) const
{
    ColumnInfos::declareFields(goods, excluded + columns());
    if (!excluded.contains(QString::fromLatin1(zeroColumn)))
        addZeroMark(goods);
    if (!excluded.contains(QString::fromLatin1(searchColumn)))
        addSearchMark(goods);
    QStringList order;
    for (const QString &column : ColumnInfos::columnNames(QStringLiteral("Goods")))
        if (!excluded.contains(column, Qt::CaseInsensitive))
            order << column;
    goods.setFieldOrder(order);
}

} // namespace hemu
