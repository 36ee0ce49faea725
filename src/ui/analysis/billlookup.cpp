#include "ui/analysis/billlookup.h"

#include "core/prompter.h"

namespace hemu::BillLookup {

QString notAvailableText()
{
    return QStringLiteral("本版本尚无单据录入窗口，不能调阅单据。");
}

void show(AppContext &context, const QVariant &goodId, const QVariant &custId)
{
    Q_UNUSED(goodId);
    Q_UNUSED(custId);
    context.prompter.information(notAvailableText());
}

} // namespace hemu::BillLookup
