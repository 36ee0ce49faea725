#pragma once

#include "core/data/currentuser.h"

#include <QList>
#include <QString>

namespace hemu {

class Database;

/** One entry of the login dialog's user list. */
struct LoginUser
{
    int UserID = 0;
    int RoleID = 0;
    QString UserName;
    QString Role;
};

/**
 * What the login dialog does with the account set: connect and list the users, then
 * admit one of them by password.
 */
class Login
{
public:
    enum class Verdict { Admitted, InvalidUser, WrongPassword };

    /// Text shown when the file cannot be connected to or has no readable user table.
    static QString connectFailedText() { return QStringLiteral("数据库连接失败！"); }
    static QString invalidUserText() { return QStringLiteral("对不起，用户名无效。"); }
    static QString wrongPasswordText() { return QStringLiteral("口令有误，请再试一次。"); }

    /// Disconnects `db`, connects it to `path` and reads the users in key order.
    /// Returns false when either step fails; `users` then holds nothing and `reason` says
    /// why (never empty).
    static bool connect(Database &db, const QString &path, QList<LoginUser> *users, QString *reason = nullptr);

    /// Checks `password` for the user with id `userId` (nullopt-like: pass -1 when no list
    /// item is selected). On success fills `user`.
    static Verdict check(Database &db, int userId, const QString &password, CurrentUser *user);

    /// Whether table psd has a row for `userId` (the own-password command needs one).
    static bool hasUser(const Database &db, int userId);
};

} // namespace hemu
