#include "core/data/currentuser.h"

#include "core/format/datetext.h"

#include <QDateTime>
#include <QLocale>

namespace hemu {

QString nowStampText()
{
    const QDateTime now = QDateTime::currentDateTime();
    return shortDateText(now.date()) + QLatin1Char(' ') + timeText(now.time());
}

QString CurrentUser::LoginStatusText() const
{
    return QStringLiteral("登录:") + CurUserName + QStringLiteral(" | 权限:") + CurRole
        + QStringLiteral(" | 时间:") + nowStampText();
}

QString CurrentUser::PrintStampText() const
{
    return QStringLiteral("[制表:") + CurUserName + QStringLiteral(",权限:") + CurRole
        + QStringLiteral(",时间:") + nowStampText() + QLatin1Char(']');
}

} // namespace hemu
