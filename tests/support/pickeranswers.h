#pragma once

// Answering the resident pickers in window tests: cancel, "全体产品..." or a double-click on
// the row that holds a given key.
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "ui/masterdata/pickerdialog.h"

#include <QPushButton>

namespace hemu::test {

enum class PickerAnswer { Cancel, All, Row };

/// Answers the next modal picker of type P: with Row, double-clicks the row of its list
/// (DBGrid1) whose `field` is `value`.
template <typename P>
void answerPicker(PickerAnswer answer, const QString &field = {}, const QVariant &value = {})
{
    whenModal<P>([=](P *picker) {
        if (answer == PickerAnswer::Cancel) {
            picker->reject();
            return;
        }
        if (answer == PickerAnswer::All) {
            QTest::mouseClick(control<QPushButton>(picker, QStringLiteral("Panel1")), Qt::LeftButton);
            return;
        }
        auto *grid = control<DataGrid>(picker, QStringLiteral("DBGrid1"));
        const int row = rowOf(*grid->dataset(), field, value);
        if (row < 0) {
            picker->reject();
            qFatal("the picker lists no row with %s = %s", qPrintable(field), qPrintable(value.toString()));
        }
        grid->scrollTo(grid->model()->index(row, 0));
        doubleClickRow(grid, row);
    });
}

} // namespace hemu::test
