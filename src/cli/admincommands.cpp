#include "cli/commands.h"

#include "core/admin/orphanscan.h"
#include "core/admin/renumbering.h"
#include "core/admin/userpassword.h"
#include "core/db/database.h"
#include "core/filechooser.h"

#include <QTextStream>
#include <cstdio>

namespace hemu::cli {

namespace {

bool openSet(Database &db, const QString &file, int *exitCode)
{
    QString error;
    if (db.open(file, &error))
        return true;
    *exitCode = fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    return false;
}

void printLines(const QStringList &lines)
{
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const QString &line : lines)
        out << line << '\n';
}

} // namespace

int scanOrphans(const QString &file, bool deleteOrphans)
{
    Database db;
    int code = 0;
    if (!openSet(db, file, &code))
        return code;
    const OrphanScan::Result r = OrphanScan::run(db, deleteOrphans);
    printLines(r.log);
    return r.ok ? 0 : fail(r.error);
}

int renumberDetails(const QString &file)
{
    Database db;
    int code = 0;
    if (!openSet(db, file, &code))
        return code;
    NullProgress progress;
    const Renumbering::Result r = Renumbering::run(db, progress);
    printLines(r.log);
    return r.ok ? 0 : fail(r.error);
}

int setPassword(const QString &file, const QString &user)
{
    Database db;
    int code = 0;
    if (!openSet(db, file, &code))
        return code;
    const qint64 userId = UserPassword::findUser(db, user);
    if (userId < 0)
        return fail(UserPassword::noSuchUserText());
    // The password comes from stdin, never from the command line (other users see that):
    // the first line, without its line end.
    QTextStream in(stdin);
    in.setEncoding(QStringConverter::Utf8);
    QString password = in.readLine();
    if (password.endsWith(QLatin1Char('\r')))
        password.chop(1);
    QString error;
    if (!UserPassword::set(db, userId, password, &error))
        return fail(error);
    return 0;
}

} // namespace hemu::cli
