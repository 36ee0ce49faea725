#include "cli/commands.h"

#include "core/db/database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSqlRecord>
#include <QTextStream>
#include <cstdio>

namespace hemu::cli {

namespace {

/// The table's own spelling, or empty when there is no such table (names are case-insensitive).
QString tableName(Database &db, const QString &name)
{
    return db.scalar(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE "
                                    "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
                     {name})
        .toString();
}

/// Key order: the primary key where there is one, else the unique key, else entry order.
QString keyOrder(Database &db, const QString &table)
{
    QStringList pk;
    QSqlQuery q = db.query(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk"), {table});
    if (q.exec())
        while (q.next())
            pk << QLatin1Char('"') + q.value(0).toString() + QLatin1Char('"');
    if (pk.isEmpty()) {
        QSqlQuery u = db.query(QStringLiteral("SELECT ii.name FROM pragma_index_list(?) il, pragma_index_info(il.name) ii "
                                              "WHERE il.\"unique\" = 1 AND il.origin = 'c' ORDER BY il.seq DESC, ii.seqno"),
                               {table});
        if (u.exec())
            while (u.next())
                pk << QLatin1Char('"') + u.value(0).toString() + QLatin1Char('"');
    }
    pk << QStringLiteral("rowid");
    return pk.join(QStringLiteral(", "));
}

QString exactText(const QVariant &v)
{
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(v.toByteArray().toBase64());
    return v.toString();
}

QString csvField(const QVariant &v)
{
    if (v.isNull())
        return {};
    QString text = exactText(v);
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QJsonValue jsonValue(const QVariant &v)
{
    if (v.isNull())
        return QJsonValue::Null;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QJsonValue(v.toLongLong());
    case QMetaType::Double:
        return QJsonValue(v.toDouble());
    default:
        return QJsonValue(exactText(v));
    }
}

} // namespace

int exportTable(const QString &file, const QString &table, const QString &format)
{
    if (format != QLatin1String("csv") && format != QLatin1String("json"))
        return fail(QStringLiteral("unknown format %1 (csv or json)").arg(format));
    Database db;
    QString error;
    if (!db.open(file, &error))
        return fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    const QString name = tableName(db, table);
    if (name.isEmpty())
        return fail(QStringLiteral("no table %1 in %2").arg(table, file));
    // One snapshot, written out only once it has been read to its end: a scan that stops at
    // a damaged page is an error, never a shorter table.
    ReadTransaction snapshot(db);
    QSqlQuery q = db.query(QStringLiteral("SELECT * FROM \"%1\" ORDER BY %2").arg(name, keyOrder(db, name)));
    if (!snapshot.isActive() || !q.exec())
        return fail(QStringLiteral("cannot read %1: %2").arg(name, q.lastError().text()));
    const QSqlRecord record = q.record();
    QString text;
    if (format == QLatin1String("csv")) {
        QStringList header;
        for (int c = 0; c < record.count(); ++c)
            header << csvField(record.fieldName(c));
        text += header.join(QLatin1Char(',')) + QLatin1Char('\n');
        while (q.next()) {
            QStringList row;
            for (int c = 0; c < record.count(); ++c)
                row << csvField(q.value(c));
            text += row.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
    } else {
        QJsonArray rows;
        while (q.next()) {
            QJsonObject row;
            for (int c = 0; c < record.count(); ++c)
                row.insert(record.fieldName(c), jsonValue(q.value(c)));
            rows.append(row);
        }
        text = QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    }
    if (q.lastError().isValid())
        return fail(QStringLiteral("cannot read %1: %2").arg(name, q.lastError().text()));
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    out << text;
    out.flush();
    return 0;
}

} // namespace hemu::cli
