#include "core/data/currentuser.h"

#include <QDateTime>
#include <QLocale>

namespace hemu {

QString nowStampText()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(now.time(), QLocale::LongFormat);
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
