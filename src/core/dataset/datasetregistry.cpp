#include "core/dataset/datasetregistry.h"

#include "core/dataset/dataset.h"

namespace hemu {

QString DatasetRegistry::OpenFailure::message() const
{
    return QStringLiteral("ClassName=") + kindName + QStringLiteral("Name=") + name;
}

void DatasetRegistry::attach(Dataset *dataset)
{
    if (!dataset || datasets().contains(dataset))
        return;
    m_datasets.append(dataset);
}

void DatasetRegistry::detach(Dataset *dataset)
{
    m_datasets.removeAll(QPointer<Dataset>(dataset));
}

QList<Dataset *> DatasetRegistry::datasets() const
{
    return liveDatasets(m_datasets);
}

std::optional<DatasetRegistry::OpenFailure> DatasetRegistry::openTables()
{
    // By index up to the count at each step: a dataset opened on the way may attach more.
    for (int i = 0; i < m_datasets.size(); ++i) {
        Dataset *d = m_datasets[i];
        if (!d || d->isOpen() || d->kind() == Dataset::Kind::Query)
            continue;
        const DatasetError e = d->open();
        if (e.failed())
            return OpenFailure{d->kindName(), d->name(), e};
    }
    return std::nullopt;
}

void DatasetRegistry::closeAll()
{
    for (Dataset *d : datasets())
        d->close();
}

} // namespace hemu
