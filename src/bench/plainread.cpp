#include "bench/plainread.h"

#include "bench/rawstatement.h"
#include "core/dataset/dataset.h"

#include <algorithm>

namespace hemu::bench {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

/// What the open datasets hold, as plain queries: every column of every row each shows.
QList<PlainRead> plainReadsOf(const QList<Dataset *> &datasets)
{
    QList<PlainRead> reads;
    for (Dataset *ds : datasets) {
        if (!ds->isOpen())
            continue;
        PlainRead read;
        if (ds->kind() == Dataset::Kind::Query) {
            // The query's own statement, its parameters the master row's keys as the view
            // binds them (a query here has no others).
            read.sql = ds->sql().toUtf8();
            if (Dataset *master = ds->master()) {
                for (const QString &field : ds->masterFields()) {
                    const QVariant key = master->value(field);
                    read.params << (key.isNull() ? std::nullopt : std::optional<qint64>(key.toLongLong()));
                }
            }
        } else if (ds->kind() == Dataset::Kind::Command) {
            read.sql = ds->sql().toUtf8();
            // The command's parameters are unset at open: NULL, as the dataset binds them.
        } else {
            QStringList columns{QStringLiteral("rowid")};
            for (Field *f : ds->fields()) {
                if (f->isData())
                    columns << QLatin1Char('"') + f->name() + QLatin1Char('"');
            }
            QString sql = QStringLiteral("SELECT %1 FROM \"%2\"").arg(columns.join(QLatin1Char(',')), ds->tableName());
            if (Dataset *master = ds->master()) {
                QStringList where;
                for (int i = 0; i < ds->detailFields().size(); ++i) {
                    where << QLatin1Char('"') + ds->detailFields()[i] + QStringLiteral("\" = ?");
                    const QVariant key = master->value(ds->masterFields().value(i));
                    read.params << (key.isNull() ? std::nullopt : std::optional<qint64>(key.toLongLong()));
                }
                sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
            }
            read.sql = (sql + QStringLiteral(" ORDER BY rowid")).toUtf8();
        }
        reads << read;
    }
    return reads;
}

/// Runs the plain queries, reading every column of every row; returns a checksum.
double runPlainReads(sqlite3 *h, const QList<PlainRead> &reads)
{
    double sum = 0;
    for (const PlainRead &read : reads) {
        RawStatement st(h, read.sql.constData());
        const int parameters = sqlite3_bind_parameter_count(st.handle());
        for (int i = 1; i <= parameters; ++i) {
            const auto value = read.params.value(i - 1);
            if (value)
                st.bind(i, *value);
        }
        while (st.next())
            sum += st.touchRow();
    }
    return sum;
}

} // namespace hemu::bench
