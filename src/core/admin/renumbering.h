#pragma once

#include <QString>
#include <QStringList>

namespace hemu {

class Database;
class ProgressSink;

/**
 * Gives the lines of every bill consecutive item numbers 1, 2, 3... in their present order
 * (old item number, then the order the rows were written), for the three detail tables, and
 * counts the lines. Works on the file, not on the shared datasets: these show the new numbers
 * once the account set is opened again.
 */
class Renumbering
{
public:
    struct Result
    {
        bool ok = true;
        QString error;   // why the run stopped (the database's words)
        qint64 total = 0; // detail rows over the tables finished
        QStringList log; // the lines the window shows
    };

    /// One transaction per table; a failure ends the run, leaving that table as it was and
    /// the tables before it renumbered. `progress` gets one step per row.
    static Result run(Database &db, ProgressSink &progress);

    static QString updatedText() { return QStringLiteral("----已经更新。"); }
    static QString doneText(qint64 total) { return QStringLiteral("完成%1条明细！请返回主窗体。").arg(total); }
    static QString reopenText() { return QStringLiteral("要显示新编号，请关闭套帐再打开。"); }
};

} // namespace hemu
