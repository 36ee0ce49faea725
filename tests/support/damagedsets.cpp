#include "support/damagedsets.h"

#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <sqlite3.h>

namespace hemu::test::DamagedSets {

namespace {

quint32 bigEndian(const QByteArray &b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

void run(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("fixture statement failed: %s: %s", sql, message);
}

} // namespace

void grow(const QString &path, const QString &table, int rows)
{
    Database db;
    QString error;
    if (!db.open(path, &error))
        qFatal("cannot open fixture set: %s", qPrintable(error));
    const QString count = QStringLiteral("WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n WHERE value < ?) ");
    const QString sql = table == QLatin1String("Goods")
        ? count + QStringLiteral("INSERT INTO Goods(Description, BarCode) SELECT printf('填充品名型号%04d', value), printf('%013d', value) FROM n")
        : count + QStringLiteral("INSERT INTO %1(BookID, CustID, TabDate, SumMoney, Remark) "
                                 "SELECT 'F', 1, '2026-01-01', 0, printf('空单据 %04d', value) FROM n").arg(table);
    QSqlError sqlError;
    if (!db.exec(sql, {rows}, &sqlError))
        qFatal("cannot grow %s: %s", qPrintable(table), qPrintable(sqlError.text()));
}

void breakLastPage(const QString &path, const QString &name)
{
    int root = 0;
    {
        Database db;
        if (!db.open(path))
            qFatal("cannot open fixture set");
        root = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = ?"), {name}).toInt();
    }
    QByteArray bytes = fileBytes(path);
    const int pageSize = int(bigEndian(bytes, 16, 2)) == 1 ? 65536 : int(bigEndian(bytes, 16, 2));
    // Follow the right-most pointers of the interior pages down to the last leaf.
    qsizetype page = root;
    for (;;) {
        const qsizetype header = (page - 1) * pageSize + (page == 1 ? 100 : 0);
        const quint8 type = quint8(bytes[header]);
        if (type == 0x0D || type == 0x0A) // table or index leaf
            break;
        if (type != 0x05 && type != 0x02)
            qFatal("unexpected page type in fixture");
        page = bigEndian(bytes, header + 8, 4);
    }
    if (page == root)
        qFatal("%s fits on one page: grow it first", qPrintable(name));
    bytes[(page - 1) * pageSize] = char(0x00);
    writeBytes(path, bytes);
}

void writeForeignWal(const QString &walPath, int pageSize)
{
    QTemporaryDir dir;
    const QByteArray other = QFile::encodeName(dir.filePath(QStringLiteral("other.db")));
    sqlite3 *db = nullptr;
    sqlite3_open(other.constData(), &db);
    run(db, QByteArray("PRAGMA page_size=" + QByteArray::number(pageSize) + "; PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                       "CREATE TABLE notes(x TEXT); INSERT INTO notes VALUES ('another program''s data');")
                .constData());
    // Copied while the connection is open: closing would fold the log into its database.
    writeBytes(walPath, fileBytes(dir.filePath(QStringLiteral("other.db-wal"))));
    sqlite3_close(db);
}

void writeForeignJournal(const QString &journalPath)
{
    QTemporaryDir dir;
    const QString otherPath = dir.filePath(QStringLiteral("other.db"));
    const QByteArray other = QFile::encodeName(otherPath);
    sqlite3 *db = nullptr;
    sqlite3_open(other.constData(), &db);
    run(db, "PRAGMA journal_mode=DELETE; CREATE TABLE notes(x TEXT);"
            "WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM n WHERE v < 2000) "
            "INSERT INTO notes SELECT printf('%0100d', v) FROM n;");
    // A small cache makes the change spill to the file mid-transaction: the journal is then
    // complete and hot, as a crash would leave it.
    run(db, "PRAGMA cache_size=2; BEGIN; UPDATE notes SET x = 'changed';");
    writeBytes(journalPath, fileBytes(otherPath + QStringLiteral("-journal")));
    run(db, "ROLLBACK;");
    sqlite3_close(db);
}

void writeMarkedForeignFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sqlite3 *db = nullptr;
    sqlite3_open(name.constData(), &db);
    const QByteArray marks = "PRAGMA application_id=" + QByteArray::number(AccountSetFormat::ApplicationId)
        + "; PRAGMA user_version=" + QByteArray::number(AccountSetFormat::SchemaVersion) + ";";
    run(db, ("PRAGMA journal_mode=DELETE; CREATE TABLE notes(x TEXT); INSERT INTO notes VALUES ('not books');" + marks).constData());
    sqlite3_close(db);
}

void setPasswordHash(const QString &path, int userId, const QString &hash)
{
    Database db;
    if (!db.open(path) || !db.exec(QStringLiteral("UPDATE psd SET Password = ? WHERE UserID = ?"), {hash, userId}))
        qFatal("cannot set the password hash");
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace hemu::test::DamagedSets
