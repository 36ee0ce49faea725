#include "core/bills/billkind.h"

namespace hemu {

namespace {
const BillKindInfo kinds[] = {
    {BillKind::StockIn, "RuKuDan", "RuKuMx", "RuKu", "RK-", "HandInc", "HandIncMny", "CostPrice", nullptr, nullptr},
    {BillKind::Delivery, "DiaoBoDan", "DiaoBoMx", "DiaoBo", "CK-", "CustHandInc", "CustHandIncMny", "SellPrice", "HandInc", "HandIncMny"},
    {BillKind::Receipt, "ChuKuDan", "ChuKuMx", "ChuKu", "SK-", "Sold", "SoldMny", "SellPrice", "Sold", "SoldMny"},
};
} // namespace

const BillKindInfo &billKindInfo(BillKind kind)
{
    return kinds[int(kind) - 1];
}

bool billKindFromInt(int value, BillKind *kind)
{
    if (value < 1 || value > 3)
        return false;
    *kind = BillKind(value);
    return true;
}

bool billKindFromDetailName(const QString &name, BillKind *kind)
{
    for (const BillKindInfo &k : kinds) {
        if (name.compare(QLatin1String(k.detailTable), Qt::CaseInsensitive) == 0) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

} // namespace hemu
