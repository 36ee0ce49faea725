#include "cli/commands.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/db/accountsetfiles.h"
#include "core/prompter.h"
#include "core/db/database.h"
#include "core/demo/demodata.h"

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
        // The masters by plain statements, the bills through the data modules and their rules.
        ScriptedPrompter quiet;
        BaseData base(quiet);
        TabData tab(base);
        Database &db = base.MyADOCnn();
        base.user() = CurrentUser{1, 0, QStringLiteral("管理员"), QString()};
        ok = db.open(scratch, &error) && DemoData::fill(db, &error);
        if (ok) {
            const auto failure = base.registry().openTables();
            ok = !failure && DemoData::fillBills(base, tab, &error);
            if (failure)
                error = failure->message();
        }
        base.registry().closeAll();
        ok = ok && db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
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
