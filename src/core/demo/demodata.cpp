#include "core/demo/demodata.h"

#include "core/db/database.h"
#include "core/db/passwordhash.h"

#include <QDate>

namespace hemu::DemoData {

namespace {
const DemoUser demoUsers[] = {
    {1, "管理员", 0, ""},
    {2, "王经理", 1, "jl123"},
    {3, "李业务", 2, "yw123"},
    {4, "赵查询", 3, "cx123"},
};

bool run(Database &db, const QString &sql, const QVariantList &params, QString *error)
{
    QSqlError e;
    if (db.exec(sql, params, &e))
        return true;
    if (error)
        *error = e.text() + QStringLiteral(" [") + sql + QLatin1Char(']');
    return false;
}
} // namespace

const DemoUser *users(int *count)
{
    *count = int(std::size(demoUsers));
    return demoUsers;
}

bool fill(Database &db, QString *error)
{
    Transaction tx(db);
    if (!tx.isActive()) {
        if (error)
            *error = QStringLiteral("cannot start a transaction");
        return false;
    }
    bool ok = run(db, QStringLiteral("UPDATE UserInfo SET Name=?, Address=?"),
                  {QStringLiteral("禾木示范贸易公司"), QStringLiteral("新疆布尔津县禾木乡1号")}, error);

    const QStringList areas = {QStringLiteral("城东区"), QStringLiteral("城西区"), QStringLiteral("北郊"), QStringLiteral("南郊")};
    for (const QString &a : areas)
        ok = ok && run(db, QStringLiteral("INSERT INTO Areas(AreaName) VALUES (?)"), {a}, error);

    ok = ok && run(db, QStringLiteral("INSERT INTO Departments(Department, Address, Telphone, Manager) VALUES (?,?,?,?)"),
                   {QStringLiteral("业务部"), QStringLiteral("二楼"), QStringLiteral("0906-6521002"), QStringLiteral("王经理")}, error);
    ok = ok && run(db, QStringLiteral("UPDATE Departments SET Address=?, Telphone=? WHERE CustID=1"),
                   {QStringLiteral("一楼"), QStringLiteral("0906-6521001")}, error);

    for (const DemoUser &u : demoUsers) {
        const QString name = QString::fromUtf8(u.name);
        if (u.id == 1) {
            ok = ok && run(db, QStringLiteral("UPDATE Employees SET Sex=?, Age=? WHERE EmpID=1"), {QStringLiteral("男"), 45}, error);
            continue;
        }
        ok = ok && run(db, QStringLiteral("INSERT INTO Employees(EmpID, DeptID, Employee, Sex, Age, BirthDay) VALUES (?,?,?,?,?,?)"),
                       {u.id, u.id == 2 ? 1 : 2, name, u.id == 4 ? QStringLiteral("女") : QStringLiteral("男"), 30 + u.id,
                        QDate(1990 + u.id, u.id, 10 + u.id).toString(Qt::ISODate)}, error);
        ok = ok && run(db, QStringLiteral("INSERT INTO psd(UserID, Password, RoleID) VALUES (?,?,?)"),
                       {u.id, hashPassword(QString::fromUtf8(u.password)), u.role}, error);
    }
    ok = ok && run(db, QStringLiteral("INSERT INTO Employees(DeptID, Employee, Sex, Age) VALUES (2, ?, ?, ?)"),
                   {QStringLiteral("孙库管"), QStringLiteral("男"), 28}, error);

    const QStringList units = {QStringLiteral("个"), QStringLiteral("箱"), QStringLiteral("公斤")};
    for (int i = 0; i < units.size(); ++i)
        ok = ok && run(db, QStringLiteral("INSERT INTO Units(UnitID, Unit) VALUES (?, ?)"), {i + 1, units[i]}, error);

    const QStringList catalogs = {QStringLiteral("饮料"), QStringLiteral("食品"), QStringLiteral("日用品")};
    for (const QString &c : catalogs)
        ok = ok && run(db, QStringLiteral("INSERT INTO Catalogs(Catalog, Remark) VALUES (?, ?)"), {c, QString()}, error);

    struct Item { const char *name; int cata; int unit; double cost; double sell; };
    const Item items[] = {
        {"矿泉水 550ml", 1, 2, 18.0, 24.0},   {"纯净水 350ml", 1, 2, 14.5, 20.0},  {"绿茶 500ml", 1, 2, 32.0, 42.0},
        {"红茶 500ml", 1, 2, 32.0, 42.0},     {"橙汁 1L", 1, 2, 56.0, 72.0},      {"可乐 330ml", 1, 2, 38.0, 50.0},
        {"雪碧 330ml", 1, 2, 38.0, 50.0},     {"酸奶 200g", 1, 2, 45.0, 60.0},    {"咖啡 250ml", 1, 2, 66.0, 86.0},
        {"豆奶 250ml", 1, 2, 30.0, 40.0},     {"方便面 五连包", 2, 2, 48.0, 62.0}, {"饼干 200g", 2, 1, 4.2, 6.5},
        {"薯片 70g", 2, 1, 3.1, 5.0},         {"大米 东北 5kg", 2, 1, 28.0, 36.0}, {"面粉 5kg", 2, 1, 19.5, 26.0},
        {"食用油 5L", 2, 1, 52.0, 68.0},      {"白糖", 2, 3, 6.2, 8.5},           {"食盐 400g", 2, 1, 1.2, 2.0},
        {"酱油 500ml", 2, 1, 5.8, 8.0},       {"香醋 500ml", 2, 1, 4.6, 6.5},     {"洗衣粉 1kg", 3, 1, 9.8, 13.5},
        {"洗洁精 1.5kg", 3, 1, 8.9, 12.0},    {"牙膏 120g", 3, 1, 6.5, 9.9},      {"牙刷", 3, 1, 2.8, 4.5},
        {"香皂", 3, 1, 3.2, 5.0},             {"洗发水 400ml", 3, 1, 18.0, 25.0}, {"卫生纸 10卷", 3, 2, 36.0, 48.0},
        {"毛巾", 3, 1, 7.5, 11.0},            {"垃圾袋 50只", 3, 1, 4.0, 6.0},    {"电池 5号4粒", 3, 1, 6.8, 10.0},
    };
    int order = 0;
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    for (const Item &it : items) {
        ++order;
        ok = ok && run(db, QStringLiteral("INSERT INTO Goods(GoodID, Description, BarCode, CataID, UnitID, CustID, TaxRate, "
                                          "CostPrice, SellPrice, HardOrder, EnterDate, EnterDeptID) VALUES (?,?,?,?,?,0,17,?,?,?,?,1)"),
                       {order, QString::fromUtf8(it.name), QStringLiteral("69%1").arg(10000000 + order * 7919, 11, 10, QLatin1Char('0')),
                        it.cata, it.unit, it.cost, it.sell, order, today}, error);
    }

    struct Party { const char *name; int area; const char *address; const char *phone; };
    const Party vendors[] = {
        {"天山饮品有限公司", 1, "乌鲁木齐市天山路8号", "0991-2345678"},
        {"金穗粮油公司", 2, "奎屯市北京路12号", "0992-3344556"},
        {"洁美日化厂", 3, "昌吉市建设路33号", "0994-2233445"},
        {"喀纳斯食品厂", 4, "布尔津县友谊路5号", "0906-6512345"},
        {"阿勒泰百货批发", 1, "阿勒泰市解放路77号", "0906-2123456"},
    };
    for (const Party &v : vendors)
        ok = ok && run(db, QStringLiteral("INSERT INTO Vendors(VendorName, AreaID, Address, Zip, Telephone, Preferred) VALUES (?,?,?,?,?,?)"),
                       {QString::fromUtf8(v.name), v.area, QString::fromUtf8(v.address), QStringLiteral("836600"),
                        QString::fromUtf8(v.phone), v.area == 1 ? 1 : 0}, error);

    const Party customers[] = {
        {"禾木便利店", 1, "禾木村1组", "0906-6520001"},   {"贾登峪超市", 2, "贾登峪景区", "0906-6520002"},
        {"冲乎尔商店", 3, "冲乎尔镇", "0906-6520003"},     {"窝依莫克小卖部", 4, "窝依莫克镇", "0906-6520004"},
        {"布尔津百货", 1, "布尔津县城", "0906-6520005"},   {"喀纳斯宾馆", 2, "喀纳斯景区", "0906-6520006"},
        {"五彩滩小卖部", 3, "五彩滩景区", "0906-6520007"}, {"白哈巴商店", 4, "白哈巴村", "0906-6520008"},
    };
    int n = 0;
    for (const Party &c : customers) {
        ++n;
        ok = ok && run(db, QStringLiteral("INSERT INTO Customers(AreaID, CustName, Address, Telephone, Manager, RegDate) VALUES (?,?,?,?,?,?)"),
                       {c.area, QString::fromUtf8(c.name), QString::fromUtf8(c.address), QString::fromUtf8(c.phone),
                        QStringLiteral("店长%1").arg(n), QDate::currentDate().addMonths(-12 + n).toString(Qt::ISODate)}, error);
    }
    ok = ok && tx.commit();
    return ok;
}

} // namespace hemu::DemoData
