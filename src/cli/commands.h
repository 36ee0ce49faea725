#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace hemu {
class BaseData;
}

namespace hemu::reports {
struct PageModel;
}

namespace hemu::cli {

/// Connects `base` to `file`, logs user `userId` in with `password` and opens the datasets, as
/// the program's open does; false with the reason in `error`. A `busyTimeout` of -1 keeps the
/// open's own.
bool logInAndOpen(BaseData &base, const QString &file, int userId, const QString &password, int busyTimeout,
                  QString *error);

/// Each command returns the process exit code; errors go to stderr.
int createSet(const QString &file, bool force, bool demo);
/// Converts the old-format (Jet 4) account set `oldPath` into the new set `newPath`, which must
/// not exist, and prints the summary.
int convertSet(const QString &oldPath, const QString &newPath);
int exportTable(const QString &file, const QString &table, const QString &format);
int checkBooks(const QString &file);
int execOperations(const QString &file, const QStringList &options);
/// hemu-cli print-bill: bill TABID of KIND (1, 2, 3) as the page-printed bill or, with `line`, as
/// the line-printed form, written as text (.txt) or PDF (.pdf).
int printBill(const QString &file, const QString &kind, const QString &tabId, bool line, const QString &out);
int makeReport(const QString &file, const QString &name, const QString &category, bool withEmpty, const QString &out);
int scanOrphans(const QString &file, bool deleteOrphans);
int renumberDetails(const QString &file);
/// The password is read from stdin (first line).
int setPassword(const QString &file, const QString &user);
/// The lists of the receivables, payables and profit windows, the stock-change browser and the
/// goods flow, and the purchase history of goods item `item` behind the market charts;
/// `customer` > 0 keeps that customer's rows only. LIST held-age: what the customers hold at
/// the end of `asOf` (invalid: today) by how long ago it was delivered.
int showList(const QString &file, const QString &list, int customer, bool asJson, const QString &item = {},
             const QDate &asOf = {});
/// The statement of `customer` from `from` to `to` ('yyyy-MM-dd', empty for an open end) into
/// `out` (.json).
int writeStatement(const QString &file, qint64 customer, const QString &from, const QString &to, const QString &out);

/// Master data from `data` (.csv or .xlsx) into `table`; exit 1 when rows were refused.
int importMasterData(const QString &file, const QString &table, const QString &data, bool dryRun, int userId,
                     const QString &password);

/// Laid-out report pages into `out`: PDF for a name ending in .pdf, plain text otherwise.
/// False, with `error` set, when the file could not be written.
bool writePages(const reports::PageModel &pages, const QString &out, const QString &title, QString *error);

/// Prints "hemu-cli: <text>" to stderr and returns 1.
int fail(const QString &text);

} // namespace hemu::cli
