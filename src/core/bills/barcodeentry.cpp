#include "core/bills/barcodeentry.h"

#include "core/bills/billentry.h"
#include "core/db/database.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/goodspick.h"

#include <QSqlQuery>

namespace hemu {

BarcodeEntry::BarcodeEntry(Database &db, Dataset &details, const QVariant &custId)
    : m_db(db)
    , m_details(details)
    , m_custId(custId)
{
}

QString BarcodeEntry::unknownText(const QString &code)
{
    return QStringLiteral("没有条码或代码为“%1”的商品。").arg(code);
}

QVariant BarcodeEntry::findGoods(const QString &code) const
{
    const QVariant byBarcode = m_db.scalar(QStringLiteral("SELECT GoodID FROM Goods WHERE BarCode = ? ORDER BY GoodID LIMIT 1"),
                                           {code});
    if (!byBarcode.isNull())
        return byBarcode;
    bool number = false;
    const qlonglong id = code.toLongLong(&number);
    if (!number)
        return {};
    return m_db.scalar(QStringLiteral("SELECT GoodID FROM Goods WHERE GoodID = ?"), {id});
}

QVariant BarcodeEntry::proposedPrice(const QVariant &goodId) const
{
    if (m_details.name() == QLatin1String("ChuKuMx")) {
        // What the customer holds the item at, as the due-goods pick proposes it.
        const QVariant held = m_db.scalar(
            QStringLiteral("SELECT (PrevOnHandMny + HandIncMny - SoldMny) / (PrevOnHand + HandInc - Sold) FROM GoodsInCusts "
                           "WHERE GoodID = ? AND CustID = ? AND (PrevOnHand + HandInc - Sold) <> 0"),
            {goodId, m_custId});
        if (!held.isNull())
            return held;
    }
    return m_db.scalar(QStringLiteral("SELECT %1 FROM Goods WHERE GoodID = ?").arg(GoodsPick::priceField(m_details)), {goodId});
}

int BarcodeEntry::lineOf(const QVariant &goodId) const
{
    const int field = m_details.fieldIndex(QStringLiteral("GoodID"));
    for (int row = 0; row < m_details.rowCount(); ++row) {
        const QVariant v = m_details.value(row, field);
        if (!v.isNull() && v.toLongLong() == goodId.toLongLong())
            return row;
    }
    return -1;
}

BarcodeEntry::Outcome BarcodeEntry::scan(const QString &typed, DatasetError *error)
{
    DatasetError e;
    auto finish = [&](Outcome outcome) {
        if (e.failed() && m_details.isEditing())
            m_details.cancel();
        if (error)
            *error = e;
        return e.failed() ? Outcome::Nothing : outcome;
    };
    const QString code = typed.trimmed();
    if (code.isEmpty() || !m_details.isOpen())
        return finish(Outcome::Nothing);
    const QVariant goodId = findGoods(code);
    if (goodId.isNull())
        return finish(Outcome::Unknown);
    // The line being typed is saved first (an untouched new one dropped).
    e = BillEntry::finishPending(m_details);
    if (e.failed())
        return finish(Outcome::Nothing);
    const int row = lineOf(goodId);
    if (row >= 0) {
        m_details.setCurrentRow(row);
        const double qty = m_details.value(QStringLiteral("Qty")).toDouble();
        e = m_details.edit();
        if (e.ok())
            e = m_details.setValue(QStringLiteral("Qty"), qty + 1);
        if (e.ok())
            e = m_details.post();
        return finish(Outcome::Increased);
    }
    const QVariant price = proposedPrice(goodId);
    e = m_details.append();
    if (e.ok())
        e = m_details.setValue(QStringLiteral("GoodID"), goodId);
    if (e.ok())
        e = m_details.setValue(QStringLiteral("Qty"), 1);
    if (e.ok())
        e = m_details.setValue(QStringLiteral("Price"), price);
    if (e.ok())
        e = m_details.post();
    return finish(Outcome::Added);
}

} // namespace hemu
