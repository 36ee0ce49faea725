#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <optional>
#include <sqlite3.h>

namespace hemu {
class Dataset;
}

namespace hemu::bench {

/// Wall time of `work` in milliseconds.
template <typename Work>
double timeMs(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(QList<double> values);

/// One plain query: the statement text and its parameters (integers or NULL).
struct PlainRead
{
    QByteArray sql;
    QList<std::optional<qint64>> params;
};

/// What the open datasets hold, as plain queries: every column of every row each shows (a
/// query dataset: its own statement).
QList<PlainRead> plainReadsOf(const QList<Dataset *> &datasets);

/// Runs the plain queries, reading every column of every row; returns a checksum.
double runPlainReads(sqlite3 *h, const QList<PlainRead> &reads);

} // namespace hemu::bench
