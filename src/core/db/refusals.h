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

} // namespace hemu
