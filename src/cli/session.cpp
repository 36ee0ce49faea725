#include "cli/commands.h"

#include "core/data/basedata.h"
#include "core/shell/login.h"

namespace hemu::cli {

bool logInAndOpen(BaseData &base, const QString &file, int userId, const QString &password, int busyTimeout,
                  QString *error)
{
    QList<LoginUser> users;
    QString reason;
    if (!Login::connect(base.MyADOCnn(), file, &users, &reason)) {
        *error = QStringLiteral("%1: %2 %3").arg(file, Login::connectFailedText(), reason);
        return false;
    }
    if (busyTimeout >= 0)
        base.MyADOCnn().setBusyTimeout(busyTimeout);
    switch (Login::check(base.MyADOCnn(), userId, password, &base.user())) {
    case Login::Verdict::Admitted:
        break;
    case Login::Verdict::InvalidUser:
        *error = Login::invalidUserText();
        return false;
    case Login::Verdict::WrongPassword:
        *error = Login::wrongPasswordText();
        return false;
    }
    if (const auto failure = base.registry().openTables()) {
        *error = failure->message() + QLatin1Char(' ') + failure->error.message();
        return false;
    }
    return true;
}

} // namespace hemu::cli
