#include "core/analysis/payables.h"

#include "core/analysis/listcolumns.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"

namespace hemu {

Payables::Payables(Database &db, QObject *parent)
    : QObject(parent)
{
    qVendors = new QueryDataset(db, QStringLiteral("qVendors"), QStringLiteral("SELECT VendorID, VendorName FROM Vendors"), this);
    qSum = new QueryDataset(db, QStringLiteral("qSum"), sumSql(), this);
    qStatistic = new QueryDataset(db, QStringLiteral("qStatistic"), statisticSql(), this);

    describeColumns(*qSum, {{"CustID", "供货方码"}, {"DuePay", "总计应付款", DisplayFormats::Cents}});
    qSum->addLookupField(QStringLiteral("lkVendor"), qVendors, QStringLiteral("VendorID"), QStringLiteral("VendorName"),
                         QStringLiteral("CustID"))
        .setCaption(QStringLiteral(" 供货方"));
    qSum->fieldByName(QStringLiteral("CustID")).setVisible(false);
    qSum->setFieldOrder({QStringLiteral("CustID"), QStringLiteral("lkVendor")});
    qSum->addOpenDependency(qVendors);

    describeColumns(*qStatistic, {{"BookID", "原始单据"},
                                  {"TabID", "单据ID"},
                                  {"TabDate", "日期"},
                                  {"clear", "结清"},
                                  {"paid", "已付款", DisplayFormats::Cents},
                                  {"due", "应付款", DisplayFormats::Cents}});
    qStatistic->fieldByName(QStringLiteral("TabDate")).setDataType(DataType::Date);
    qStatistic->setMasterLink(qSum, {QStringLiteral("CustID")}, {QStringLiteral("CustID")});
}

QString Payables::sumSql()
{
    return QStringLiteral("SELECT CustID, sum(SumMoney) AS DuePay FROM RuKuDan GROUP BY CustID ORDER BY CustID");
}

QString Payables::statisticSql()
{
    // A bill without an invoice has paid nothing yet: its empty invoiced amount counts as 0,
    // so the bill shows as open, not as settled.
    return QStringLiteral("SELECT BookID, TabID, TabDate, "
                          "CASE WHEN SumMoney - coalesce(invoiceMny, 0) > 0 THEN 'X' ELSE '√' END AS clear, "
                          "invoiceMny AS paid, SumMoney AS due "
                          "FROM RuKuDan WHERE CustID = :CustID ORDER BY TabID");
}

QString Payables::noPayablesText()
{
    return QStringLiteral("无应付款。");
}

QString Payables::missingBillText()
{
    return QStringLiteral("单据不存在。");
}

DatasetError Payables::open()
{
    close();
    // The bills open with their vendors' list and follow its current row.
    return qSum->open();
}

void Payables::close()
{
    qStatistic->close();
    qSum->close();
}

bool Payables::findVendor(int vendorId)
{
    return qSum->locate(QStringLiteral("CustID"), vendorId);
}

} // namespace hemu
