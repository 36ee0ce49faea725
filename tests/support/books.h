#pragma once

#include "core/bills/billkind.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "support/testsupport.h"

#include <memory>

namespace hemu::test {

/**
 * An open account set with both data modules, the way the program has it after a login:
 * a blank set, goods 1..goodsCount and customers/vendors 1..5, every table dataset open,
 * user 1 logged in. Bills are entered through the datasets and their rules.
 */
class Books
{
public:
    explicit Books(int goodsCount = 5);
    /// Another program on the account set at `path` (another Books' set): its own
    /// connection and data modules on the same file, its views read now.
    explicit Books(const QString &path);
    ~Books();

    ScriptedPrompter prompter;
    TempAccountSet set;
    std::unique_ptr<BaseData> base;
    std::unique_ptr<TabData> tab;
    Database &db() { return base->MyADOCnn(); }

    struct Line
    {
        int goods;
        double qty;
        double price;
    };
    /// Posts a new bill header with `party` and `date`, then its lines; returns its TabID.
    int bill(BillKind kind, int party, const QList<Line> &lines, const QString &date = QStringLiteral("2026-03-02"));
    /// Appends a line to the current bill of `kind`; returns the post's outcome.
    DatasetError line(BillKind kind, const Line &line);
    /// Makes bill `tabId` the current one of its kind (its lines load).
    bool gotoBill(BillKind kind, int tabId);
    /// Makes line `itemNo` of the current bill the current line.
    bool gotoLine(BillKind kind, int itemNo);

    double goods(const QString &column, int goodId) const;
    QVariant cust(const QString &column, int goodId, int custId) const;
};

} // namespace hemu::test
