#pragma once

#include "ui/widgets/gridcolumn.h"

namespace hemu {

/// The goods a customer holds as both receipt pickers list them.
inline QList<GridColumn> holdingsColumns()
{
    return {{.field = QStringLiteral("GoodID"), .title = QStringLiteral("产品码"), .width = 60},
            {.field = QStringLiteral("Description"), .title = QStringLiteral("品名型号"), .width = 180},
            {.field = QStringLiteral("qty"), .title = QStringLiteral("数量"), .width = 70},
            {.field = QStringLiteral("APrice"), .title = QStringLiteral("均价"), .width = 70},
            {.field = QStringLiteral("Mny"), .title = QStringLiteral("金额"), .width = 80}};
}

} // namespace hemu
