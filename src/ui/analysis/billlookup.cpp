#include "ui/analysis/billlookup.h"

#include "core/analysis/billsearch.h"
#include "core/prompter.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/shell/tfrmmain.h"

#include <QAction>

namespace hemu::BillLookup {

namespace {
const QString kBillEntry = QStringLiteral("frmBusiness");
} // namespace

QString notAvailableText()
{
    return QStringLiteral("本版本尚无单据录入窗口，不能调阅单据。");
}

void show(AppContext &context, const QVariant &goodId, const QVariant &custId)
{
    TfrmMain &main = context.main;
    if (!context.searchTabs || !main.windowNames().contains(kBillEntry)) {
        context.prompter.information(notAvailableText());
        return;
    }
    // Bill entry first: the lists it opens on are the ones the search narrows.
    main.miEdTabsClick();
    BillSearch::Criteria criteria;
    criteria.goods = goodId.toString();
    if (custId.isValid() && !custId.isNull())
        criteria.party = custId.toString();
    context.searchTabs->searchFor(criteria);
    // Bill entry's "找单据" shows the search window with the criteria in it.
    const QList<QWidget *> entries = main.findChildren<QWidget *>(kBillEntry);
    for (QWidget *entry : entries) {
        if (auto *find = entry->findChild<QAction *>(QStringLiteral("miFindTabs")); find && entry->isVisible()) {
            find->trigger();
            return;
        }
    }
    context.searchTabs->showWindow();
}

} // namespace hemu::BillLookup
