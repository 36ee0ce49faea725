#include "core/data/datamodules.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"

namespace hemu::DataModules {

void ApplyDisplayFormat(BaseData &base, TabData &tab, const QString &format)
{
    for (Dataset *ds : {base.Goods, base.lkGoods, tab.Goods, tab.GoodsInCusts}) {
        for (Field *f : ds->fields()) {
            if (f->dataType() == DataType::Float)
                f->setDisplayFormat(format);
        }
    }
}

} // namespace hemu::DataModules
