#include "core/admin/userpassword.h"

#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"

namespace hemu::UserPassword {

QString tooLongText() { return QStringLiteral("口令不能超过%1个字符。").arg(MaxPasswordLength); }
QString noSuchUserText() { return QStringLiteral("没有这个用户。"); }

QString checkedHash(const QString &password, QString *error)
{
    if (password.size() > MaxPasswordLength) {
        *error = tooLongText();
        return {};
    }
    const QString hash = hashPassword(password);
    if (hash.isEmpty())
        *error = QStringLiteral("口令无法加密（内存不足）。");
    return hash;
}

QString assign(Dataset &psd, const QString &password)
{
    QString error;
    const QString hash = checkedHash(password, &error);
    if (hash.isEmpty())
        return error;
    DatasetError e;
    if (!psd.isEditing())
        e = psd.edit();
    if (e.ok())
        e = psd.setValue(QStringLiteral("Password"), hash);
    return e.ok() ? QString() : e.message();
}

bool set(Database &db, qint64 userId, const QString &password, QString *error)
{
    const QString hash = checkedHash(password, error);
    if (hash.isEmpty())
        return false;
    Transaction tx(db);
    if (!tx.isActive()) {
        *error = db.lastError().text();
        return false;
    }
    if (!db.scalar(QStringLiteral("SELECT 1 FROM psd WHERE UserID = ?"), {userId}).isValid()) {
        *error = noSuchUserText();
        return false;
    }
    QSqlError e;
    if (!db.exec(QStringLiteral("UPDATE psd SET Password = ? WHERE UserID = ?"), {hash, userId}, &e)) {
        *error = e.text();
        return false;
    }
    if (!tx.commit()) {
        *error = db.lastError().text();
        return false;
    }
    return true;
}

qint64 findUser(Database &db, const QString &user)
{
    bool numeric = false;
    const qint64 id = user.toLongLong(&numeric);
    const QVariant found = numeric ? db.scalar(QStringLiteral("SELECT UserID FROM psd WHERE UserID = ?"), {id})
                                   : db.scalar(QStringLiteral("SELECT p.UserID FROM psd p JOIN Employees e ON e.EmpID = p.UserID "
                                                              "WHERE e.Employee = ?"),
                                               {user});
    return found.isValid() ? found.toLongLong() : -1;
}

} // namespace hemu::UserPassword
