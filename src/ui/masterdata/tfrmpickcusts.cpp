#include "ui/masterdata/tfrmpickcusts.h"

#include <QShowEvent>

namespace hemu {

TfrmPickCusts::TfrmPickCusts(AppContext &context, QWidget *parent)
    : PartyPicker(context, QStringLiteral("frmPickCusts"), PartyList::Party::Customers,
                  {.caption = QStringLiteral("选择客户"),
                   .searchCaption = QStringLiteral("客户名称"),
                   .searchHint = QStringLiteral("按Enter执行检索"),
                   .buttonHint = QStringLiteral("执行检索")},
                  parent)
{
}

void TfrmPickCusts::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        partyList().showAll();
        reopenList();
    }
    PartyPicker::showEvent(event);
}

} // namespace hemu
