#include "core/data/columninfo.h"

#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"

namespace hemu::ColumnInfos {

namespace {

using namespace DisplayFormats;

// clang-format off
const ColumnInfo infos[] = {
    {"Catalogs", "CataID", "类码", ""},
    {"Catalogs", "Catalog", "类别", "", false, false, 90},
    {"Catalogs", "Remark", "备注", "", false, false, 100},
    {"Catalogs", "Picture", "图片", ""},

    {"Areas", "AreaID", "", "", false, true},
    {"Areas", "AreaName", "地区", "", false, false, 40},

    {"Units", "UnitID", "", ""},
    {"Units", "Unit", "单位", "", false, false, 10},

    {"Vendors", "VendorID", "", "", false, true},
    {"Vendors", "VendorName", "供货方", "", false, false, 90},
    {"Vendors", "AreaID", "", "", false, true},
    {"Vendors", "Address", "地址", "", false, false, 90},
    {"Vendors", "Zip", "邮政编码", "", false, false, 20},
    {"Vendors", "Telephone", "电话", "", false, false, 90},
    {"Vendors", "Fax", "传真", "", false, false, 30},
    {"Vendors", "Preferred", "优先", "", true},

    {"Customers", "CustID", "", "", false, true},
    {"Customers", "AreaID", "", "", false, true},
    {"Customers", "CustName", "客户名称", "", false, false, 90},
    {"Customers", "Address", "地址", "", false, false, 100},
    {"Customers", "Telephone", "电话", "", false, false, 100},
    {"Customers", "Fax", "传真", "", false, false, 30},
    {"Customers", "Manager", "负责人", "", false, false, 20},
    {"Customers", "RegDate", "登记日期", ""},

    {"Departments", "CustID", "", "", false, true},
    {"Departments", "Department", "部门名称", "", false, false, 90},
    {"Departments", "Address", "位置", "", false, false, 90},
    {"Departments", "Telphone", "电话", "", false, false, 50},
    {"Departments", "Manager", "负责人", "", false, false, 20},

    {"Employees", "EmpID", "代码", ""},
    {"Employees", "DeptID", "", "", false, true},
    {"Employees", "Employee", "人员", "", false, false, 90},
    {"Employees", "Sex", "性别", "", false, false, 4},
    {"Employees", "Age", "年龄", ""},
    {"Employees", "BirthDay", "生日", ""},
    {"Employees", "Address", "住址", "", false, false, 100},
    {"Employees", "Telphone", "电话", "", false, false, 100},
    {"Employees", "Picture", "照片", ""},

    {"UserRoles", "RoleID", "", ""},
    {"UserRoles", "Role", "权限", "", false, false, 50},
    {"UserRoles", "Description", "", ""},

    {"psd", "UserID", "用户码", ""},
    {"psd", "Password", "口令", "", false, true},
    {"psd", "RoleID", "权限值", ""},

    {"UserInfo", "id", "", "", false, true},
    {"UserInfo", "Name", "", "", false, false, 100},
    {"UserInfo", "Address", "", "", false, false, 50},
    {"UserInfo", "闸帐月", "", ""},
    {"UserInfo", "闸帐日", "", ""},
    {"UserInfo", "结转时间", "", ""},

    {"DisplayStyle", "DataFormat", "数据显示格式", "", false, false, 50},

    {"Goods", "GoodID", "代码", ""},
    {"Goods", "Description", "品名型号", "", false, false, 100},
    {"Goods", "BarCode", "条形码", "", false, false, 100},
    {"Goods", "CataID", "", ""},
    {"Goods", "UnitID", "", ""},
    {"Goods", "VendorID", "", ""},
    {"Goods", "CustID", "库码", ""},
    {"Goods", "TaxRate", "税率%", "#.##"},
    {"Goods", "CostPrice", "购入价", Money},
    {"Goods", "SellPrice", "售价", Money},
    {"Goods", "HardOrder", "打印序", ""},
    {"Goods", "InUse", "停用", "", true},
    {"Goods", "IsZero", "空", "", true},
    {"Goods", "EnterDate", "登记日期", "", false, true},
    {"Goods", "EnterDeptID", "调入部门", "", false, true},
    {"Goods", "flag", "过滤", "", false, true},
    {"Goods", "DiffCheck", "帐实差", Difference},
    {"Goods", "PrevOnHand", "上期结转", ""},
    {"Goods", "PrevOnHandMny", "", ""},
    {"Goods", "HandInc", "新增数", ""},
    {"Goods", "HandIncMny", "", ""},
    {"Goods", "CustHandInc", "调出", ""},
    {"Goods", "CustHandIncMny", "", ""},
    {"Goods", "PrevOnCustHand", "客户期初", ""},
    {"Goods", "PrevOnCustHandMny", "", ""},
    {"Goods", "Sold", "售出数", ""},
    {"Goods", "SoldMny", "", ""},

    {"GoodsInCusts", "GoodID", "商品码", ""},
    {"GoodsInCusts", "CustID", "客户码", ""},
    {"GoodsInCusts", "PrevOnHand", "期初数", Money},
    {"GoodsInCusts", "PrevOnHandMny", "期初金额", Money},
    {"GoodsInCusts", "HandInc", "新增数", Money},
    {"GoodsInCusts", "HandIncMny", "新增金额", Money},
    {"GoodsInCusts", "Sold", "销售数", Money},
    {"GoodsInCusts", "SoldMny", "销售收款", Money},

    {"GoodsAvgPrice", "GoodID", "", ""},
    {"GoodsAvgPrice", "CostAvgPrice", "平均进货价", Money},
    {"GoodsAvgPrice", "SellAvgPrice", "平均销售价", Money},

    {"RuKuDan", "TabID", "ID", ""},
    {"RuKuDan", "BookID", "单号", "", false, false, 50},
    {"RuKuDan", "CustID", "", "", false, true},
    {"RuKuDan", "TabDate", "单据日期", ""},
    {"RuKuDan", "RegDate", "录入日期", ""},
    {"RuKuDan", "SumMoney", "合计金额", "#.00"},
    {"RuKuDan", "Remark", "备注", "", false, false, 100},
    {"RuKuDan", "ForQuery", "", "", false, true},
    {"RuKuDan", "PersonID", "", "", false, true},
    {"RuKuDan", "KindID", "单型", ""},
    {"RuKuDan", "invoice", "发票号", "", false, false, 20},
    {"RuKuDan", "invoiceMny", "", Cents},
    {"RuKuDan", "PageID", "页键", "", false, true},

    {"DiaoBoDan", "TabID", "ID", ""},
    {"DiaoBoDan", "BookID", "单号", "", false, false, 50},
    {"DiaoBoDan", "CustID", "", "", false, true},
    {"DiaoBoDan", "TabDate", "单据日期", ""},
    {"DiaoBoDan", "RegDate", "录入日期", ""},
    {"DiaoBoDan", "SumMoney", "合计金额", "#.00"},
    {"DiaoBoDan", "Remark", "备注", "", false, false, 100},
    {"DiaoBoDan", "ForQuery", "", "", false, true},
    {"DiaoBoDan", "PersonID", "", "", false, true},
    {"DiaoBoDan", "KindID", "单型", ""},
    {"DiaoBoDan", "PageID", "页键", "", false, true},
    {"DiaoBoDan", "PayDelay", "帐期", ""},

    {"ChuKuDan", "TabID", "ID", ""},
    {"ChuKuDan", "BookID", "单号", "", false, false, 50},
    {"ChuKuDan", "CustID", "", "", false, true},
    {"ChuKuDan", "TabDate", "单据日期", ""},
    {"ChuKuDan", "RegDate", "录入日期", ""},
    {"ChuKuDan", "SumMoney", "", "'¥'#,##0.00"},
    {"ChuKuDan", "Remark", "", "", false, false, 100},
    {"ChuKuDan", "ForQuery", "", "", false, true},
    {"ChuKuDan", "PersonID", "", "", false, true},
    {"ChuKuDan", "KindID", "单型", ""},
    {"ChuKuDan", "PageID", "页键", "", false, true},
    {"ChuKuDan", "HowToPay", "付款方式", "", false, false, 50},

    {"RuKuMx", "TabID", "", "", false, true},
    {"RuKuMx", "ItemNo", "项", ""},
    {"RuKuMx", "GoodID", "商品码", ""},
    {"RuKuMx", "Price", "单价", Price},
    {"RuKuMx", "Qty", "数量", Quantity},

    {"DiaoBoMx", "TabID", "", "", false, true},
    {"DiaoBoMx", "ItemNo", "项", ""},
    {"DiaoBoMx", "GoodID", "商品码", ""},
    {"DiaoBoMx", "Price", "单价", Price},
    {"DiaoBoMx", "Qty", "数量", ""},

    {"ChuKuMx", "TabID", "", "", false, true},
    {"ChuKuMx", "ItemNo", "项", ""},
    {"ChuKuMx", "GoodID", "商品码", ""},
    {"ChuKuMx", "Price", "单价", Price},
    {"ChuKuMx", "Qty", "数量", Quantity},

    {"Invoices", "TabID", "单据id", ""},
    {"Invoices", "invoice", "发票号", "", false, false, 50},
    {"Invoices", "vendorid", "供货码", ""},
    {"Invoices", "date", "日期", ""},
    {"Invoices", "totalmny", "付款金额", ""},
    {"Invoices", "remark", "备注", "", false, false, 100},

    {"InvoiceMx", "TabID", "单据id", ""},
    {"InvoiceMx", "GoodID", "商品码", ""},
    {"InvoiceMx", "paidqty", "数量", Money},
    {"InvoiceMx", "price", "单价", Money},
    {"InvoiceMx", "paidmny", "金额", Money},
};
// clang-format on

// Dates are stored as 'YYYY-MM-DD' text; typed as dates they are edited and compared as such.
bool isDateColumn(const QString &column)
{
    static const QStringList dates = {QStringLiteral("RegDate"), QStringLiteral("BirthDay"), QStringLiteral("TabDate"),
                                      QStringLiteral("EnterDate"), QStringLiteral("date"), QStringLiteral("结转时间")};
    return dates.contains(column, Qt::CaseInsensitive);
}

} // namespace

QList<const ColumnInfo *> columnsOf(const QString &table)
{
    QList<const ColumnInfo *> out;
    for (const ColumnInfo &c : infos) {
        if (table.compare(QLatin1String(c.table), Qt::CaseInsensitive) == 0)
            out << &c;
    }
    return out;
}

QStringList columnNames(const QString &table)
{
    QStringList out;
    for (const ColumnInfo *c : columnsOf(table))
        out << QString::fromUtf8(c->column);
    return out;
}

const ColumnInfo *find(const QString &table, const QString &column)
{
    for (const ColumnInfo *c : columnsOf(table)) {
        if (column.compare(QString::fromUtf8(c->column), Qt::CaseInsensitive) == 0)
            return c;
    }
    return nullptr;
}

void declareFields(Dataset &ds, const QStringList &excluded)
{
    for (const ColumnInfo *c : columnsOf(ds.tableName())) {
        const QString name = QString::fromUtf8(c->column);
        if (excluded.contains(name, Qt::CaseInsensitive))
            continue;
        Field &f = ds.addDataField(name);
        if (*c->caption)
            f.setCaption(QString::fromUtf8(c->caption));
        if (*c->format)
            f.setDisplayFormat(QString::fromUtf8(c->format));
        if (isDateColumn(name))
            f.setDataType(DataType::Date);
        if (c->yesNo) {
            f.setDataType(DataType::Boolean);
            f.setBooleanTexts(QStringLiteral("√"), QString());
        }
        f.setVisible(!c->hidden);
        if (c->maxLength)
            f.setMaxLength(c->maxLength);
    }
}

} // namespace hemu::ColumnInfos
