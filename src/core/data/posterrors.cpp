#include "core/data/posterrors.h"

#include "core/db/refusals.h"
#include "core/prompter.h"

namespace hemu {

QString failureText(const QSqlError &error)
{
    if (isBusy(error))
        return busyText();
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

DatasetHooks::ErrorHandler refusingPostErrors(Prompter &prompter, const QString &refusalText)
{
    return [&prompter, refusalText](Dataset &ds, const QSqlError &error) {
        QString text = refusalMessage(error);
        if (isBusy(error)) {
            // Nothing was written: the row stays pending and can be saved again later.
            prompter.warning(text);
            return true;
        }
        if (text.isEmpty() && !refusalText.isEmpty() && error.databaseText().contains(QLatin1String("constraint failed")))
            text = refusalText;
        if (text.isEmpty()) {
            prompter.warning(failureText(error));
            return true;
        }
        prompter.warning(refusalText.isEmpty() ? text : refusalText);
        ds.cancel();
        return true;
    };
}

} // namespace hemu
