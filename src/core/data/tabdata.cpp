#include "core/data/tabdata.h"

#include "core/data/basedata.h"
#include "core/data/columninfo.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"

namespace hemu {

namespace {

struct FieldSpec
{
    const char *name;
    const char *caption;
    const char *format;
};

// Sets captions and formats of fields that already exist; an empty caption keeps the old one.
void describe(Dataset &ds, std::initializer_list<FieldSpec> specs)
{
    for (const FieldSpec &s : specs) {
        Field &f = ds.fieldByName(QString::fromLatin1(s.name));
        if (*s.caption)
            f.setCaption(QString::fromUtf8(s.caption));
        if (s.format)
            f.setDisplayFormat(QString::fromLatin1(s.format));
    }
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *n : list)
        out << QString::fromLatin1(n);
    return out;
}

/// The calculated stock figures of a goods view: main store and all customers.
void addStockFigures(Dataset &ds, bool customerFigures)
{
    ds.addCalcField(QStringLiteral("OnHand"), calc::sum(names({"PrevOnHand", "HandInc"}), names({"CustHandInc"})));
    ds.addCalcField(QStringLiteral("OnHandMny"), calc::sum(names({"PrevOnHandMny", "HandIncMny"}), names({"CustHandIncMny"})));
    if (!customerFigures)
        return;
    ds.addCalcField(QStringLiteral("OnCustHand"), calc::sum(names({"PrevOnCustHand", "CustHandInc"}), names({"Sold"})));
    ds.addCalcField(QStringLiteral("OnCustHandMny"), calc::sum(names({"PrevOnCustHandMny", "CustHandIncMny"}), names({"SoldMny"})));
}
} // namespace

TabData::TabData(BaseData &base, QObject *parent)
    : QObject(parent)
    , m_base(base)
    , m_db(base.MyADOCnn())
    , m_prompter(base.prompter())
{
    createBillDatasets();
    createStockDatasets();
    createInvoiceDatasets();
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt})
        installBillRules(kind);
    installInvoiceRules();

    for (Dataset *ds : {RuKu, DiaoBo, ChuKu, RuKuMx, DiaoBoMx, ChuKuMx, Goods, GoodsInCusts, GoodsInCusts1, Goods2,
                        GoodsInCusts2, Goods1, GoodsCheck, Invoices, InvoiceMx})
        base.registry().attach(ds);
    // Opening the goods master opens the stock view with it.
    base.Goods->addOpenDependency(Goods);
    base.setTabData(this);
}

TabData::~TabData()
{
    if (m_base.tabData() == this)
        m_base.setTabData(nullptr);
}

Dataset *TabData::header(BillKind kind) const
{
    switch (kind) {
    case BillKind::StockIn: return RuKu;
    case BillKind::Delivery: return DiaoBo;
    case BillKind::Receipt: return ChuKu;
    }
    return nullptr;
}

Dataset *TabData::detail(BillKind kind) const
{
    switch (kind) {
    case BillKind::StockIn: return RuKuMx;
    case BillKind::Delivery: return DiaoBoMx;
    case BillKind::Receipt: return ChuKuMx;
    }
    return nullptr;
}

void TabData::createBillDatasets()
{
    RuKu = new TableDataset(m_db, QStringLiteral("RuKu"), QStringLiteral("RuKuDan"), this);
    DiaoBo = new TableDataset(m_db, QStringLiteral("DiaoBo"), QStringLiteral("DiaoBoDan"), this);
    ChuKu = new TableDataset(m_db, QStringLiteral("ChuKu"), QStringLiteral("ChuKuDan"), this);
    RuKuMx = new TableDataset(m_db, QStringLiteral("RuKuMx"), QStringLiteral("RuKuMx"), this);
    DiaoBoMx = new TableDataset(m_db, QStringLiteral("DiaoBoMx"), QStringLiteral("DiaoBoMx"), this);
    ChuKuMx = new TableDataset(m_db, QStringLiteral("ChuKuMx"), QStringLiteral("ChuKuMx"), this);

    // BookID is required by the table itself, whose refusal the rules report.
    for (Dataset *h : {RuKu, DiaoBo, ChuKu})
        ColumnInfos::declareFields(*h);
    RuKu->addLookupField(QStringLiteral("lkVendor"), m_base.Vendors, QStringLiteral("VendorID"), QStringLiteral("VendorName"),
                         QStringLiteral("CustID"));
    for (Dataset *h : {DiaoBo, ChuKu})
        h->addLookupField(QStringLiteral("lkCust"), m_base.Custs, QStringLiteral("CustID"), QStringLiteral("CustName"), QStringLiteral("CustID"))
            .setCaption(QStringLiteral("客户"));
    for (Dataset *h : {RuKu, DiaoBo, ChuKu})
        h->addLookupField(QStringLiteral("InputerName"), m_base.Psd, QStringLiteral("UserID"), QStringLiteral("UserName"),
                          QStringLiteral("PersonID"))
            .setCaption(h == ChuKu ? QStringLiteral("录入") : QStringLiteral("录单"));

    const struct
    {
        Dataset *details;
        Dataset *master;
        const char *descriptionCaption;
    } links[] = {{RuKuMx, RuKu, "品名规格"}, {DiaoBoMx, DiaoBo, "品名型号"}, {ChuKuMx, ChuKu, "品名型号"}};
    for (const auto &l : links) {
        ColumnInfos::declareFields(*l.details);
        l.details->addLookupField(QStringLiteral("Description"), m_base.lkGoods, QStringLiteral("GoodID"), QStringLiteral("Description"),
                                  QStringLiteral("GoodID"))
            .setCaption(QString::fromUtf8(l.descriptionCaption));
        l.details->addLookupField(QStringLiteral("lkUnitID"), m_base.lkGoods, QStringLiteral("GoodID"), QStringLiteral("UnitID"),
                                  QStringLiteral("GoodID"))
            .setVisible(false);
        l.details->addLookupField(QStringLiteral("lkUnit"), m_base.Units, QStringLiteral("UnitID"), QStringLiteral("Unit"),
                                  QStringLiteral("lkUnitID"))
            .setCaption(QStringLiteral("单位"));
        Field &money = l.details->addCalcField(QStringLiteral("Money"), calc::product(names({"Price", "Qty"})));
        money.setCaption(QStringLiteral("金额"));
        money.setDisplayFormat(QString::fromLatin1(DisplayFormats::Price));
        // Lines are read per bill, never the whole table.
        l.details->setMasterLink(l.master, {QStringLiteral("TabID")}, {QStringLiteral("TabID")});
    }
}

void TabData::createStockDatasets()
{
    Goods = new TableDataset(m_db, QStringLiteral("Goods"), QStringLiteral("Goods"), this);
    GoodsInCusts = new TableDataset(m_db, QStringLiteral("GoodsInCusts"), QStringLiteral("GoodsInCusts"), this);
    GoodsInCusts1 = new TableDataset(m_db, QStringLiteral("GoodsInCusts1"), QStringLiteral("GoodsInCusts"), this);
    Goods2 = new TableDataset(m_db, QStringLiteral("Goods2"), QStringLiteral("Goods"), this);
    GoodsInCusts2 = new TableDataset(m_db, QStringLiteral("GoodsInCusts2"), QStringLiteral("GoodsInCusts"), this);
    Goods1 = new TableDataset(m_db, QStringLiteral("Goods1"), QStringLiteral("Goods"), this);
    GoodsCheck = new TableDataset(m_db, QStringLiteral("GoodsCheck"), QStringLiteral("Goods"), this);

    // The stock view: every counter and the four derived figures.
    Goods->addDataFields(names({"CataID", "Description", "GoodID", "PrevOnHand", "PrevOnHandMny", "HandInc", "HandIncMny",
                                "PrevOnCustHand", "PrevOnCustHandMny", "CustHandInc", "CustHandIncMny", "Sold", "SoldMny",
                                "CostPrice", "SellPrice", "HardOrder", "InUse"}));
    m_base.marks().addZeroMark(*Goods);
    m_base.marks().addSearchMark(*Goods);
    Goods->addDataField(QStringLiteral("UnitID"));
    Goods->addLookupField(QStringLiteral("lkCataName"), m_base.Cata, QStringLiteral("CataID"), QStringLiteral("Catalog"), QStringLiteral("CataID"))
        .setCaption(QStringLiteral("类别"));
    Goods->addLookupField(QStringLiteral("lkUnit"), m_base.Units, QStringLiteral("UnitID"), QStringLiteral("Unit"), QStringLiteral("UnitID"))
        .setCaption(QStringLiteral("单位"));
    addStockFigures(*Goods, true);
    Goods->setFieldOrder(names({"CataID", "lkCataName", "Description", "GoodID", "lkUnit", "PrevOnHand", "PrevOnHandMny", "HandInc",
                                "HandIncMny", "OnHand", "OnHandMny", "PrevOnCustHand", "PrevOnCustHandMny", "CustHandInc",
                                "CustHandIncMny", "Sold", "SoldMny", "OnCustHand", "OnCustHandMny", "CostPrice", "SellPrice",
                                "HardOrder", "InUse", "IsZero", "flag", "UnitID"}));
    describe(*Goods, {{"CataID", "类别码", nullptr},
                      {"Description", "品名型号", nullptr},
                      {"GoodID", "商品码", nullptr},
                      {"PrevOnHand", "期初数", DisplayFormats::Counter},
                      {"PrevOnHandMny", "期初金额", DisplayFormats::Counter},
                      {"HandInc", "新增数", DisplayFormats::Counter},
                      {"HandIncMny", "新增金额", DisplayFormats::Counter},
                      {"OnHand", "库存数", DisplayFormats::Counter},
                      {"OnHandMny", "库存金额", DisplayFormats::Counter},
                      {"PrevOnCustHand", "客户期初数", DisplayFormats::Counter},
                      {"PrevOnCustHandMny", "客户期初金额", DisplayFormats::Counter},
                      {"CustHandInc", "客户新增数", DisplayFormats::Counter},
                      {"CustHandIncMny", "客户新增金额", DisplayFormats::Counter},
                      {"Sold", "售出数", DisplayFormats::Counter},
                      {"SoldMny", "销售收款", DisplayFormats::Counter},
                      {"OnCustHand", "客户结存数", DisplayFormats::Counter},
                      {"OnCustHandMny", "客户结存金额", DisplayFormats::Counter},
                      {"CostPrice", "购入价", DisplayFormats::Money},
                      {"SellPrice", "售价", DisplayFormats::Money},
                      {"HardOrder", "排序", nullptr},
                      {"InUse", "停用", nullptr},
                      {"IsZero", "空", nullptr}});
    Goods->fieldByName(QStringLiteral("GoodID")).setReadOnly(true);
    Goods->fieldByName(QStringLiteral("InUse")).setDataType(DataType::Boolean);
    for (const char *yesNo : {"InUse", "IsZero"})
        Goods->fieldByName(QString::fromLatin1(yesNo)).setBooleanTexts(QStringLiteral("√"), QString());
    Goods->fieldByName(QStringLiteral("UnitID")).setVisible(false);
    Goods->fieldByName(QStringLiteral("flag")).setVisible(false);

    // The per-customer view.
    ColumnInfos::declareFields(*GoodsInCusts);
    GoodsInCusts->addLookupField(QStringLiteral("lkGoodName"), m_base.lkGoods, QStringLiteral("GoodID"), QStringLiteral("Description"),
                                 QStringLiteral("GoodID"))
        .setCaption(QStringLiteral("品名型号"));
    GoodsInCusts->addLookupField(QStringLiteral("lkCustName"), m_base.Custs, QStringLiteral("CustID"), QStringLiteral("CustName"),
                                 QStringLiteral("CustID"))
        .setCaption(QStringLiteral("客户名称"));
    GoodsInCusts->addCalcField(QStringLiteral("OnHand"), calc::sum(names({"PrevOnHand", "HandInc"}), names({"Sold"})));
    GoodsInCusts->addCalcField(QStringLiteral("OnHandMny"), calc::sum(names({"PrevOnHandMny", "HandIncMny"}), names({"SoldMny"})));
    GoodsInCusts->addLookupField(QStringLiteral("lkUnitID"), m_base.lkGoods, QStringLiteral("GoodID"), QStringLiteral("UnitID"),
                                 QStringLiteral("GoodID"))
        .setVisible(false);
    GoodsInCusts->addLookupField(QStringLiteral("lkUnit"), m_base.Units, QStringLiteral("UnitID"), QStringLiteral("Unit"),
                                 QStringLiteral("lkUnitID"))
        .setCaption(QStringLiteral("单位"));
    GoodsInCusts->setFieldOrder(names({"CustID", "lkGoodName", "lkCustName", "PrevOnHand", "PrevOnHandMny", "HandInc", "HandIncMny",
                                       "OnHand", "OnHandMny", "Sold", "SoldMny", "GoodID", "lkUnitID", "lkUnit"}));
    describe(*GoodsInCusts, {{"PrevOnHand", "数量", DisplayFormats::Money},
                             {"PrevOnHandMny", "金额", DisplayFormats::Money},
                             {"HandInc", "数量", DisplayFormats::Money},
                             {"HandIncMny", "金额", DisplayFormats::Money},
                             {"OnHand", "数量", DisplayFormats::Money},
                             {"OnHandMny", "金额", DisplayFormats::Money}});
    GoodsInCusts->fieldByName(QStringLiteral("GoodID")).setVisible(false);

    ColumnInfos::declareFields(*GoodsInCusts1);
    GoodsInCusts1->setBatchMode(true);
    m_base.marks().declareGoodsFields(*Goods2);
    ColumnInfos::declareFields(*GoodsInCusts2);
    m_base.marks().declareGoodsFields(*Goods1, names({"Description", "BarCode", "CustID", "DiffCheck"}));
    Goods1->setBatchMode(true);
    Goods1->setUpdateChangedColumnsOnly(true);

    // Stocktaking.
    GoodsCheck->addDataFields(names({"GoodID", "CataID", "UnitID", "Description", "PrevOnHand", "PrevOnHandMny", "HandInc", "HandIncMny",
                                     "PrevOnCustHand", "PrevOnCustHandMny", "CustHandInc", "CustHandIncMny", "Sold", "SoldMny",
                                     "CostPrice", "SellPrice", "HardOrder", "InUse"}));
    m_base.marks().addZeroMark(*GoodsCheck);
    m_base.marks().addSearchMark(*GoodsCheck);
    GoodsCheck->addDataField(QStringLiteral("DiffCheck"));
    GoodsCheck->addLookupField(QStringLiteral("lkCataName"), m_base.Cata, QStringLiteral("CataID"), QStringLiteral("Catalog"),
                               QStringLiteral("CataID"))
        .setCaption(QStringLiteral("类别"));
    GoodsCheck->addLookupField(QStringLiteral("lkUnit"), m_base.Units, QStringLiteral("UnitID"), QStringLiteral("Unit"), QStringLiteral("UnitID"))
        .setCaption(QStringLiteral("单位"));
    addStockFigures(*GoodsCheck, false);
    GoodsCheck->setFieldOrder(names({"GoodID", "CataID", "UnitID", "lkCataName", "Description", "lkUnit", "PrevOnHand", "PrevOnHandMny",
                                     "HandInc", "HandIncMny", "OnHand", "OnHandMny"}));
    describe(*GoodsCheck, {{"GoodID", "商品码", nullptr},
                           {"CataID", "类别码", nullptr},
                           {"Description", "品名型号", nullptr},
                           {"PrevOnHand", "期初数", DisplayFormats::CheckFigure},
                           {"PrevOnHandMny", "期初金额", DisplayFormats::CheckFigure},
                           {"HandInc", "新增数", DisplayFormats::CheckFigure},
                           {"HandIncMny", "新增金额", DisplayFormats::CheckFigure},
                           {"OnHand", "库存数", DisplayFormats::CheckFigure},
                           {"OnHandMny", "库存金额", DisplayFormats::CheckFigure},
                           {"PrevOnCustHand", "客户期初数", DisplayFormats::Money},
                           {"PrevOnCustHandMny", "客户期初金额", DisplayFormats::Money},
                           {"CustHandInc", "客户新增数", DisplayFormats::Money},
                           {"CustHandIncMny", "客户新增金额", DisplayFormats::Money},
                           {"Sold", "售出数", DisplayFormats::Money},
                           {"SoldMny", "销售收款", DisplayFormats::Money},
                           {"HardOrder", "排序", nullptr},
                           {"InUse", "停用", nullptr},
                           {"DiffCheck", "帐实差", DisplayFormats::Difference}});
    GoodsCheck->fieldByName(QStringLiteral("UnitID")).setVisible(false);
    GoodsCheck->setBatchMode(true);

    // The views of the batch work (recomputation, stocktaking) open with the set like every
    // table view, but read their rows when first used: on large books they are three
    // copies of the goods and two of the customer stock that most sessions never look at.
    for (Dataset *batch : {GoodsInCusts1, Goods2, GoodsInCusts2, Goods1, GoodsCheck})
        batch->setLoadOnFirstUse(true);

    // Opening the stock view opens the customer views first; closing goes the same way.
    Goods->addOpenDependency(GoodsInCusts);
    GoodsInCusts->addOpenDependency(GoodsInCusts1);
}

void TabData::createInvoiceDatasets()
{
    Invoices = new TableDataset(m_db, QStringLiteral("Invoices"), QStringLiteral("Invoices"), this);
    InvoiceMx = new TableDataset(m_db, QStringLiteral("InvoiceMx"), QStringLiteral("InvoiceMx"), this);
    ColumnInfos::declareFields(*Invoices);
    Invoices->addLookupField(QStringLiteral("Vendor"), m_base.Vendors, QStringLiteral("VendorID"), QStringLiteral("VendorName"),
                             QStringLiteral("vendorid"))
        .setCaption(QStringLiteral("供货方名称"));
    // The invoice views follow the bill but open on their own: a damaged invoice table must
    // not keep the stock-in bills from opening, and the open loop names the view that failed.
    Invoices->setMasterLink(RuKu, {QStringLiteral("TabID")}, {QStringLiteral("TabID")}, false);
    ColumnInfos::declareFields(*InvoiceMx);
    InvoiceMx->addLookupField(QStringLiteral("lkGood"), m_base.lkGoods, QStringLiteral("GoodID"), QStringLiteral("Description"),
                              QStringLiteral("GoodID"))
        .setCaption(QStringLiteral("品名型号"));
    InvoiceMx->setMasterLink(Invoices, {QStringLiteral("TabID")}, {QStringLiteral("TabID")}, false);
}

void TabData::ShowAllBills()
{
    for (Dataset *h : {RuKu, DiaoBo, ChuKu})
        h->setFiltered(false);
}

} // namespace hemu
