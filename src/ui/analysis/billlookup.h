#pragma once

#include "ui/kit/appcontext.h"

#include <QString>
#include <QVariant>

namespace hemu {

/**
 * "调阅单据" of the browsers: the bills behind a row. The bill search is given the row's goods
 * item (and customer) and run, bill entry is opened on the bills found, and its "找单据"
 * shows the search window with those criteria, where the user can narrow them further.
 */
namespace BillLookup {

/// Looks up the bills of goods item `goodId` (and of customer `custId` when it is given).
void show(AppContext &context, const QVariant &goodId, const QVariant &custId = {});

/// What the browsers say while the program has no bill entry to show the bills in.
QString notAvailableText();

} // namespace BillLookup
} // namespace hemu
