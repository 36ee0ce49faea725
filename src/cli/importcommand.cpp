// hemu-cli import: master data from a CSV or XLSX file through the same rules as the window.
#include "cli/commands.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/import/importtable.h"
#include "core/import/masterimport.h"
#include "core/prompter.h"

#include <QTextStream>

namespace hemu::cli {

int importMasterData(const QString &file, const QString &table, const QString &data, bool dryRun, int userId,
                     const QString &password)
{
    ImportKind kind;
    if (!MasterImport::kindFromName(table, &kind)) {
        QStringList names;
        for (ImportKind k : MasterImport::kinds())
            names << MasterImport::kindName(k);
        return fail(QStringLiteral("import: unknown table \"%1\"; one of %2").arg(table, names.join(QStringLiteral(", "))));
    }
    ImportTable rows;
    QString error;
    if (!readImportFile(data, &rows, &error))
        return fail(QStringLiteral("%1: %2").arg(data, error));

    ScriptedPrompter prompter;
    BaseData base(prompter);
    TabData tab(base);
    if (!logInAndOpen(base, file, userId, password, -1, &error))
        return fail(error);

    MasterImport import(base, kind);
    const QList<int> mapping = import.autoMapping(rows.header);
    const MasterImport::Outcome outcome = dryRun ? import.preview(rows, mapping) : import.commit(rows, mapping);
    if (!outcome.ok)
        return fail(outcome.error);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const MasterImport::RowError &e : outcome.errors)
        out << MasterImport::errorLine(e) << '\n';
    out << QStringLiteral("%1 rows good, %2 refused; %3\n")
               .arg(outcome.good)
               .arg(outcome.errors.size())
               .arg(dryRun ? QStringLiteral("nothing written (dry run)")
                           : QStringLiteral("%1 written").arg(outcome.written ? outcome.good : 0));
    return outcome.errors.isEmpty() ? 0 : 1;
}

} // namespace hemu::cli
