#include "core/data/currentuser.h"

#include <QDateTime>
#include <QLocale>

namespace hemu {

QString nowStampText()
{
    // The program speaks Chinese: without a configured locale, Chinese date formats are used.
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::Chinese, QLocale::China);
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') + now.time().toString(QStringLiteral("HH:mm:ss"));
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
