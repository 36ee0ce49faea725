#pragma once

#include "ui/kit/appcontext.h"

class QWidget;

namespace hemu {

class TfrmPickArea;
class TfrmPickCata;
class TfrmPickCusts;
class TfrmPickCustHasGoods;
class TfrmPickDate;
class TfrmPickDepart;
class TfrmPickDueGoodsOfCust;
class TfrmPickEmps;
class TfrmPickGoods;
class TfrmPickVendor;

/**
 * The resident pickers, made once at start-up in the program's order and kept, hidden,
 * until it ends (their parent window owns them). Other windows reach them through
 * AppContext::pickers.
 */
struct Pickers
{
    Pickers(AppContext &context, QWidget *parent);

    /// Makes each picker openable by its name ("frmPickCusts").
    void registerWith(TfrmMain &main);

    TfrmPickDate *frmPickDate;
    TfrmPickCata *frmPickCata;
    TfrmPickArea *frmPickArea;
    TfrmPickDepart *frmPickDepart;
    TfrmPickCusts *frmPickCusts;
    TfrmPickEmps *frmPickEmps;
    TfrmPickGoods *frmPickGoods;
    TfrmPickVendor *frmPickVendor;
    TfrmPickCustHasGoods *frmPickCustHasGoods;
    TfrmPickDueGoodsOfCust *frmPickDueGoodsOfCust;
};

} // namespace hemu
