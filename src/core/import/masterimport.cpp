#include "core/import/masterimport.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/refusals.h"
#include "core/prompter.h"

#include <QHash>
#include <QSet>

namespace hemu {

namespace {

ImportField plain(const char *name, const char *caption, bool required = false, QStringList aliases = {})
{
    ImportField f;
    f.name = QString::fromLatin1(name);
    f.caption = QString::fromUtf8(caption);
    f.required = required;
    f.aliases = aliases;
    f.target = f.name;
    return f;
}

/// A name the file gives for a row of another table (a category by its name).
ImportField looked(const char *name, const char *caption, const char *table, const char *key, const char *target,
                   bool required = false)
{
    ImportField f = plain(name, caption, required);
    f.lookupTable = QString::fromLatin1(table);
    f.lookupName = f.name;
    f.lookupKey = QString::fromLatin1(key);
    f.target = QString::fromLatin1(target);
    return f;
}

QList<ImportField> fieldsOf(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Goods:
        return {plain("GoodID", "代码", false, {QStringLiteral("产品代码")}),
                plain("Description", "品名型号", true, {QStringLiteral("产品名称"), QStringLiteral("品名")}),
                plain("BarCode", "条形码"),
                looked("Catalog", "类别", "Catalogs", "CataID", "CataID", true),
                looked("Unit", "单位", "Units", "UnitID", "UnitID"),
                plain("TaxRate", "税率%", false, {QStringLiteral("税率")}),
                plain("CostPrice", "购入价"),
                plain("SellPrice", "售价"),
                plain("HardOrder", "打印序"),
                plain("InUse", "停用"),
                plain("PrevOnHand", "期初数量", false, {QStringLiteral("上期结转")}),
                plain("PrevOnHandMny", "期初金额")};
    case ImportKind::Catalogs:
        return {plain("Catalog", "类别", true, {QStringLiteral("类别名称")}), plain("Remark", "备注")};
    case ImportKind::Units:
        return {plain("UnitID", "代码", true, {QStringLiteral("单位代码")}), plain("Unit", "单位", true, {QStringLiteral("单位名称")})};
    case ImportKind::Customers:
        return {plain("CustName", "客户名称", true, {QStringLiteral("客户")}),
                looked("AreaName", "地区", "Areas", "AreaID", "AreaID"),
                plain("Address", "地址"), plain("Telephone", "电话"), plain("Fax", "传真"),
                plain("Manager", "负责人"), plain("RegDate", "登记日期")};
    case ImportKind::Vendors:
        return {plain("VendorName", "供货方", true, {QStringLiteral("供货方名称"), QStringLiteral("供应商")}),
                looked("AreaName", "地区", "Areas", "AreaID", "AreaID"),
                plain("Address", "地址"), plain("Zip", "邮政编码"), plain("Telephone", "电话"), plain("Fax", "传真"),
                plain("Preferred", "优先")};
    case ImportKind::Employees:
        return {plain("Employee", "人员", true, {QStringLiteral("姓名")}),
                looked("Department", "部门", "Departments", "CustID", "DeptID"),
                plain("Sex", "性别"), plain("Age", "年龄"), plain("BirthDay", "生日"), plain("Address", "住址"),
                plain("Telphone", "电话")};
    case ImportKind::OpeningBalances:
        return {plain("GoodID", "代码", false, {QStringLiteral("产品代码")}),
                plain("Description", "品名型号", false, {QStringLiteral("产品名称"), QStringLiteral("品名")}),
                plain("PrevOnHand", "期初数量", true, {QStringLiteral("上期结转")}),
                plain("PrevOnHandMny", "期初金额", true)};
    }
    return {};
}

/// The field whose value names a row: duplicates of it are refused.
QString nameFieldOf(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Goods: return QStringLiteral("Description");
    case ImportKind::Catalogs: return QStringLiteral("Catalog");
    case ImportKind::Units: return QStringLiteral("Unit");
    case ImportKind::Customers: return QStringLiteral("CustName");
    case ImportKind::Vendors: return QStringLiteral("VendorName");
    // Two employees may share a name (two users of one name log in as different ids).
    case ImportKind::Employees:
    case ImportKind::OpeningBalances: return {};
    }
    return {};
}

QString tableOf(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Goods:
    case ImportKind::OpeningBalances: return QStringLiteral("Goods");
    case ImportKind::Catalogs: return QStringLiteral("Catalogs");
    case ImportKind::Units: return QStringLiteral("Units");
    case ImportKind::Customers: return QStringLiteral("Customers");
    case ImportKind::Vendors: return QStringLiteral("Vendors");
    case ImportKind::Employees: return QStringLiteral("Employees");
    }
    return {};
}

/// Takes what the rules say while a row is written, so that it is named with its row.
class RowMessages : public Prompter
{
public:
    bool question(const QString &) override { return false; }
    void warning(const QString &text) override { texts << text; }
    void information(const QString &text) override { texts << text; }
    void message(const QString &text) override { texts << text; }
    QStringList texts;
};

/// Sends the rules' messages to `sink` for as long as it lives.
class Diverted
{
public:
    Diverted(BaseData &base, Prompter *sink) : m_base(base) { m_base.divertMessages(sink); }
    ~Diverted() { m_base.divertMessages(nullptr); }

private:
    BaseData &m_base;
};

} // namespace

MasterImport::MasterImport(BaseData &base, ImportKind kind)
    : m_base(base), m_kind(kind), m_fields(fieldsOf(kind))
{
}

QList<ImportKind> MasterImport::kinds()
{
    return {ImportKind::Goods, ImportKind::Catalogs, ImportKind::Units, ImportKind::Customers,
            ImportKind::Vendors, ImportKind::Employees, ImportKind::OpeningBalances};
}

QString MasterImport::kindName(ImportKind kind)
{
    return kind == ImportKind::OpeningBalances ? QStringLiteral("OpeningBalances") : tableOf(kind);
}

QString MasterImport::kindCaption(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Goods: return QStringLiteral("产品");
    case ImportKind::Catalogs: return QStringLiteral("类别");
    case ImportKind::Units: return QStringLiteral("单位");
    case ImportKind::Customers: return QStringLiteral("客户");
    case ImportKind::Vendors: return QStringLiteral("供货方");
    case ImportKind::Employees: return QStringLiteral("人员");
    case ImportKind::OpeningBalances: return QStringLiteral("期初数");
    }
    return {};
}

bool MasterImport::kindFromName(const QString &name, ImportKind *kind)
{
    for (ImportKind k : kinds()) {
        if (name.compare(kindName(k), Qt::CaseInsensitive) == 0 || name == kindCaption(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

QList<int> MasterImport::autoMapping(const QStringList &header) const
{
    QList<int> mapping;
    QSet<int> taken;
    for (const QString &cell : header) {
        const QString h = cell.trimmed();
        int found = -1;
        for (int f = 0; f < m_fields.size() && found < 0; ++f) {
            const ImportField &field = m_fields.at(f);
            const bool named = h.compare(field.name, Qt::CaseInsensitive) == 0 || h == field.caption
                || field.aliases.contains(h);
            if (named && !taken.contains(f))
                found = f;
        }
        if (found >= 0)
            taken.insert(found);
        mapping << found;
    }
    return mapping;
}

Dataset &MasterImport::dataset() const
{
    switch (m_kind) {
    case ImportKind::Goods:
    case ImportKind::OpeningBalances: return *m_base.Goods;
    case ImportKind::Catalogs: return *m_base.Cata;
    case ImportKind::Units: return *m_base.Units;
    case ImportKind::Customers: return *m_base.Custs;
    case ImportKind::Vendors: return *m_base.Vendors;
    case ImportKind::Employees: return *m_base.Employees;
    }
    return *m_base.Goods;
}

QString MasterImport::errorLine(const RowError &e)
{
    return QStringLiteral("第 %1 行：%2").arg(e.line).arg(e.text);
}

MasterImport::Outcome MasterImport::preview(const ImportTable &table, const QList<int> &mapping)
{
    return run(table, mapping, false);
}

MasterImport::Outcome MasterImport::commit(const ImportTable &table, const QList<int> &mapping)
{
    return run(table, mapping, true);
}

MasterImport::Outcome MasterImport::run(const ImportTable &table, const QList<int> &mapping, bool write)
{
    Outcome out;
    Database &db = m_base.MyADOCnn();
    Dataset &ds = dataset();
    if (!db.isOpen() || !ds.isOpen()) {
        out.error = QStringLiteral("没有打开的套帐。");
        return out;
    }
    // Which column fills which field.
    QList<int> columnOf(m_fields.size(), -1);
    for (int c = 0; c < mapping.size(); ++c) {
        const int f = mapping.at(c);
        if (f < 0 || f >= m_fields.size())
            continue;
        if (columnOf[f] >= 0) {
            out.error = QStringLiteral("第 %1 列和第 %2 列都对应“%3”。").arg(columnOf[f] + 1).arg(c + 1).arg(m_fields.at(f).caption);
            return out;
        }
        columnOf[f] = c;
    }
    QStringList missing;
    for (int f = 0; f < m_fields.size(); ++f) {
        if (m_fields.at(f).required && columnOf[f] < 0)
            missing << m_fields.at(f).caption;
    }
    const int codeField = m_kind == ImportKind::OpeningBalances ? 0 : -1;
    const int descriptionField = m_kind == ImportKind::OpeningBalances ? 1 : -1;
    if (m_kind == ImportKind::OpeningBalances && columnOf[codeField] < 0 && columnOf[descriptionField] < 0)
        missing.prepend(QStringLiteral("代码或品名型号"));
    if (!missing.isEmpty()) {
        out.error = QStringLiteral("缺少必需的列：%1。").arg(missing.join(QStringLiteral("、")));
        return out;
    }

    // Names the file may use for rows of other tables, and the names already on file.
    QHash<int, QHash<QString, QVariant>> lookups;
    for (int f = 0; f < m_fields.size(); ++f) {
        const ImportField &field = m_fields.at(f);
        if (field.lookupTable.isEmpty() || columnOf[f] < 0)
            continue;
        QSqlQuery q = db.query(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                                   .arg(field.lookupKey, field.lookupName, field.lookupTable));
        QHash<QString, QVariant> names;
        if (q.exec()) {
            while (q.next()) {
                const QString name = q.value(1).toString().trimmed();
                if (!names.contains(name)) // the first of equal names, as a picker lists them
                    names.insert(name, q.value(0));
            }
        }
        lookups.insert(f, names);
    }
    const QString nameColumn = nameFieldOf(m_kind);
    int nameField = -1;
    QSet<QString> takenNames;
    for (int f = 0; f < m_fields.size() && !nameColumn.isEmpty(); ++f) {
        if (m_fields.at(f).name != nameColumn || columnOf[f] < 0)
            continue;
        nameField = f;
        QSqlQuery q = db.query(QStringLiteral("SELECT %1 FROM %2").arg(nameColumn, tableOf(m_kind)));
        if (q.exec()) {
            while (q.next())
                takenNames.insert(q.value(0).toString().trimmed());
        }
    }

    // Opening balances find their goods row in the whole view, whatever it is filtered by.
    const bool wasFiltered = ds.isFiltered();
    if (m_kind == ImportKind::OpeningBalances && wasFiltered)
        ds.setFiltered(false);
    RowMessages said;
    int good = 0;
    {
        Diverted diverted(m_base, &said);
        Transaction tx(db);
        if (!tx.isActive()) {
            out.error = isBusy(db.lastError()) ? busyText() : db.lastError().text();
        } else {
            for (const ImportRow &row : table.rows) {
                QStringList errors;
                auto cell = [&](int f) {
                    const int c = columnOf[f];
                    return c >= 0 && c < row.cells.size() ? row.cells.at(c).trimmed() : QString();
                };
                QList<QPair<QString, QVariant>> values;
                for (int f = 0; f < m_fields.size(); ++f) {
                    if (columnOf[f] < 0 || f == codeField || f == descriptionField)
                        continue;
                    const ImportField &field = m_fields.at(f);
                    const QString text = cell(f);
                    if (text.isEmpty()) {
                        if (field.required)
                            errors << QStringLiteral("%1不能为空。").arg(field.caption);
                        continue;
                    }
                    if (!field.lookupTable.isEmpty()) {
                        const QVariant key = lookups.value(f).value(text);
                        if (!key.isValid())
                            errors << QStringLiteral("%1“%2”不存在。").arg(field.caption, text);
                        else
                            values.append({field.target, key});
                        continue;
                    }
                    values.append({field.target, text});
                }
                if (nameField >= 0 && takenNames.contains(cell(nameField)))
                    errors << QStringLiteral("%1“%2”已经存在。").arg(m_fields.at(nameField).caption, cell(nameField));
                DatasetError e;
                if (errors.isEmpty() && m_kind == ImportKind::OpeningBalances) {
                    const QString code = cell(codeField);
                    const QString description = cell(descriptionField);
                    const bool found = !code.isEmpty() ? ds.locate(QStringLiteral("GoodID"), code.toLongLong())
                                                       : ds.locate(QStringLiteral("Description"), description);
                    if (code.isEmpty() && description.isEmpty())
                        errors << QStringLiteral("代码和品名型号不能都为空。");
                    else if (!found)
                        errors << QStringLiteral("产品“%1”不存在。").arg(code.isEmpty() ? description : code);
                    else
                        e = ds.edit();
                } else if (errors.isEmpty()) {
                    e = ds.append();
                }
                if (errors.isEmpty()) {
                    said.texts.clear();
                    for (const auto &[name, value] : std::as_const(values)) {
                        if (e.ok())
                            e = ds.setValue(name, value);
                    }
                    if (e.ok())
                        e = ds.post();
                    if (e.failed()) {
                        errors << said.texts;
                        if (errors.isEmpty())
                            errors << (e.message().isEmpty() ? QStringLiteral("不能保存。") : e.message());
                        if (ds.isEditing())
                            ds.cancel();
                    }
                }
                if (!errors.isEmpty()) {
                    out.errors.append({row.line, errors.join(QLatin1Char(' '))});
                    continue;
                }
                if (nameField >= 0)
                    takenNames.insert(cell(nameField));
                ++good;
            }
            if (write) {
                out.written = tx.commit();
                if (!out.written)
                    out.error = isBusy(db.lastError()) ? busyText() : db.lastError().text();
            } else {
                tx.rollback();
            }
            out.ok = out.error.isEmpty();
        }
    }
    if (m_kind == ImportKind::OpeningBalances && wasFiltered)
        ds.setFiltered(true);
    out.good = out.ok ? good : 0;
    // The lookups and stock views show what was written (or drop what a preview wrote).
    if (m_kind == ImportKind::Goods || m_kind == ImportKind::OpeningBalances) {
        if (m_base.lkGoods->isOpen())
            m_base.lkGoods->refresh();
        if (TabData *tab = m_base.tabData(); tab && tab->Goods->isOpen())
            tab->Goods->refresh();
    }
    return out;
}

} // namespace hemu
