// hemu-cli exec: operations as JSON lines on stdin, each run through the data modules and
// their rules exactly as the windows run them, one JSON line of answer per operation.
#include "cli/commands.h"

#include "core/bills/billvalues.h"
#include "core/data/basedata.h"
#include "core/data/invoiceentry.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/passwordhash.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "core/shell/login.h"
#include "core/shell/periodclose.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>

namespace hemu::cli {

namespace {

/// An operation that cannot go on; its text becomes the answer's "error".
struct OpError
{
    QString text;
};

class Executor
{
public:
    Executor(BaseData &base, TabData &tab, ScriptedPrompter &prompter)
        : m_base(base), m_tab(tab), m_prompter(prompter)
    {
    }

    QJsonObject run(const QJsonObject &op)
    {
        const QString name = op.value(QStringLiteral("op")).toString();
        QJsonObject answer;
        if (name == QLatin1String("add") || name == QLatin1String("update") || name == QLatin1String("delete"))
            answer = masterOp(name, op);
        else if (name == QLatin1String("bill"))
            answer = bill(op);
        else if (name == QLatin1String("line"))
            answer = line(op);
        else if (name == QLatin1String("edit-line"))
            answer = editLine(op);
        else if (name == QLatin1String("delete-line"))
            answer = deleteLine(op);
        else if (name == QLatin1String("set-party"))
            answer = setParty(op);
        else if (name == QLatin1String("delete-bill"))
            answer = deleteBill(op);
        else if (name == QLatin1String("invoice"))
            answer = invoice(op);
        else if (name == QLatin1String("recalc"))
            answer = recalc(op);
        else if (name == QLatin1String("carry-forward"))
            answer = result(PeriodClose::carryForward(m_tab, m_prompter, QDate::currentDate()));
        else if (name == QLatin1String("purge-idle"))
            answer = periodResult([&](QString *e) { return m_tab.PurgeIdleCustStock(e); });
        else if (name == QLatin1String("clear-bills"))
            answer = periodResult([&](QString *e) { return m_tab.ClearBills(e); });
        else if (name == QLatin1String("clear-totals"))
            answer = periodResult([&](QString *e) { return m_tab.ClearTotals(e); });
        else
            throw OpError{QStringLiteral("unknown op \"%1\"").arg(name)};
        return answer;
    }

private:
    static QJsonObject result(bool ok)
    {
        return QJsonObject{{QStringLiteral("ok"), ok}};
    }

    QJsonObject periodResult(const std::function<bool(QString *)> &work)
    {
        QString error;
        QJsonObject answer = result(work(&error));
        if (!error.isEmpty())
            answer.insert(QStringLiteral("error"), error);
        return answer;
    }

    static QJsonValue need(const QJsonObject &op, const char *key)
    {
        const QJsonValue v = op.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            throw OpError{QStringLiteral("missing \"%1\"").arg(QLatin1String(key))};
        return v;
    }

    /// An id: a whole number that fits the key columns (the rules then check that it exists).
    static int needInt(const QJsonObject &op, const char *key)
    {
        int id = 0;
        if (!BillValues::isId(need(op, key).toVariant(), &id))
            throw OpError{BillValues::notAnIdText(QStringLiteral("\"%1\"").arg(QLatin1String(key)))};
        return id;
    }

    /// A quantity, price or amount: a JSON number and nothing else (a text, true/false, a
    /// list or null is not taken for 0); the rules then check what single precision holds.
    static double needNumber(const QJsonObject &op, const char *key)
    {
        const QJsonValue v = op.value(QLatin1String(key));
        if (!BillValues::isNumber(v.toVariant()))
            throw OpError{BillValues::notANumberText(QStringLiteral("\"%1\"").arg(QLatin1String(key)))};
        return v.toDouble();
    }

    static BillKind kindOf(const QJsonObject &op)
    {
        BillKind kind;
        if (!billKindFromInt(needInt(op, "kind"), &kind))
            throw OpError{QStringLiteral("\"kind\" must be 1, 2 or 3")};
        return kind;
    }

    static QVariant toVariant(const QJsonValue &v)
    {
        if (v.isBool())
            return v.toBool() ? 1 : 0;
        if (v.isNull())
            return QVariant();
        return v.toVariant();
    }

    /// A failed dataset call ends the operation; refusals were reported through the prompter.
    static void check(const DatasetError &e)
    {
        if (e.failed())
            throw OpError{e.isRefused() || e.isReported() ? QString() : e.message()};
    }

    Dataset &masterDataset(const QString &table)
    {
        const struct
        {
            const char *table;
            Dataset *BaseData::*dataset;
            const char *key;
        } map[] = {
            {"Catalogs", &BaseData::Cata, "CataID"},        {"Areas", &BaseData::Areas, "AreaID"},
            {"Units", &BaseData::Units, "UnitID"},          {"Vendors", &BaseData::Vendors, "VendorID"},
            {"Customers", &BaseData::Custs, "CustID"},      {"Departments", &BaseData::Depart, "CustID"},
            {"Employees", &BaseData::Employees, "EmpID"},   {"Goods", &BaseData::Goods, "GoodID"},
            {"psd", &BaseData::Psd, "UserID"},
        };
        for (const auto &m : map) {
            if (table.compare(QLatin1String(m.table), Qt::CaseInsensitive) == 0) {
                m_key = QString::fromLatin1(m.key);
                return *(m_base.*(m.dataset));
            }
        }
        throw OpError{QStringLiteral("unknown table \"%1\"").arg(table)};
    }

    void assign(Dataset &ds, const QJsonObject &values)
    {
        for (auto it = values.begin(); it != values.end(); ++it) {
            QVariant value = toVariant(it.value());
            if (ds.tableName() == QLatin1String("psd") && it.key().compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0) {
                if (value.toString().size() > MaxPasswordLength)
                    throw OpError{QStringLiteral("a password has at most %1 characters").arg(MaxPasswordLength)};
                value = hashPassword(value.toString());
            }
            check(ds.setValue(it.key(), value));
        }
    }

    void locateOrFail(Dataset &ds, const QString &field, const QVariant &value)
    {
        ds.setFiltered(false);
        if (!ds.locate(field, value))
            throw OpError{QStringLiteral("no %1 with %2 = %3").arg(ds.name(), field, value.toString())};
    }

    QJsonObject masterOp(const QString &name, const QJsonObject &op)
    {
        Dataset &ds = masterDataset(need(op, "table").toString());
        if (name == QLatin1String("add")) {
            check(ds.append());
            assign(ds, op.value(QStringLiteral("values")).toObject());
            check(ds.post());
        } else {
            locateOrFail(ds, m_key, needInt(op, "id"));
            if (name == QLatin1String("delete")) {
                check(ds.remove());
                return result(true);
            }
            check(ds.edit());
            assign(ds, op.value(QStringLiteral("values")).toObject());
            check(ds.post());
        }
        QJsonObject answer = result(true);
        answer.insert(QStringLiteral("id"), QJsonValue::fromVariant(ds.value(m_key)));
        return answer;
    }

    Dataset &billHeader(BillKind kind, const QJsonObject &op)
    {
        Dataset &h = *m_tab.header(kind);
        locateOrFail(h, QStringLiteral("TabID"), needInt(op, "bill"));
        return h;
    }

    int addLine(BillKind kind, const QJsonObject &line)
    {
        Dataset &d = *m_tab.detail(kind);
        check(d.append());
        check(d.setValue(QStringLiteral("GoodID"), needInt(line, "goods")));
        check(d.setValue(QStringLiteral("Qty"), needNumber(line, "qty")));
        check(d.setValue(QStringLiteral("Price"), needNumber(line, "price")));
        check(d.post());
        return d.value(QStringLiteral("ItemNo")).toInt();
    }

    QJsonObject bill(const QJsonObject &op)
    {
        const BillKind kind = kindOf(op);
        Dataset &h = *m_tab.header(kind);
        h.setFiltered(false);
        check(h.append());
        check(h.setValue(QStringLiteral("CustID"), needInt(op, "party")));
        if (op.contains(QStringLiteral("date")))
            check(h.setValue(QStringLiteral("TabDate"), toVariant(op.value(QStringLiteral("date")))));
        if (op.contains(QStringLiteral("book")))
            check(h.setValue(QStringLiteral("BookID"), op.value(QStringLiteral("book")).toString()));
        if (op.contains(QStringLiteral("remark")))
            check(h.setValue(QStringLiteral("Remark"), op.value(QStringLiteral("remark")).toString()));
        check(h.post());
        const int tabId = h.value(QStringLiteral("TabID")).toInt();
        QJsonObject answer = result(true);
        answer.insert(QStringLiteral("tabId"), tabId);
        QJsonArray items;
        for (const QJsonValue &l : op.value(QStringLiteral("lines")).toArray()) {
            try {
                items.append(addLine(kind, l.toObject()));
            } catch (const OpError &e) {
                // The bill and the lines before stay, as they would in the window.
                answer.insert(QStringLiteral("ok"), false);
                if (!e.text.isEmpty())
                    answer.insert(QStringLiteral("error"), e.text);
                m_tab.detail(kind)->cancel();
                break;
            }
        }
        answer.insert(QStringLiteral("items"), items);
        return answer;
    }

    QJsonObject line(const QJsonObject &op)
    {
        const BillKind kind = kindOf(op);
        billHeader(kind, op);
        QJsonObject answer = result(true);
        answer.insert(QStringLiteral("item"), addLine(kind, op));
        return answer;
    }

    Dataset &lineOf(BillKind kind, const QJsonObject &op)
    {
        billHeader(kind, op);
        Dataset &d = *m_tab.detail(kind);
        locateOrFail(d, QStringLiteral("ItemNo"), needInt(op, "item"));
        return d;
    }

    QJsonObject editLine(const QJsonObject &op)
    {
        const BillKind kind = kindOf(op);
        Dataset &d = lineOf(kind, op);
        check(d.edit());
        if (op.contains(QStringLiteral("goods")))
            check(d.setValue(QStringLiteral("GoodID"), needInt(op, "goods")));
        if (op.contains(QStringLiteral("qty")))
            check(d.setValue(QStringLiteral("Qty"), needNumber(op, "qty")));
        if (op.contains(QStringLiteral("price")))
            check(d.setValue(QStringLiteral("Price"), needNumber(op, "price")));
        check(d.post());
        return result(true);
    }

    QJsonObject deleteLine(const QJsonObject &op)
    {
        check(lineOf(kindOf(op), op).remove());
        return result(true);
    }

    QJsonObject setParty(const QJsonObject &op)
    {
        Dataset &h = billHeader(kindOf(op), op);
        check(h.edit());
        check(h.setValue(QStringLiteral("CustID"), needInt(op, "party")));
        check(h.post());
        return result(true);
    }

    QJsonObject deleteBill(const QJsonObject &op)
    {
        check(billHeader(kindOf(op), op).remove());
        return result(true);
    }

    QJsonObject invoice(const QJsonObject &op)
    {
        QJsonObject withKind = op;
        withKind.insert(QStringLiteral("kind"), 1);
        billHeader(BillKind::StockIn, withKind);
        const QString number = need(op, "number").toString();
        const QVariant date = op.contains(QStringLiteral("date")) ? toVariant(op.value(QStringLiteral("date"))) : QVariant();
        const QJsonValue spec = op.value(QStringLiteral("lines"));
        QList<InvoiceEntry::Line> lines;
        for (const QJsonValue &l : spec.toArray()) {
            const QJsonObject o = l.toObject();
            const double qty = needNumber(o, "qty");
            const double price = needNumber(o, "price");
            lines.append({needInt(o, "goods"), qty, price, o.contains(QStringLiteral("money")) ? needNumber(o, "money") : qty * price});
        }
        double total = 0;
        check(InvoiceEntry(m_tab).save(number, date, lines, spec.toString() == QLatin1String("copy"), &total));
        QJsonObject answer = result(true);
        answer.insert(QStringLiteral("total"), total);
        return answer;
    }

    QJsonObject recalc(const QJsonObject &op)
    {
        NullProgress progress;
        QString error;
        QJsonObject answer = result(
            m_tab.RecalcTotals(need(op, "start").toString(), need(op, "end").toString(), progress, &error));
        if (!error.isEmpty())
            answer.insert(QStringLiteral("error"), error);
        return answer;
    }

    BaseData &m_base;
    TabData &m_tab;
    ScriptedPrompter &m_prompter;
    QString m_key;
};

QString compactJson(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

int execOperations(const QString &file, const QStringList &options)
{
    QStringList args = options;
    int userId = 1;
    QString password;
    bool answerYes = true;
    int busyTimeout = -1; // milliseconds a write waits for another program; the open's own by default
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--user") && hasValue)
            userId = args[++i].toInt();
        else if (a == QLatin1String("--password") && hasValue)
            password = args[++i];
        else if (a == QLatin1String("--answer") && hasValue)
            answerYes = args[++i] != QLatin1String("no");
        else if (a == QLatin1String("--busy-timeout") && hasValue)
            busyTimeout = args[++i].toInt();
        else
            return fail(QStringLiteral("exec: unknown option %1").arg(a));
    }

    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(answerYes);
    BaseData base(prompter);
    TabData tab(base);
    QString error;
    if (!logInAndOpen(base, file, userId, password, busyTimeout, &error))
        return fail(error);

    Executor executor(base, tab, prompter);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    std::string raw;
    while (std::getline(std::cin, raw)) {
        const QByteArray bytes = QByteArray::fromStdString(raw).trimmed();
        if (bytes.isEmpty())
            continue;
        prompter.clear();
        QJsonObject answer;
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
        if (!doc.isObject()) {
            answer = {{QStringLiteral("ok"), false},
                      {QStringLiteral("error"), parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                                             : QStringLiteral("not a JSON object")}};
        } else {
            try {
                answer = executor.run(doc.object());
            } catch (const OpError &e) {
                answer = {{QStringLiteral("ok"), false}};
                if (!e.text.isEmpty())
                    answer.insert(QStringLiteral("error"), e.text);
            }
        }
        // Leave no half-typed row behind for the next operation.
        for (Dataset *ds : base.registry().datasets())
            if (ds->isEditing())
                ds->cancel();
        answer.insert(QStringLiteral("messages"), QJsonArray::fromStringList(prompter.texts()));
        out << compactJson(answer) << '\n';
        out.flush();
    }
    base.registry().closeAll();
    return 0;
}

} // namespace hemu::cli
