#include "core/bills/billentry.h"

#include "core/dataset/dataset.h"

#include <cmath>
#include <cfenv>

namespace hemu {

int BillEntry::counterpart(const Dataset &header)
{
    if (!header.isOpen() || header.currentRow() < 0)
        return 0;
    return header.value(QStringLiteral("CustID")).toInt();
}

double BillEntry::roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which the program never changes from
    // round-to-nearest-even; said here so that nobody relies on it by accident.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    if (mode != FE_TONEAREST)
        std::fesetround(mode);
    return rounded;
}

bool BillEntry::drawnRed(const QVariant &qty)
{
    if (qty.isNull() || !qty.isValid())
        return false;
    bool ok = false;
    const double value = qty.toDouble(&ok);
    return ok && roundHalfEven(value) < 0;
}

QString BillEntry::listCaption(BillKind kind, int count)
{
    const char *name = kind == BillKind::StockIn ? "入库单 " : kind == BillKind::Delivery ? "调拨单 " : "出库单 ";
    return QString::fromUtf8(name) + QString::number(count) + QStringLiteral("张");
}

int BillEntry::billCount(const QList<const Dataset *> &headers)
{
    int total = 0;
    for (const Dataset *header : headers) {
        if (header && header->isOpen())
            total += header->rowCount() - (header->state() == Dataset::State::Insert ? 1 : 0);
    }
    return total;
}

QString BillEntry::countText(int count)
{
    return QStringLiteral("单据总数:") + QString::number(count);
}

DatasetError BillEntry::setCounterpart(Dataset &header, const QVariant &id)
{
    if (!header.isOpen() || (header.currentRow() < 0 && !header.isEditing()))
        return {};
    if (!header.isEditing()) {
        const DatasetError e = header.edit();
        if (e.failed())
            return e;
    }
    const DatasetError e = header.setValue(QStringLiteral("CustID"), id);
    if (e.failed())
        return e;
    return header.post();
}

DatasetError BillEntry::setBillDate(Dataset &header, const QDate &date)
{
    if (!header.isOpen() || !date.isValid() || (header.currentRow() < 0 && !header.isEditing()))
        return {};
    if (!header.isEditing()) {
        const DatasetError e = header.edit();
        if (e.failed())
            return e;
    }
    return header.setValue(QStringLiteral("TabDate"), date);
}

DatasetError BillEntry::finishPending(Dataset &dataset)
{
    if (!dataset.isEditing())
        return {};
    return dataset.checkBrowseMode();
}

BillEntry::ListGeometry BillEntry::openList(int screenWidth, int width)
{
    ListGeometry g;
    g.listWidth = listWidth;
    if (screenWidth < width + listWidth) {
        g.windowWidth = screenWidth;
        g.pageWidth = screenWidth - listWidth;
    } else {
        g.windowWidth = width + listWidth;
        g.pageWidth = width;
    }
    g.left = (screenWidth - g.windowWidth) / 2;
    return g;
}

BillEntry::ListGeometry BillEntry::closeList(int screenWidth, int rememberedWidth)
{
    ListGeometry g;
    g.windowWidth = rememberedWidth;
    g.pageWidth = rememberedWidth;
    g.listWidth = 0;
    g.left = (screenWidth - g.windowWidth) / 2;
    return g;
}

QString BillEntry::databaseClosedText()
{
    return QStringLiteral("数据库已经关闭。");
}

QString BillEntry::noCounterpartText()
{
    return QStringLiteral("请先填入供货方或收货方。");
}

QString BillEntry::unsavedQuestion()
{
    return QStringLiteral("对当前单据的修改尚未保存，是否保存？");
}

QString BillEntry::searchOpenText()
{
    return QStringLiteral("请先关闭检索表单。");
}

QString BillEntry::noRightText()
{
    return QStringLiteral("对不起，你无权操作此功能。");
}

} // namespace hemu
