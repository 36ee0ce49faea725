#pragma once

#include <initializer_list>

namespace hemu {

class Dataset;

/** One column of a query list as the browsers show it: its name, title and number pattern. */
struct ListColumn
{
    const char *name;
    const char *caption;
    const char *format = nullptr; ///< a number pattern; none for a text or key column
};

/// Declares the data fields of a query list in this order, with their titles; a column with
/// a pattern is a number shown through it.
void describeColumns(Dataset &ds, std::initializer_list<ListColumn> columns);

} // namespace hemu
