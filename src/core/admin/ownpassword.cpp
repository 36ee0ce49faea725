#include "core/admin/ownpassword.h"

#include "core/admin/userpassword.h"
#include "core/dataset/dataset.h"
#include "core/db/passwordhash.h"

namespace hemu::OwnPassword {

QString wrongOldText() { return QStringLiteral("原有口令不对，请重试。"); }
QString mismatchText() { return QStringLiteral("口令核对错，请重新输入。"); }

bool gotoUser(Dataset &psd, int userId)
{
    return psd.locate(QStringLiteral("UserID"), userId);
}

bool oldMatches(const Dataset &psd, const QString &old)
{
    return verifyPassword(old, psd.value(QStringLiteral("Password")).toString());
}

QString change(Dataset &psd, const QString &old, const QString &newPassword, const QString &confirmation)
{
    // Checked again here, not only when the focus leaves the old-password box: "确定" can be
    // pressed without ever entering the new-password box.
    if (!oldMatches(psd, old))
        return wrongOldText();
    if (newPassword != confirmation)
        return mismatchText();
    return store(psd, newPassword);
}

QString store(Dataset &psd, const QString &password)
{
    QString error = UserPassword::assign(psd, password);
    if (error.isEmpty()) {
        const DatasetError e = psd.post();
        if (e.ok())
            return {};
        error = e.message();
    }
    psd.cancel();
    return error;
}

} // namespace hemu::OwnPassword
