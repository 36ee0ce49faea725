#include "ui/masterdata/pickers.h"

#include "ui/masterdata/tfrmpickarea.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/masterdata/tfrmpickcusthasgoods.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/masterdata/tfrmpickdepart.h"
#include "ui/masterdata/tfrmpickduegoodsofcust.h"
#include "ui/masterdata/tfrmpickemps.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"

namespace hemu {

Pickers::Pickers(AppContext &context, QWidget *parent)
    : frmPickDate(new TfrmPickDate(context, parent))
    , frmPickCata(new TfrmPickCata(context, parent))
    , frmPickArea(new TfrmPickArea(context, parent))
    , frmPickDepart(new TfrmPickDepart(context, parent))
    , frmPickCusts(new TfrmPickCusts(context, parent))
    , frmPickEmps(new TfrmPickEmps(context, parent))
    , frmPickGoods(new TfrmPickGoods(context, parent))
    , frmPickVendor(new TfrmPickVendor(context, parent))
    , frmPickCustHasGoods(new TfrmPickCustHasGoods(context, parent))
    , frmPickDueGoodsOfCust(new TfrmPickDueGoodsOfCust(context, parent))
{
}

void Pickers::registerWith(TfrmMain &main)
{
    for (PickerDialog *picker : std::initializer_list<PickerDialog *>{
             frmPickDate, frmPickCata, frmPickArea, frmPickDepart, frmPickCusts, frmPickEmps, frmPickGoods, frmPickVendor,
             frmPickCustHasGoods, frmPickDueGoodsOfCust})
        main.registerResident(picker->objectName(), [picker] { picker->pick(); });
}

} // namespace hemu
