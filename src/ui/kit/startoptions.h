#pragma once

#include <QString>
#include <QStringList>

namespace hemu {

/**
 * The command line of the program:
 *   hemu [--user NAME --password PW] [--open WINDOW [--page PAGE]] [--grab FILE.png] [SET.xb]
 * A user logs in without the login dialog; --open shows a window by its name and --page one
 * of its pages (by the tab's text or the page's name); --grab saves
 * a picture of the top-most window once the program is idle and ends.
 */
struct StartOptions
{
    QString accountSet;
    QString user;
    QString password;
    bool hasUser = false;
    QString openWindow;
    QString openPage;
    QString grabFile;

    bool grabbing() const { return !grabFile.isEmpty(); }

    /// Reads `arguments` (the program name first); false with `error` set on a bad line.
    static bool parse(const QStringList &arguments, StartOptions *options, QString *error);
};

} // namespace hemu
