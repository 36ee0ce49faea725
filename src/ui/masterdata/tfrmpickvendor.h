#pragma once

#include "ui/masterdata/partypicker.h"

namespace hemu {

/** Chooses a vendor: PickedID is its VendorID, PickedName its name. The last search or area
 *  filter stays in force from one showing to the next. */
class TfrmPickVendor : public PartyPicker
{
    Q_OBJECT
public:
    TfrmPickVendor(AppContext &context, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace hemu
