#pragma once

#include "core/dataset/dataset.h"

namespace hemu {

/// Puts `first` in front of the guard already in `slot`: the earlier guard runs only when
/// `first` lets the operation go on. Lets a rule be added without touching the others.
inline void guardFirst(DatasetHooks::Guard &slot, DatasetHooks::Guard first)
{
    slot = [first = std::move(first), rest = std::move(slot)](Dataset &ds) { return first(ds) && (!rest || rest(ds)); };
}

} // namespace hemu
