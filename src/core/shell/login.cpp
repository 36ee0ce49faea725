#include "core/shell/login.h"

#include "core/db/database.h"
#include "core/db/passwordhash.h"

namespace hemu {

namespace {
const char *userSelect =
    "SELECT p.UserID, p.RoleID, e.Employee, r.Role, p.Password FROM psd p "
    "LEFT JOIN Employees e ON e.EmpID = p.UserID LEFT JOIN UserRoles r ON r.RoleID = p.RoleID ";
}

bool Login::connect(Database &db, const QString &path, QList<LoginUser> *users, QString *reason)
{
    users->clear();
    db.close();
    QString error;
    if (!db.open(path, &error)) {
        if (reason)
            *reason = error;
        return false;
    }
    QSqlQuery q = db.query(QString::fromLatin1(userSelect) + QStringLiteral("ORDER BY p.UserID"));
    if (!q.lastError().isValid() && q.exec()) {
        while (q.next())
            users->append({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toString(), q.value(3).toString()});
    }
    // A read that stopped at a damaged page is no user list.
    if (q.lastError().isValid()) {
        users->clear();
        if (reason)
            *reason = QStringLiteral("读取用户表失败：%1").arg(q.lastError().text());
        return false;
    }
    return true;
}

Login::Verdict Login::check(Database &db, int userId, const QString &password, CurrentUser *user)
{
    if (userId < 0 || !db.isOpen())
        return Verdict::InvalidUser;
    QSqlQuery q = db.query(QString::fromLatin1(userSelect) + QStringLiteral("WHERE p.UserID = ?"), {userId});
    if (q.lastError().isValid() || !q.exec() || !q.next())
        return Verdict::InvalidUser;
    if (!verifyPassword(password, q.value(4).toString()))
        return Verdict::WrongPassword;
    user->CurUserID = q.value(0).toInt();
    user->CurRoleID = q.value(1).toInt();
    user->CurUserName = q.value(2).toString();
    user->CurRole = q.value(3).toString();
    return Verdict::Admitted;
}

bool Login::hasUser(const Database &db, int userId)
{
    return db.isOpen() && db.scalar(QStringLiteral("SELECT 1 FROM psd WHERE UserID = ?"), {userId}).isValid();
}

} // namespace hemu
