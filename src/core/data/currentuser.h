#pragma once

#include <QString>

namespace hemu {

/** The user admitted by the last successful login; kept until the next one. */
struct CurrentUser
{
    int CurUserID = 0;
    int CurRoleID = 0;
    QString CurUserName;
    QString CurRole;

    /// "登录:<name> | 权限:<role> | 时间:<date time>", for the status bar.
    QString LoginStatusText() const;
    /// "[制表:<name>,权限:<role>,时间:<date time>]", the stamp printed on sheets.
    QString PrintStampText() const;
};

/// Current date and time in the system's short date and long time formats, joined by a blank.
QString nowStampText();

} // namespace hemu
