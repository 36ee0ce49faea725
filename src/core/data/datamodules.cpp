#include "core/data/datamodules.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/shell/accountsetshell.h"

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

void connect(AccountSetShell &shell, BaseData &base, TabData &tab)
{
    shell.openDatasets = [&base]() -> std::optional<DatasetOpenFailure> {
        const auto failure = base.registry().openTables();
        // The user list stands on the user who logged in, as windows that read it expect.
        base.Psd->locate(QStringLiteral("UserID"), base.CurUserID());
        if (!failure)
            return std::nullopt;
        return DatasetOpenFailure{failure->kindName, failure->name};
    };
    shell.closeDatasets = [&base] { base.registry().closeAll(); };
    shell.applyFormat = [&base, &tab](const QString &format) { ApplyDisplayFormat(base, tab, format); };
}

} // namespace hemu::DataModules
