#pragma once

#include "ui/masterdata/pickerdialog.h"

namespace hemu {

/** Chooses an area by a click; the caller reads the current row of Areas. */
class TfrmPickArea : public ListPicker
{
    Q_OBJECT
public:
    TfrmPickArea(AppContext &context, QWidget *parent);
};

} // namespace hemu
