#include "core/masterdata/emptygoods.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"

namespace hemu::EmptyGoods {

bool show(BaseData &base, bool onlyEmpty, QString *error)
{
    if (!base.MarkZeroGoods(error))
        return false;
    Dataset &goods = *base.Goods;
    DatasetError e;
    if (onlyEmpty) {
        e = goods.setFilter(filterText());
        if (e.ok())
            e = goods.setFiltered(true);
    } else {
        e = goods.setFiltered(false);
    }
    if (e.failed() && error)
        *error = e.message();
    return e.ok();
}

} // namespace hemu::EmptyGoods
