#pragma once

namespace hemu {

/// A value as single precision holds it (24-bit mantissa), widened back to double.
/// Bill totals, invoice totals and posted quantities and prices pass through this.
inline double toSingle(double value)
{
    return double(static_cast<float>(value));
}

/// One step of a running total kept in single precision: the addend is formed at full
/// precision and the sum is rounded to single precision after the addition.
inline double addSingle(double total, double addend)
{
    return toSingle(total + addend);
}

} // namespace hemu
