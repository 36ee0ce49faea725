#pragma once

#include "ui/masterdata/partypicker.h"

namespace hemu {

/** Chooses a customer: PickedID is its CustID, PickedName its name. Every showing starts
 *  from the whole list. */
class TfrmPickCusts : public PartyPicker
{
    Q_OBJECT
public:
    TfrmPickCusts(AppContext &context, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace hemu
