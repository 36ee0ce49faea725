#pragma once

#include <QFlags>
#include <QObject>
#include <functional>

namespace hemu {

class Dataset;

/**
 * The one place data-aware widgets subscribe to a dataset: a widget names the kinds of
 * change it cares about and gets one call for each, instead of wiring the dataset's
 * signals itself. Subscriptions end with their context object.
 */
class DatasetWatcher
{
public:
    enum Change {
        RowsReset = 0x001,     ///< the whole view was read again, filtered or sorted
        RowInserted = 0x002,
        RowRemoved = 0x004,
        AnyRowChanged = 0x008, ///< values of some row changed
        CurrentValues = 0x010, ///< values of the current row changed
        Current = 0x020,       ///< the cursor moved
        State = 0x040,         ///< browse / edit / insert
        Active = 0x080,        ///< opened or closed
        Fields = 0x100,        ///< captions, formats, visibility
        Destroyed = 0x200,     ///< the dataset is gone (called once control returns to the loop)
    };
    Q_DECLARE_FLAGS(Changes, Change)
    static constexpr Changes Rows = Changes::fromInt(RowsReset | RowInserted | RowRemoved);
    /// What a widget showing the current row needs.
    static constexpr Changes CurrentRecord =
        Changes::fromInt(RowsReset | RowInserted | RowRemoved | CurrentValues | Current | State | Active | Fields);
    /// What a list over all rows of a dataset needs.
    static constexpr Changes AllRows = Changes::fromInt(RowsReset | RowInserted | RowRemoved | AnyRowChanged | Active);

    /// Calls `handler` whenever one of `changes` happens to `dataset`, until `context` or
    /// the dataset is destroyed.
    static void subscribe(Dataset *dataset, QObject *context, Changes changes, const std::function<void()> &handler);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DatasetWatcher::Changes)

} // namespace hemu
