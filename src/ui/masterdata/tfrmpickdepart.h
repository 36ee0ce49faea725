#pragma once

#include "ui/masterdata/pickerdialog.h"

namespace hemu {

/** Chooses a department by a click; the caller reads the current row of Depart. */
class TfrmPickDepart : public ListPicker
{
    Q_OBJECT
public:
    TfrmPickDepart(AppContext &context, QWidget *parent);
};

} // namespace hemu
