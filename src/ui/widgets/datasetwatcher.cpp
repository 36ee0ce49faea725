#include "ui/widgets/datasetwatcher.h"

#include "core/dataset/dataset.h"

#include <QPointer>

namespace hemu {

void DatasetWatcher::subscribe(Dataset *ds, QObject *context, Changes changes, const std::function<void()> &handler)
{
    if (!ds || !context)
        return;
    const auto call = [handler] { handler(); };
    if (changes & RowsReset)
        QObject::connect(ds, &Dataset::rowsReset, context, call);
    if (changes & RowInserted)
        QObject::connect(ds, &Dataset::rowInserted, context, call);
    if (changes & RowRemoved)
        QObject::connect(ds, &Dataset::rowRemoved, context, call);
    if (changes & AnyRowChanged) {
        QObject::connect(ds, &Dataset::rowChanged, context, call);
    } else if (changes & CurrentValues) {
        const QPointer<Dataset> watched(ds);
        QObject::connect(ds, &Dataset::rowChanged, context, [watched, handler](int row) {
            if (watched && row == watched->currentRow())
                handler();
        });
    }
    if (changes & Current)
        QObject::connect(ds, &Dataset::currentChanged, context, call);
    if (changes & State)
        QObject::connect(ds, &Dataset::stateChanged, context, call);
    if (changes & Active)
        QObject::connect(ds, &Dataset::activeChanged, context, call);
    if (changes & Fields)
        QObject::connect(ds, &Dataset::fieldsChanged, context, call);
    // Queued: while QObject::destroyed runs, the dataset is half taken down.
    if (changes & Destroyed)
        QObject::connect(ds, &QObject::destroyed, context, call, Qt::QueuedConnection);
}

} // namespace hemu
