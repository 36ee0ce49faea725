#pragma once

#include <QSqlError>
#include <QString>

namespace hemu {

/**
 * Turns a constraint the database refused into the message the user sees
 * ("代码重复，请重新录入。", ...). Returns an empty string for errors that are not
 * one of the known refusals; the caller then shows the database's own text.
 */
QString refusalMessage(const QSqlError &error);
QString refusalMessage(const QString &databaseText);

/// The write could not get the file: another program held it for longer than the busy
/// timeout (SQLITE_BUSY or SQLITE_LOCKED). Nothing was written.
bool isBusy(const QSqlError &error);
/// "套帐正被其他用户使用，请稍后再试。"
QString busyText();

} // namespace hemu
