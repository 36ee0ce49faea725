#include "ui/kit/startoptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace hemu {

bool StartOptions::parse(const QStringList &arguments, StartOptions *options, QString *error)
{
    QCommandLineParser parser;
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Logs in as NAME without the login dialog."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password of --user."),
                                      QStringLiteral("PW"));
    const QCommandLineOption open(QStringLiteral("open"), QStringLiteral("Opens the window called WINDOW."),
                                  QStringLiteral("WINDOW"));
    const QCommandLineOption grab(QStringLiteral("grab"),
                                  QStringLiteral("Saves a picture of the top-most window to FILE and ends."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("Brings the page PAGE (its tab's text or its name) of --open's window forward."),
                                  QStringLiteral("PAGE"));
    parser.addOptions({user, password, open, page, grab});
    parser.addPositionalArgument(QStringLiteral("set"), QStringLiteral("The account set to open."));
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        *error = QStringLiteral("only one account set can be opened");
        return false;
    }
    if (parser.isSet(page) && !parser.isSet(open)) {
        *error = QStringLiteral("--page needs --open");
        return false;
    }
    if (parser.isSet(password) && !parser.isSet(user)) {
        *error = QStringLiteral("--password needs --user");
        return false;
    }
    StartOptions result;
    if (!files.isEmpty())
        result.accountSet = QFileInfo(files.first()).absoluteFilePath();
    result.hasUser = parser.isSet(user);
    result.user = parser.value(user);
    result.password = parser.value(password);
    result.openWindow = parser.value(open);
    result.openPage = parser.value(page);
    result.grabFile = parser.value(grab);
    if ((result.hasUser || !result.openWindow.isEmpty()) && result.accountSet.isEmpty()) {
        *error = QStringLiteral("--user and --open need an account set");
        return false;
    }
    *options = result;
    return true;
}

} // namespace hemu
