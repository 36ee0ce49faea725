#pragma once

#include <QString>

namespace hemu {

class Dataset;

/// The sort a title click on `fieldName` asks for: ascending on the first click, descending
/// when the dataset is already sorted ascending by that column. A lookup field sorts by its
/// key fields. Pure: the dataset is not changed.
QString titleSortText(const Dataset &dataset, const QString &fieldName);

/// The column-title sort of every grid: sorts `dataset` by titleSortText() and returns to the
/// row that was current. Returns the sort now in force, or an empty text when nothing could
/// be sorted (the dataset is then back on its row and nobody is told: a title click is not
/// worth a message).
QString SortByTitle(Dataset &dataset, const QString &fieldName);

/// True when `sortText` is the ascending or descending title sort of `fieldName`; a grid uses
/// it to find the column whose title shows the sort.
bool isTitleSortOf(const Dataset &dataset, const QString &fieldName, const QString &sortText);

} // namespace hemu
