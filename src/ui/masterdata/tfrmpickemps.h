#pragma once

#include "ui/masterdata/pickerdialog.h"

namespace hemu {

/** Chooses an employee: PickedID is its EmpID, PickedName its name. */
class TfrmPickEmps : public ListPicker
{
    Q_OBJECT
public:
    TfrmPickEmps(AppContext &context, QWidget *parent);

protected:
    void rowPicked() override;
};

} // namespace hemu
