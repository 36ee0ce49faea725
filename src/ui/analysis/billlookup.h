#pragma once

#include "ui/kit/appcontext.h"

#include <QString>
#include <QVariant>

namespace hemu {

/**
 * "调阅单据" of the browsers: the bills behind a row. The bill search is emptied and given the
 * row's goods item and customer, bill entry is opened and shows the search, where the user
 * starts it.
 */
namespace BillLookup {

/// Looks up the bills of goods item `goodId` (and of customer `custId` when it is given).
void show(AppContext &context, const QVariant &goodId, const QVariant &custId = {});

/// What the browsers say while the program has no bill entry to show the bills in.
QString notAvailableText();

} // namespace BillLookup
} // namespace hemu
