#include "core/data/masterguard.h"

#include "core/data/basedata.h"
#include "core/data/hookchain.h"
#include "core/dataset/dataset.h"
#include "core/dataset/field.h"
#include "core/prompter.h"

namespace hemu {

namespace {

constexpr int AdministratorRole = 0;

/// Refuses posting a new key for a row whose old key `inUse` finds in bills or stock.
void lockKeyInUse(BaseData &base, Dataset &ds, const QString &key, std::function<bool(const QVariant &)> inUse)
{
    guardFirst(ds.hooks().beforePost, [&base, key, inUse](Dataset &row) {
        if (row.state() != Dataset::State::Edit)
            return true;
        const QVariant old = row.fieldByName(key).oldValue();
        if (row.value(key) == old || !inUse(old))
            return true;
        base.prompter().warning(MasterGuard::keyInUseText());
        return false;
    });
}

/// Runs `next` after the check already in `slot`, when that one lets the write go on.
void chainGuard(DatasetHooks::Guard &slot, DatasetHooks::Guard next)
{
    slot = [next = std::move(next), before = std::move(slot)](Dataset &ds) { return (!before || before(ds)) && next(ds); };
}

} // namespace

void MasterGuard::install(BaseData &base)
{
    lockKeyInUse(base, *base.Goods, QStringLiteral("GoodID"), [&base](const QVariant &id) { return base.goodsInUse(id); });
    lockKeyInUse(base, *base.Custs, QStringLiteral("CustID"), [&base](const QVariant &id) { return base.customerInUse(id); });
    lockKeyInUse(base, *base.Vendors, QStringLiteral("VendorID"), [&base](const QVariant &id) { return base.vendorInUse(id); });

    guardFirst(base.Psd->hooks().beforeDelete, [&base](Dataset &ds) {
        const QVariant user = ds.value(QStringLiteral("UserID"));
        if (user.toInt() == base.CurUserID()) {
            base.prompter().warning(currentUserText());
            return false;
        }
        const bool administrator = ds.value(QStringLiteral("RoleID")).toInt() == AdministratorRole;
        const int others = base.MyADOCnn()
                               .scalar(QStringLiteral("SELECT count(*) FROM psd WHERE RoleID = ? AND UserID <> ?"),
                                       {AdministratorRole, user})
                               .toInt();
        if (administrator && others == 0) {
            base.prompter().warning(lastAdministratorText());
            return false;
        }
        return true;
    });
    // Checked again inside the write, where a second program's change of the users is
    // already visible and can no longer come between: the file never ends without an
    // administrator, whatever two programs did at once.
    auto administrators = [&base] {
        return base.MyADOCnn().scalar(QStringLiteral("SELECT count(*) FROM psd WHERE RoleID = ?"), {AdministratorRole}).toInt();
    };
    chainGuard(base.Psd->hooks().onPostWrite, [&base, administrators](Dataset &) {
        if (administrators() > 0)
            return true;
        base.prompter().warning(lastAdministratorRoleText());
        return false;
    });
    chainGuard(base.Psd->hooks().onDeleteWrite, [&base, administrators](Dataset &) {
        if (administrators() > 0)
            return true;
        base.prompter().warning(lastAdministratorText());
        return false;
    });
    // A user row another program changed or deleted since it was read is not written over.
    base.Psd->setConflictFields({QStringLiteral("UserID"), QStringLiteral("Password"), QStringLiteral("RoleID")});
    base.UserInfo->setConflictFields({QStringLiteral("Name"), QStringLiteral("Address")});

    // The stored password is always a hash: an empty one would admit an empty password.
    base.Psd->fieldByName(QStringLiteral("Password")).setValidator([&base](Field &, const QVariant &value) {
        if (!value.toString().isEmpty())
            return true;
        base.prompter().warning(passwordNotSetText());
        return false;
    });

    for (const char *counter : {"HandInc", "HandIncMny", "CustHandInc", "CustHandIncMny", "PrevOnCustHand", "PrevOnCustHandMny",
                                "Sold", "SoldMny"})
        base.Goods->fieldByName(QString::fromLatin1(counter)).setReadOnly(true);
    for (const char *opening : {"PrevOnHand", "PrevOnHandMny"}) {
        base.Goods->fieldByName(QString::fromLatin1(opening)).setValidator([&base](Field &, const QVariant &value) {
            if (!value.isNull())
                return true;
            base.prompter().warning(emptyOpeningBalanceText());
            return false;
        });
    }
}

QString MasterGuard::keyInUseText()
{
    return QStringLiteral("已占用，代码不可修改。");
}

QString MasterGuard::currentUserText()
{
    return QStringLiteral("不能删除当前登录的用户。");
}

QString MasterGuard::lastAdministratorText()
{
    return QStringLiteral("不能删除最后一个系统管理员。");
}

QString MasterGuard::lastAdministratorRoleText()
{
    return QStringLiteral("不能取消最后一个系统管理员的权限。");
}

QString MasterGuard::passwordNotSetText()
{
    return QStringLiteral("密码设置失败，密码没有修改。");
}

QString MasterGuard::emptyOpeningBalanceText()
{
    return QStringLiteral("期初数量和期初金额不能为空。");
}

} // namespace hemu
