#pragma once

#include <QString>

namespace hemu {

class ProgressSink;
struct ConvertSummary;

/**
 * The books of a freshly converted account set: checked as `hemu-cli check` checks them, and,
 * where the old program left counters that disagree with the bills, rebuilt from the bills of
 * the current period ("按单据重算").
 */
namespace ConvertedBooks {

/// Runs the books check on the set at `path`; its differences (or why it could not run) go
/// into `summary`.
void check(const QString &path, ConvertSummary *summary);

/// Rebuilds the movement counters of the set at `path` from the bills after the last
/// carry-forward, as the totals window does, so that the books check holds afterwards.
bool recalc(const QString &path, ProgressSink &progress, QString *error);

} // namespace ConvertedBooks
} // namespace hemu
