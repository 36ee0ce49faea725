// hemu-cli: the account-set tool without windows.
#include "core/db/accountsetfiles.h"
#include "core/db/database.h"
#include "core/masterdata/demodata.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

int usage()
{
    std::fputs("usage:\n"
               "  hemu-cli new FILE [--force]    write a blank account set\n"
               "  hemu-cli demo FILE [--force]   write an account set with demonstration data\n",
               stderr);
    return 2;
}

int fail(const QString &text)
{
    std::fprintf(stderr, "hemu-cli: %s\n", qPrintable(text));
    return 1;
}

int createSet(const QString &file, bool force, bool demo)
{
    if (QFileInfo::exists(file) && !force)
        return fail(QStringLiteral("%1 already exists (use --force to overwrite)").arg(file));
    QString error;
    if (!demo) {
        if (!hemu::AccountSetFiles::createBlank(file, &error))
            return fail(QStringLiteral("cannot write %1: %2").arg(file, error));
        return 0;
    }
    // Build the demo beside the target and move it into place only when complete.
    const QString scratch = file + QStringLiteral(".part");
    if (!hemu::AccountSetFiles::createBlank(scratch, &error))
        return fail(QStringLiteral("cannot write %1: %2").arg(file, error));
    bool ok = false;
    {
        hemu::Database db;
        ok = db.open(scratch, &error) && hemu::DemoData::fill(db, &error)
            && db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    if (ok)
        ok = std::rename(qPrintable(scratch), qPrintable(file)) == 0;
    if (!ok) {
        QFile::remove(scratch);
        return fail(QStringLiteral("cannot write %1: %2").arg(file, error));
    }
    QFile::remove(scratch + QStringLiteral("-wal"));
    QFile::remove(scratch + QStringLiteral("-shm"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool force = args.removeAll(QStringLiteral("--force")) > 0;
    if (args.size() < 2)
        return usage();
    const QString command = args.at(0);
    if (command == QLatin1String("new") && args.size() == 2)
        return createSet(args.at(1), force, false);
    if (command == QLatin1String("demo") && args.size() == 2)
        return createSet(args.at(1), force, true);
    return usage();
}
