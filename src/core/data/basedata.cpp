#include "core/data/basedata.h"

#include "core/data/columninfo.h"
#include "core/data/hookchain.h"
#include "core/data/masterguard.h"
#include "core/data/posterrors.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/likepattern.h"
#include "core/db/passwordhash.h"
#include "core/db/refusals.h"
#include "core/format/displayformats.h"
#include "core/prompter.h"

namespace hemu {

namespace {

QString usedText() { return QStringLiteral("已经使用，不能删除！"); }
QString confirmDeleteText() { return QStringLiteral("确实要删除吗？"); }
} // namespace

BaseData::BaseData(Prompter &prompter, QObject *parent)
    : QObject(parent)
    , m_prompter(m_connection, prompter)
    , m_connection(QStringLiteral("MyADOCnn-%1").arg(quintptr(this), 0, 16))
{
    createDatasets();
    installRules();
}

BaseData::~BaseData()
{
    m_registry.closeAll();
}

void BaseData::createDatasets()
{
    Database &db = m_connection;
    Cata = new TableDataset(db, QStringLiteral("Cata"), QStringLiteral("Catalogs"), this);
    Areas = new TableDataset(db, QStringLiteral("Areas"), QStringLiteral("Areas"), this);
    Units = new TableDataset(db, QStringLiteral("Units"), QStringLiteral("Units"), this);
    Vendors = new TableDataset(db, QStringLiteral("Vendors"), QStringLiteral("Vendors"), this);
    Goods = new TableDataset(db, QStringLiteral("Goods"), QStringLiteral("Goods"), this);
    Custs = new TableDataset(db, QStringLiteral("Custs"), QStringLiteral("Customers"), this);
    Employees = new TableDataset(db, QStringLiteral("Employees"), QStringLiteral("Employees"), this);
    lkRole = new TableDataset(db, QStringLiteral("lkRole"), QStringLiteral("UserRoles"), this);
    Psd = new TableDataset(db, QStringLiteral("Psd"), QStringLiteral("psd"), this);
    Depart = new TableDataset(db, QStringLiteral("Depart"), QStringLiteral("Departments"), this);
    CustExists = new CommandDataset(db, QStringLiteral("CustExists"),
                                    QStringLiteral("SELECT CustID FROM GoodsInCusts WHERE CustID = :CustID "
                                                   "UNION SELECT CustID FROM DiaoBoDan WHERE CustID = :CustID "
                                                   "UNION SELECT CustID FROM ChuKuDan WHERE CustID = :CustID"),
                                    this);
    lkGoods = new TableDataset(db, QStringLiteral("lkGoods"), QStringLiteral("Goods"), this);
    GoodAvgPrice = new TableDataset(db, QStringLiteral("GoodAvgPrice"), QStringLiteral("GoodsAvgPrice"), this);
    tbStyle = new TableDataset(db, QStringLiteral("tbStyle"), QStringLiteral("DisplayStyle"), this);
    UserInfo = new TableDataset(db, QStringLiteral("UserInfo"), QStringLiteral("UserInfo"), this);
    qMaxGoodID = new QueryDataset(db, QStringLiteral("qMaxGoodID"), QStringLiteral("SELECT max(GoodID) FROM Goods"), this);
    GoodUsed = new QueryDataset(db, QStringLiteral("GoodUsed"),
                                QStringLiteral("SELECT GoodID FROM RuKuMx WHERE GoodID = :GoodID "
                                               "UNION SELECT GoodID FROM DiaoBoMx WHERE GoodID = :GoodID "
                                               "UNION SELECT GoodID FROM ChuKuMx WHERE GoodID = :GoodID "
                                               "UNION SELECT GoodID FROM GoodsInCusts WHERE GoodID = :GoodID"),
                                this);
    qTest = new QueryDataset(db, QStringLiteral("qTest"), QString(), this);

    for (Dataset *ds : {Cata, Areas, Units, Depart, lkRole, tbStyle, UserInfo, GoodAvgPrice})
        ColumnInfos::declareFields(*ds);

    ColumnInfos::declareFields(*Vendors);
    Vendors->addLookupField(QStringLiteral("lkArea"), Areas, QStringLiteral("AreaID"), QStringLiteral("AreaName"),
                            QStringLiteral("AreaID"));

    m_marks.declareGoodsFields(*Goods, {QStringLiteral("VendorID"), QStringLiteral("DiffCheck")});
    Goods->addLookupField(QStringLiteral("lkCata"), Cata, QStringLiteral("CataID"), QStringLiteral("Catalog"), QStringLiteral("CataID"))
        .setCaption(QStringLiteral("类别"));
    Goods->addLookupField(QStringLiteral("Unit"), Units, QStringLiteral("UnitID"), QStringLiteral("Unit"), QStringLiteral("UnitID"))
        .setCaption(QStringLiteral("单位"));
    for (const char *avg : {"CostAvgPrice", "SellAvgPrice"}) {
        const QString name = QString::fromLatin1(avg);
        Field &f = Goods->addLookupField(name, GoodAvgPrice, QStringLiteral("GoodID"), name, QStringLiteral("GoodID"));
        f.setCaption(QString::fromUtf8(ColumnInfos::find(QStringLiteral("GoodsAvgPrice"), name)->caption));
        f.setDisplayFormat(QString::fromLatin1(DisplayFormats::Money));
        f.setDataType(DataType::Float);
    }
    // The master view hides the counters and the bookkeeping columns.
    for (const char *hidden : {"PrevOnHand", "PrevOnHandMny", "HandInc", "HandIncMny", "CustHandInc", "CustHandIncMny",
                               "PrevOnCustHand", "PrevOnCustHandMny", "Sold", "SoldMny", "EnterDate", "EnterDeptID",
                               "flag", "CataID", "UnitID"})
        Goods->fieldByName(QString::fromLatin1(hidden)).setVisible(false);

    ColumnInfos::declareFields(*Custs);
    Custs->addLookupField(QStringLiteral("lkArea"), Areas, QStringLiteral("AreaID"), QStringLiteral("AreaName"), QStringLiteral("AreaID"))
        .setCaption(QStringLiteral("地区"));

    ColumnInfos::declareFields(*Employees);
    Employees->addLookupField(QStringLiteral("Dept"), Depart, QStringLiteral("CustID"), QStringLiteral("Department"),
                              QStringLiteral("DeptID"))
        .setCaption(QStringLiteral("部门"));

    ColumnInfos::declareFields(*Psd);
    Psd->addLookupField(QStringLiteral("UserName"), Employees, QStringLiteral("EmpID"), QStringLiteral("Employee"),
                        QStringLiteral("UserID"))
        .setCaption(QStringLiteral("用户名称"));
    Psd->addLookupField(QStringLiteral("Role"), lkRole, QStringLiteral("RoleID"), QStringLiteral("Role"), QStringLiteral("RoleID"))
        .setCaption(QStringLiteral("权限"));
    // The stored password is a hash: lists show this in its place, the same for every user,
    // so that neither the hash nor anything about the password can be read off a screen.
    Psd->addCalcField(QStringLiteral("PasswordMask"), [](const RecordRef &) { return QVariant(passwordMaskText()); },
                      DataType::Text)
        .setCaption(QStringLiteral("口令"));

    lkGoods->addDataFields({QStringLiteral("GoodID"), QStringLiteral("CataID"), QStringLiteral("Description"), QStringLiteral("UnitID"),
                            QStringLiteral("PrevOnHand"), QStringLiteral("HandInc"), QStringLiteral("HandIncMny"),
                            QStringLiteral("CustHandInc"), QStringLiteral("CustHandIncMny"), QStringLiteral("VendorID"),
                            QStringLiteral("InUse")});
    m_marks.addSearchMark(*lkGoods);
    lkGoods->addDataFields({QStringLiteral("CostPrice"), QStringLiteral("SellPrice"), QStringLiteral("HardOrder")});
    lkGoods->fieldByName(QStringLiteral("Description")).setCaption(QStringLiteral("产品名称"));
    lkGoods->fieldByName(QStringLiteral("InUse")).setDataType(DataType::Boolean);
    lkGoods->setBatchMode(true);
    lkGoods->setReadOnly(true);
    lkGoods->addLookupField(QStringLiteral("lkCata"), Cata, QStringLiteral("CataID"), QStringLiteral("Catalog"), QStringLiteral("CataID"));
    lkGoods->addCalcField(QStringLiteral("OnHand"), calc::sum({QStringLiteral("PrevOnHand"), QStringLiteral("HandInc")},
                                                              {QStringLiteral("CustHandInc")}));
    // The pickers show prices and stock the way the goods master does, not as raw binary fractions.
    for (const char *money : {"CostPrice", "SellPrice"})
        lkGoods->fieldByName(QString::fromLatin1(money)).setDisplayFormat(QString::fromLatin1(DisplayFormats::Money));
    lkGoods->fieldByName(QStringLiteral("OnHand")).setDisplayFormat(QString::fromLatin1(DisplayFormats::Quantity));
    GoodAvgPrice->setBatchMode(true);
    GoodUsed->setBatchMode(true);

    // Opening the goods master first opens the views it looks things up in.
    Goods->addOpenDependency(lkGoods);
    Goods->addOpenDependency(GoodAvgPrice);

    for (Dataset *ds : {Cata, Areas, Units, Vendors, Goods, Custs, Employees, lkRole, Psd, Depart, CustExists, lkGoods,
                        GoodAvgPrice, tbStyle, UserInfo, qMaxGoodID, GoodUsed, qTest})
        m_registry.attach(ds);
}

void BaseData::installRules()
{
    installDeleteGuards();
    installDefaults();
    installUnitKeyChange();
    installRefusals();

    MasterGuard::install(*this);

    // A changed goods row shows at once in the lookups and the stock view. Re-reading the
    // row does what reopening both views would, without reloading every item; a changed
    // code is a new rowid (the code is the rowid), so the row under the old code goes too.
    guardFirst(Goods->hooks().beforePost, [this](Dataset &ds) {
        m_goodsRowBefore = ds.state() == Dataset::State::Edit ? ds.currentRowid() : 0;
        return true;
    });
    Goods->hooks().afterPost = [this](Dataset &ds) {
        if (BulkGoodsUpdate)
            return;
        QList<qint64> rows{ds.currentRowid()};
        if (m_goodsRowBefore != 0)
            rows << m_goodsRowBefore;
        lkGoods->refreshRows(rows);
        if (m_tabData && m_tabData->Goods->isOpen())
            m_tabData->Goods->refreshRows(rows);
    };
}

bool BaseData::isUsed(Dataset &query, const QString &sql, const QVariantList &params)
{
    query.close();
    if (!sql.isEmpty())
        query.setSql(sql);
    query.clearParams();
    for (int i = 0; i < params.size(); ++i)
        query.setParam(i, params[i]);
    const bool used = query.open().ok() && !query.isEmpty();
    query.close();
    return used;
}

bool BaseData::goodsInUse(const QVariant &goodId)
{
    GoodUsed->close();
    GoodUsed->setParam(QStringLiteral("GoodID"), goodId);
    const bool used = GoodUsed->open().ok() && !GoodUsed->isEmpty() && !GoodUsed->value(0, 0).isNull();
    GoodUsed->close();
    return used;
}

bool BaseData::customerInUse(const QVariant &custId)
{
    CustExists->close();
    CustExists->setParam(QStringLiteral("CustID"), custId);
    return CustExists->open().ok() && !CustExists->isEmpty();
}

bool BaseData::vendorInUse(const QVariant &vendorId)
{
    return isUsed(*qTest, QStringLiteral("SELECT CustID FROM RuKuDan WHERE CustID = ?"), {vendorId});
}

void BaseData::installDeleteGuards()
{
    auto confirm = [this](Dataset &) { return m_prompter.question(confirmDeleteText()); };
    auto guarded = [this](std::function<bool(Dataset &)> inUse) {
        return [this, inUse](Dataset &ds) {
            if (inUse(ds)) {
                m_prompter.warning(usedText());
                return false;
            }
            return m_prompter.question(confirmDeleteText());
        };
    };

    Goods->hooks().beforeDelete = guarded([this](Dataset &ds) { return goodsInUse(ds.value(QStringLiteral("GoodID"))); });
    Custs->hooks().beforeDelete = guarded([this](Dataset &ds) { return customerInUse(ds.value(QStringLiteral("CustID"))); });
    Employees->hooks().beforeDelete = guarded([this](Dataset &ds) {
        const QVariant id = ds.value(QStringLiteral("EmpID"));
        return isUsed(*qTest,
                      QStringLiteral("SELECT PersonID FROM RuKuDan WHERE PersonID = ? UNION "
                                     "SELECT PersonID FROM DiaoBoDan WHERE PersonID = ? UNION "
                                     "SELECT PersonID FROM ChuKuDan WHERE PersonID = ?"),
                      {id, id, id});
    });
    Vendors->hooks().beforeDelete = guarded([this](Dataset &ds) { return vendorInUse(ds.value(QStringLiteral("VendorID"))); });
    Units->hooks().beforeDelete = guarded([this](Dataset &ds) {
        return isUsed(*qTest, QStringLiteral("SELECT UnitID FROM Goods WHERE UnitID = ?"), {ds.value(QStringLiteral("UnitID"))});
    });
    for (Dataset *ds : {Cata, Areas, Depart, Psd})
        ds->hooks().beforeDelete = confirm;
}

void BaseData::installDefaults()
{
    Goods->hooks().onNewRecord = [this](Dataset &ds) {
        ds.setValue(QStringLiteral("CataID"), Cata->value(QStringLiteral("CataID")));
        ds.setValue(QStringLiteral("UnitID"), Units->value(QStringLiteral("UnitID")));
        ds.setValue(QStringLiteral("CustID"), 0);
        // The next code is the highest one plus one, written into the key explicitly; a code
        // freed at the end of the list is handed out again.
        qMaxGoodID->close();
        const bool read = qMaxGoodID->open().ok() && !qMaxGoodID->isEmpty();
        const QVariant max = read ? qMaxGoodID->value(0, 0) : QVariant();
        qMaxGoodID->close();
        m_offeredGoodId = max.isNull() ? 1 : max.toLongLong() + 1;
        ds.setValue(QStringLiteral("GoodID"), m_offeredGoodId);
    };
    // Another program may have taken the offered code meanwhile: a code the user left as
    // offered is taken again inside the row's own write.
    Goods->hooks().onPostBegin = [this](Dataset &ds) -> DatasetError {
        if (ds.state() != Dataset::State::Insert || !m_offeredGoodId.isValid()
            || ds.value(QStringLiteral("GoodID")).toLongLong() != m_offeredGoodId.toLongLong())
            return {};
        const QVariant max = m_connection.scalar(QStringLiteral("SELECT max(GoodID) FROM Goods"));
        return ds.setValue(QStringLiteral("GoodID"), max.isNull() ? 1 : max.toLongLong() + 1);
    };
    auto areaDefault = [this](Dataset &ds) { ds.setValue(QStringLiteral("AreaID"), Areas->value(QStringLiteral("AreaID"))); };
    Custs->hooks().onNewRecord = areaDefault;
    Vendors->hooks().onNewRecord = areaDefault;
    Employees->hooks().onNewRecord = [this](Dataset &ds) {
        ds.setValue(QStringLiteral("DeptID"), Depart->value(QStringLiteral("CustID")));
    };
}

void BaseData::installUnitKeyChange()
{
    Units->hooks().beforeEdit = [this](Dataset &ds) {
        m_unitEditPending.active = true;
        m_unitEditPending.repointed = false;
        m_unitEditPending.unitId = ds.value(QStringLiteral("UnitID"));
        return true;
    };
    Units->hooks().beforeInsert = [this](Dataset &) {
        m_unitEditPending.active = false;
        return true;
    };
    // The goods follow the key inside the unit's own post: both change or neither does.
    Units->hooks().onPostWrite = [this](Dataset &ds) {
        if (!m_unitEditPending.active || ds.state() != Dataset::State::Edit)
            return true;
        const QVariant now = ds.value(QStringLiteral("UnitID"));
        if (now == m_unitEditPending.unitId)
            return true;
        QSqlError error;
        if (!m_connection.exec(QStringLiteral("UPDATE Goods SET UnitID = ? WHERE UnitID = ?"), {now, m_unitEditPending.unitId}, &error)) {
            // The unit's post is rolled back with it and stays pending: say why it did not save.
            m_prompter.warning(failureText(error));
            return false;
        }
        m_unitEditPending.repointed = true;
        return true;
    };
    Units->hooks().afterPost = [this](Dataset &) {
        const bool repointed = m_unitEditPending.active && m_unitEditPending.repointed;
        m_unitEditPending.active = false;
        if (!repointed)
            return;
        for (Dataset *view : {Goods, lkGoods})
            if (view->isOpen())
                view->refresh();
        if (m_tabData && m_tabData->Goods->isOpen())
            m_tabData->Goods->refresh();
    };
    Units->hooks().afterCancel = [this](Dataset &) { m_unitEditPending.active = false; };
}

void BaseData::installRefusals()
{
    for (Dataset *ds : {Goods, Units, Psd, Cata, Areas, Vendors, Custs, Employees, Depart, UserInfo, tbStyle})
        ds->hooks().onPostError = refusingPostErrors(m_prompter);
}

bool BaseData::readGoodIds(const QString &sql, const QVariantList &params, QSet<qint64> *ids, QString *error)
{
    QSqlQuery q = m_connection.query(sql, params);
    if (q.lastError().isValid() || !q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    ids->clear();
    while (q.next())
        ids->insert(q.value(0).toLongLong());
    if (q.lastError().isValid()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

bool BaseData::MarkZeroGoods(QString *error)
{
    Goods->close();
    QSet<qint64> zero;
    const bool ok = readGoodIds(QStringLiteral("SELECT GoodID FROM Goods WHERE (PrevOnHand = 0 OR PrevOnHand IS NULL) "
                                               "AND (PrevOnCustHand = 0 OR PrevOnCustHand IS NULL) "
                                               "AND (HandInc = 0 OR HandInc IS NULL) "
                                               "AND (CustHandInc = 0 OR CustHandInc IS NULL) "
                                               "AND (Sold = 0 OR Sold IS NULL)"),
                                {}, &zero, error);
    if (ok)
        m_marks.setZeroMarks(zero);
    const DatasetError reopened = Goods->open();
    if (reopened.failed()) {
        if (error)
            *error = reopened.message();
        return false;
    }
    return ok;
}

bool BaseData::FilterGoods(int mode, const QString &text, Dataset &goods, QString *error)
{
    goods.disableControls();
    goods.close();
    // The text is matched literally: the wildcards and the escape character are escaped.
    const QString pattern = likeContains(text.trimmed());
    const QString column = mode == 1 ? QStringLiteral("CAST(GoodID AS TEXT)") : QStringLiteral("Description");
    QSet<qint64> found;
    const bool ok = readGoodIds(QStringLiteral("SELECT GoodID FROM Goods WHERE %1 LIKE ?").arg(column) + likeEscapeClause(), {pattern}, &found, error);
    if (ok)
        m_marks.setSearchMarks(found);
    goods.setFiltered(false);
    goods.setFilter(QStringLiteral("flag=1"));
    goods.setFiltered(true);
    const DatasetError opened = goods.open();
    goods.enableControls();
    if (opened.failed()) {
        if (error)
            *error = opened.message();
        return false;
    }
    return ok;
}

} // namespace hemu
