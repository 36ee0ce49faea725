// Build step: creates the blank account set from schema.sql. The program copies this
// template (embedded in hemucore) whenever a new, empty account set is made.
#include "core/db/accountsetformat.h"
#include "core/db/passwordhash.h"

#include <QFile>
#include <QString>
#include <cstdio>
#include <sqlite3.h>

namespace {

bool run(sqlite3 *db, const QByteArray &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "mktemplate: %s\n", message ? message : "error");
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool insert(sqlite3 *db, const char *sql, const QStringList &values)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    QList<QByteArray> keep;
    for (int i = 0; i < values.size(); ++i) {
        keep.append(values[i].toUtf8());
        sqlite3_bind_text(stmt, i + 1, keep.last().constData(), -1, SQLITE_STATIC);
    }
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    if (!ok)
        std::fprintf(stderr, "mktemplate: %s\n", sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: hemu-mktemplate schema.sql out.xb\n");
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mktemplate: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray ddl = schema.readAll();
    QFile::remove(QString::fromLocal8Bit(argv[2]));

    sqlite3 *db = nullptr;
    if (sqlite3_open(argv[2], &db) != SQLITE_OK) {
        std::fprintf(stderr, "mktemplate: cannot create %s\n", argv[2]);
        return 1;
    }
    const QString adminHash = hemu::hashPassword(QString());
    bool ok = !adminHash.isEmpty() && run(db, "PRAGMA page_size=4096; PRAGMA journal_mode=DELETE; BEGIN;")
        && run(db, ddl);
    ok = ok && insert(db, "INSERT INTO UserRoles(RoleID, Role, Description) VALUES (?, ?, ?)",
                      {"0", "系统管理员", "全部功能，包括设置用户权限。"});
    ok = ok && insert(db, "INSERT INTO UserRoles(RoleID, Role, Description) VALUES (?, ?, ?)",
                      {"1", "经理", "除设置权限以外的全部功能。"});
    ok = ok && insert(db, "INSERT INTO UserRoles(RoleID, Role, Description) VALUES (?, ?, ?)",
                      {"2", "业务员", "录入单据、查看库存与行情；不能维护套帐、清空数据、查看效益和打印报表。"});
    ok = ok && insert(db, "INSERT INTO UserRoles(RoleID, Role, Description) VALUES (?, ?, ?)",
                      {"3", "查询员", "只能查看库存变动、应收款项和物流状态。"});
    ok = ok && insert(db, "INSERT INTO Departments(CustID, Department) VALUES (?, ?)", {"1", "办公室"});
    ok = ok && insert(db, "INSERT INTO Employees(EmpID, DeptID, Employee) VALUES (?, ?, ?)", {"1", "1", "管理员"});
    ok = ok && insert(db, "INSERT INTO psd(UserID, Password, RoleID) VALUES (?, ?, ?)", {"1", adminHash, "0"});
    ok = ok && insert(db, "INSERT INTO UserInfo(id, Name, Address) VALUES (?, ?, ?)", {"1", "", ""});
    ok = ok && insert(db, "INSERT INTO DisplayStyle(DataFormat) VALUES (?)", {""});
    ok = ok && run(db, QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2; COMMIT; VACUUM;")
                           .arg(hemu::AccountSetFormat::ApplicationId)
                           .arg(hemu::AccountSetFormat::SchemaVersion)
                           .toUtf8());
    sqlite3_close(db);
    if (!ok) {
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        return 1;
    }
    return 0;
}
