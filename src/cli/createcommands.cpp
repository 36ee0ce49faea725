#include "cli/commands.h"

#include "core/db/accountsetfiles.h"
#include "core/db/database.h"
#include "core/masterdata/demodata.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace hemu::cli {

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
        if (!AccountSetFiles::createBlank(file, &error))
            return fail(QStringLiteral("cannot write %1: %2").arg(file, error));
        return 0;
    }
    // Build the demo beside the target and move it into place only when complete.
    const QString scratch = file + QStringLiteral(".part");
    if (!AccountSetFiles::createBlank(scratch, &error))
        return fail(QStringLiteral("cannot write %1: %2").arg(file, error));
    bool ok = false;
    {
        Database db;
        ok = db.open(scratch, &error) && DemoData::fill(db, &error)
            && db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    if (ok)
        ok = std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(file).constData()) == 0;
    if (!ok) {
        QFile::remove(scratch);
        return fail(QStringLiteral("cannot write %1: %2").arg(file, error));
    }
    QFile::remove(scratch + QStringLiteral("-wal"));
    QFile::remove(scratch + QStringLiteral("-shm"));
    return 0;
}

} // namespace hemu::cli
