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

BillSearch::Statement BillSearch::findStatement(BillKind kind, const Criteria &c, QString *refusal)
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
    st.sql = QStringLiteral("SELECT DISTINCT h.TabID FROM %1 h JOIN %2 m ON h.TabID = m.TabID%3")
                 .arg(h, d, conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")));
    return st;
}

BillSearch::Outcome BillSearch::run(Database &db, const QList<Dataset *> &headers, const Criteria &criteria)
{
    Outcome outcome;
    auto showEverything = [&] {
        for (Dataset *header : headers)
            header->setFiltered(false);
    };
    if (isEmpty(criteria)) {
        showEverything();
        return outcome;
    }
    // A criterion that is no date or no code refuses the search before anything changes.
    QString refusal;
    if (findStatement(BillKind::StockIn, criteria, &refusal).sql.isEmpty()) {
        outcome.error = refusal;
        showEverything();
        return outcome;
    }
    QList<QSet<qint64>> found(kinds.size());
    for (int k = 0; k < kinds.size(); ++k) {
        const Statement st = findStatement(kinds[k], criteria);
        QSqlError error;
        // A failed statement shows no bill of its kind: the search goes on with the others.
        if (!collect(db, st.sql, st.params, &found[k], &error)) {
            found[k].clear();
            outcome.failures << QStringLiteral("异常：") + st.text() + QLatin1Char('\n') + failureText(error);
        }
    }
    outcome.searched = true;
    for (int k = 0; k < headers.size() && k < kinds.size(); ++k) {
        Dataset *header = headers[k];
        // Bills another program entered since the list was read come in with the search.
        QList<qint64> unread;
        for (const qint64 id : std::as_const(found[k]))
            if (!header->holdsRowid(id))
                unread.append(id);
        if (!unread.isEmpty())
            header->refreshRows(unread);
        if (!header->filter().isEmpty())
            header->setFilter(QString());
        header->setRowidFilter(found[k]);
        header->setFiltered(true);
    }
    return outcome;
}

QSet<qint64> BillSearch::marks(const Dataset &header)
{
    return header.rowidFilter().value_or(QSet<qint64>());
}

} // namespace hemu
