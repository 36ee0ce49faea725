#pragma once

#include "ui/kit/appcontext.h"

class QWidget;

namespace hemu {

class TfrmEdCata;
class TfrmEdGoods;
class TfrmEdInitial;
class TfrmEdUnit;

/**
 * The resident single-row editors of the master data, made once at start-up (their parent
 * window owns them) and reached through AppContext::editors.
 */
struct MasterEditors
{
    MasterEditors(AppContext &context, QWidget *parent);

    /// Makes each editor openable by its name ("frmEdGoods"): it edits the current row.
    void registerWith(TfrmMain &main);

    TfrmEdGoods *frmEdGoods;
    TfrmEdInitial *frmEdInitial;
    TfrmEdCata *frmEdCata;
    TfrmEdUnit *frmEdUnit;
};

} // namespace hemu
