#include "bench/jetconvertfigure.h"

#include "bench/plainread.h"
#include "core/convert/jetconverter.h"
#include "core/convert/jetreadprocess.h"
#include "core/filechooser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <unistd.h>

namespace hemu::bench {

namespace {

/// Every table of the staging file copied into a new plain SQLite file with INSERT ... SELECT
/// in one transaction: the least any conversion has to write.
bool rawCopy(const QString &staging, const QString &target, QString *error)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(target).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        == SQLITE_OK;
    auto exec = [&](const QString &sql) {
        ok = ok && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    exec(QStringLiteral("ATTACH DATABASE '%1' AS old").arg(QString(staging).replace(QLatin1Char('\''), QStringLiteral("''"))));
    exec(QStringLiteral("PRAGMA main.synchronous=OFF; PRAGMA main.journal_mode=MEMORY; BEGIN"));
    QStringList tables;
    sqlite3_stmt *stmt = nullptr;
    if (ok && sqlite3_prepare_v2(db, "SELECT name FROM old.jet_tables", -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            tables << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    for (const QString &t : tables)
        exec(QStringLiteral("CREATE TABLE main.\"%1\" AS SELECT * FROM old.\"%1\"").arg(t));
    exec(QStringLiteral("COMMIT"));
    if (!ok && error)
        *error = QStringLiteral("raw copy: %1").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close(db);
    // Durable like the converted set, which is synced as it is moved into place.
    QFile file(target);
    if (ok && file.open(QIODevice::ReadWrite))
        ok = ::fsync(file.handle()) == 0;
    return ok;
}

} // namespace

bool measureConvertJet(const QString &jetFile, const QString &folder, int runs, QList<Figure> *figures, QStringList *notes,
                       QString *error)
{
    if (!QFileInfo(jetFile).isFile()) {
        *error = QStringLiteral("no Jet file %1").arg(jetFile);
        return false;
    }
    QList<double> ours, raw;
    QString rows;
    for (int run = 0; run < runs; ++run) {
        NullProgress quiet;
        const QString target = QDir(folder).filePath(QStringLiteral("convert-%1.xb").arg(run));
        JetConverter::Result result;
        ours << timeMs([&] { result = JetConverter(quiet).convert(jetFile, target); });
        QFile::remove(target);
        if (!result.ok) {
            *error = QStringLiteral("convert_jet: %1").arg(result.error);
            return false;
        }
        rows = QStringLiteral("%1 bill lines").arg(result.summary.rowsOf(QStringLiteral("RuKuMx"))
                                                    + result.summary.rowsOf(QStringLiteral("DiaoBoMx"))
                                                    + result.summary.rowsOf(QStringLiteral("ChuKuMx")));
        if (!result.summary.differences.isEmpty()) {
            *error = QStringLiteral("convert_jet: the books check found %1 differences").arg(result.summary.differences.size());
            return false;
        }

        const QString staging = QDir(folder).filePath(QStringLiteral("staging-%1.sqlite").arg(run));
        const QString plain = QDir(folder).filePath(QStringLiteral("plain-%1.sqlite").arg(run));
        bool ok = false;
        raw << timeMs([&] { ok = JetReadProcess::run(jetFile, staging, quiet).ok && rawCopy(staging, plain, error); });
        QFile::remove(staging);
        QFile::remove(plain);
        if (!ok)
            return false;
    }
    Figure f;
    f.name = QStringLiteral("convert_jet");
    f.value = median(ours);
    f.unit = QStringLiteral("ms");
    f.baseline = median(raw);
    // No ratio target: the conversion also hashes the passwords, fills the indexes, checks the
    // new file's structure and runs the books check, none of which the yardstick does. The
    // goal is absolute: a few seconds for 300,000 bill lines.
    figures->append(f);
    notes->append(QStringLiteral("convert_jet: %1 (%2) converted, checked and the books check run; yardstick: hemu-jetread "
                                 "alone plus raw SQLite copying its tables into a plain file")
                      .arg(QFileInfo(jetFile).fileName(), rows));
    return true;
}

} // namespace hemu::bench
