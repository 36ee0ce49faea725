#pragma once

#include "core/dataset/dataset.h"

#include <QSqlError>
#include <QString>

namespace hemu {

class Prompter;

/// What the user is shown of a database failure that is not one of the known refusals.
QString failureText(const QSqlError &error);

/**
 * The post-error rule of the data modules: a row the database refuses by its keys is reported
 * with the refusal's message (or `refusalText` when given) and dropped; any other failure is
 * reported and the row stays pending, so nothing typed is lost (a file another program holds
 * among them).
 */
DatasetHooks::ErrorHandler refusingPostErrors(Prompter &prompter, const QString &refusalText = {});

} // namespace hemu
