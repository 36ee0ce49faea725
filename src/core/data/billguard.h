#pragma once

#include "core/bills/billkind.h"

namespace hemu {

class TabData;

/**
 * Refuses bill rows whose values would leave the books wrong, before anything is written:
 * a party that is not on file or not of the bill's kind (a vendor for a stock-in bill, a
 * customer otherwise), a line for a goods item that is not on file, a quantity, price or
 * amount beyond single precision, a bill date that is no calendar date, and any change to
 * a bill dated on or before the last carry-forward (its lines are already in the opening
 * balances). Each refusal is a warning naming what was refused; the row stays pending.
 */
class BillGuard
{
public:
    /// Puts the checks in front of the rules of `kind`'s header and detail datasets.
    static void install(TabData &tab, BillKind kind);

    static QString goodsMissingText(const QVariant &goodId);
    static QString partyMissingText(BillKind kind, const QVariant &partyId);
};

} // namespace hemu
