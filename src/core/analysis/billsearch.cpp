#include "core/analysis/billsearch.h"

#include "core/bills/billvalues.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/refusals.h"
#include "core/format/datetext.h"

#include <QSet>
#include <QSqlQuery>

namespace hemu {

namespace {

const QList<BillKind> kinds = {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt};

/// A code field's number: blank is "any" (`*given` false); anything but a whole number
/// refuses.
bool codeOf(const QString &text, qint64 *code, bool *given)
{
    const QString trimmed = text.trimmed();
    *given = !trimmed.isEmpty();
    if (!*given)
        return true;
    bool ok = false;
    *code = trimmed.toLongLong(&ok);
    return ok;
}

/// Runs `sql` and collects the TabID it returns.
bool collect(Database &db, const QString &sql, const QVariantList &params, QSet<qint64> *ids, QSqlError *error)
{
    QSqlQuery q = db.query(sql, params);
    if (!q.exec()) {
        *error = q.lastError();
        return false;
    }
    while (q.next())
        ids->insert(q.value(0).toLongLong());
    if (q.lastError().isValid()) {
        *error = q.lastError();
        return false;
    }
    return true;
}

QString failureText(const QSqlError &error)
{
    return isBusy(error) ? busyText() : error.text();
}

/// The rows of `header` that show a mark now (filtering is off).
QList<qint64> markedRows(const Dataset &header)
{
    QList<qint64> rowids;
    const int mark = header.fieldIndex(QStringLiteral("ForQuery"));
    if (mark < 0)
        return rowids;
    for (int row = 0; row < header.rowCount(); ++row) {
        if (!header.isPendingRow(row) && header.value(row, mark).toInt() != 0)
            rowids.append(header.rowidAt(row));
    }
    return rowids;
}

} // namespace

QString BillSearch::unknownGoodsText()
{
    return QStringLiteral("商品代码不存在。");
}

QString BillSearch::unknownCustomerText()
{
    return QStringLiteral("客户代码不存在。");
}

QString BillSearch::unknownCodeText()
{
    return QStringLiteral("代码不存在。");
}

QString BillSearch::badDateText()
{
    return BillValues::badDateText();
}

bool BillSearch::isEmpty(const Criteria &c)
{
    return c.date.isEmpty() && c.goods.trimmed().isEmpty() && c.party.trimmed().isEmpty() && c.person.trimmed().isEmpty();
}

QString BillSearch::Statement::text() const
{
    QString shown;
    qsizetype next = 0;
    for (const QChar ch : sql) {
        if (ch == QLatin1Char('?') && next < params.size()) {
            const QVariant &v = params.at(next++);
            shown += v.typeId() == QMetaType::QString ? QLatin1Char('\'') + v.toString() + QLatin1Char('\'') : v.toString();
        } else {
            shown += ch;
        }
    }
    return shown;
}

BillSearch::Statement BillSearch::markStatement(BillKind kind, const Criteria &c, QString *refusal)
{
    const QString h = headerTable(kind);
    const QString d = detailTable(kind);
    QStringList conditions;
    Statement st;
    auto refuse = [&](const QString &what) {
        if (refusal)
            *refusal = what;
        return Statement{};
    };
    if (!c.date.isEmpty()) {
        const QDate day = parseShortDate(c.date);
        if (!day.isValid())
            return refuse(badDateText());
        // The whole day, also a date stored with its time; the date index serves it.
        conditions << QStringLiteral("h.TabDate >= ? AND h.TabDate < ?");
        st.params << isoDateText(day) << isoDateText(day.addDays(1));
    }
    const struct
    {
        const QString &text;
        const char *column;
        QString unknown;
    } codes[] = {{c.goods, "m.GoodID", unknownGoodsText()},
                 {c.party, "h.CustID", unknownCustomerText()},
                 {c.person, "h.PersonID", unknownCodeText()}};
    for (const auto &code : codes) {
        qint64 value = 0;
        bool given = false;
        if (!codeOf(code.text, &value, &given))
            return refuse(code.unknown);
        if (given) {
            conditions << QLatin1String(code.column) + QStringLiteral(" = ?");
            st.params << value;
        }
    }
    // Joined with the lines: a bill without any line is never found.
    st.sql = QStringLiteral("UPDATE %1 SET ForQuery = 1 WHERE TabID IN (SELECT h.TabID FROM %1 h JOIN %2 m ON h.TabID = m.TabID%3) "
                            "RETURNING TabID")
                 .arg(h, d, conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")));
    return st;
}

BillSearch::Outcome BillSearch::run(Database &db, const QList<Dataset *> &headers, const Criteria &criteria)
{
    Outcome outcome;
    for (Dataset *header : headers)
        header->setFiltered(false);
    if (isEmpty(criteria))
        return outcome;

    // A criterion that is no date or no code refuses the search before anything changes.
    QString refusal;
    if (markStatement(BillKind::StockIn, criteria, &refusal).sql.isEmpty()) {
        outcome.error = refusal;
        return outcome;
    }
    // Rows this program shows as marked, whatever the file holds by now.
    QList<QSet<qint64>> changed;
    for (Dataset *header : headers) {
        const QList<qint64> marked = markedRows(*header);
        changed.append(QSet<qint64>(marked.begin(), marked.end()));
    }
    while (changed.size() < kinds.size())
        changed.append(QSet<qint64>());
    {
        Transaction tx(db);
        if (!tx.isActive()) {
            outcome.error = failureText(db.lastError());
            return outcome;
        }
        QSqlError error;
        for (BillKind kind : kinds) {
            const QString reset = QStringLiteral("UPDATE %1 SET ForQuery = 0 WHERE ForQuery <> 0 RETURNING TabID").arg(headerTable(kind));
            if (!collect(db, reset, {}, &changed[kinds.indexOf(kind)], &error)) {
                outcome.error = failureText(error);
                return outcome;
            }
        }
        for (BillKind kind : kinds) {
            const Statement st = markStatement(kind, criteria);
            // A failed statement leaves the others' marks: the search goes on.
            if (!collect(db, st.sql, st.params, &changed[kinds.indexOf(kind)], &error))
                outcome.failures << QStringLiteral("异常：") + st.text() + QLatin1Char('\n') + error.text();
        }
        if (!tx.commit()) {
            outcome.error = failureText(db.lastError());
            return outcome;
        }
    }
    outcome.searched = true;
    for (int k = 0; k < headers.size() && k < kinds.size(); ++k) {
        Dataset *header = headers[k];
        header->refreshRows(QList<qint64>(changed[k].begin(), changed[k].end()));
        header->setFilter(filterText());
        header->setFiltered(true);
    }
    return outcome;
}

} // namespace hemu
