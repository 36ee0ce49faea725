#pragma once

#include "core/bills/billkind.h"
#include "core/dataset/dataseterror.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

namespace hemu {

class Dataset;

/**
 * What the bill entry window decides about a bill without drawing it: the counterpart a
 * bill has, which lines are drawn red, the list caption and the bill count, the setting of
 * the counterpart and the date, and where the bill list puts the window. The window only
 * shows the results; every write goes through the datasets and their rules.
 */
class BillEntry
{
public:
    /// The bill's vendor or customer (`CustID` of the header's current row); 0 when it has none.
    static int counterpart(const Dataset &header);

    /// Rounds to the nearest whole number, halves to the even one (2.5 → 2, -0.5 → -0).
    static double roundHalfEven(double value);
    /// A line is drawn red when its quantity, rounded half to even, is below zero: -2 and
    /// -0.6 are, -0.4 and -0.5 are not. An empty quantity is not.
    static bool drawnRed(const QVariant &qty);

    /// "入库单 3张", "调拨单 5张", "出库单 2张".
    static QString listCaption(BillKind kind, int count);
    /// The bills the three header views show (as far as their filters let them be seen).
    static int billCount(const QList<const Dataset *> &headers);
    /// "单据总数:10".
    static QString countText(int count);

    /// Makes `id` the bill's counterpart and saves the header (an unsaved new bill is saved
    /// with it). A refusal leaves the header pending with what the user chose.
    static DatasetError setCounterpart(Dataset &header, const QVariant &id);
    /// Puts the picked date into the header; it is saved with the header's next post.
    static DatasetError setBillDate(Dataset &header, const QDate &date);
    /// Saves `dataset`'s pending row when the user changed it, drops a new row he did not
    /// touch (a line started and left empty).
    static DatasetError finishPending(Dataset &dataset);

    /// Where the bill list leaves the window: its width, the width of the bill page beside
    /// the list, the list's width and the window's left edge (centred on the screen).
    struct ListGeometry
    {
        int windowWidth = 0;
        int pageWidth = 0;
        int listWidth = 0;
        int left = 0;
    };
    static constexpr int windowWidth = 520;
    static constexpr int listWidth = 330;
    /// The list opened on a screen `screenWidth` wide beside a window `width` wide.
    static ListGeometry openList(int screenWidth, int width);
    /// The list closed again: the window goes back to `rememberedWidth`.
    static ListGeometry closeList(int screenWidth, int rememberedWidth);

    static QString databaseClosedText();
    static QString noCounterpartText();
    static QString unsavedQuestion();
    static QString searchOpenText();
    static QString noRightText();
    /// Roles above this one may not use the bill search menu.
    static constexpr int lastSearchRole = 2;
};

} // namespace hemu
