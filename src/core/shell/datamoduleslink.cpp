#include "core/shell/datamoduleslink.h"

#include "core/data/basedata.h"
#include "core/data/datamodules.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/dataset/datasetregistry.h"
#include "core/shell/accountsetshell.h"

namespace hemu {

void connectDataModules(AccountSetShell &shell, BaseData &base, TabData &tab)
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
    shell.applyFormat = [&base, &tab](const QString &format) { DataModules::ApplyDisplayFormat(base, tab, format); };
}

} // namespace hemu
