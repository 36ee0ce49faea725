#include "core/masterdata/goodscodelock.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"

namespace hemu::GoodsCodeLock {

bool isLocked(BaseData &base, const Dataset &goods)
{
    if (!goods.isOpen() || goods.currentRow() < 0)
        return false;
    const QVariant id = goods.value(QStringLiteral("GoodID"));
    return !id.isNull() && base.goodsInUse(id);
}

} // namespace hemu::GoodsCodeLock
