#pragma once

#include "core/dataset/dataseterror.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace hemu {

class Dataset;

/**
 * The datasets attached to the account-set connection, in the order they were attached:
 * the open loop opens the table and command datasets in that order, the close closes all.
 */
class DatasetRegistry
{
public:
    /// Why the open loop stopped.
    struct OpenFailure
    {
        QString kindName; // "TADOTable" or "TADODataSet"
        QString name;     // component name
        DatasetError error;
        /// "ClassName=" + kind name + "Name=" + name, joined without separators.
        QString message() const;
    };

    /// Appends `dataset` (once); a destroyed dataset drops out by itself.
    void attach(Dataset *dataset);
    void detach(Dataset *dataset);
    QList<Dataset *> datasets() const;
    int count() const { return int(datasets().size()); }

    /// Opens, in attachment order, every "TADOTable" and "TADODataSet" dataset that is not
    /// open yet; stops at the first that fails and returns it. Query datasets stay closed.
    std::optional<OpenFailure> openTables();
    /// Closes every attached dataset of every kind, in attachment order.
    void closeAll();

private:
    QList<QPointer<Dataset>> m_datasets;
};

} // namespace hemu
