#pragma once

#include "ui/masterdata/pickerdialog.h"

class QPushButton;

namespace hemu {

/**
 * Chooses a goods category: a double-click on a row ends with OK and PickedID its CataID;
 * "全体产品..." ends with All (every category).
 */
class TfrmPickCata : public ListPicker
{
    Q_OBJECT
public:
    TfrmPickCata(AppContext &context, QWidget *parent);

protected:
    void rowPicked() override;

private:
    struct
    {
        QPushButton *Panel1 = nullptr;
    } ui;
};

} // namespace hemu
