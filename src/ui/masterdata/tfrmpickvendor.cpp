#include "ui/masterdata/tfrmpickvendor.h"

#include <QShowEvent>

namespace hemu {

TfrmPickVendor::TfrmPickVendor(AppContext &context, QWidget *parent)
    : PartyPicker(context, QStringLiteral("frmPickVendor"), PartyList::Party::Vendors,
                  {.caption = QStringLiteral("选取供货方"), .searchCaption = QStringLiteral("供货方名称:")}, parent)
{
}

void TfrmPickVendor::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        reopenList();
    PartyPicker::showEvent(event);
}

} // namespace hemu
