#include "ui/masterdata/tfrmbaseinfo.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/kit/formbuilder.h"
#include "ui/masterdata/employeephoto.h"
#include "ui/masterdata/goodspage.h"
#include "ui/masterdata/masterpage.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/fieldbinders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hemu {

namespace {

QList<GridColumn> areaList()
{
    return {{.field = QStringLiteral("AreaName"), .width = 90}, {.field = QStringLiteral("AreaID"), .title = QStringLiteral("地区码"), .width = 50}};
}

/// The field's binder (FormBuilder hangs it on the editor).
FieldBinder *binderOf(QWidget *editor)
{
    return editor->findChild<FieldBinder *>(QString(), Qt::FindDirectChildrenOnly);
}

/// A lookup list in the fields inserts on Alt+Insert where the page says so; Enter in it
/// never posts.
void lookupKeys(QWidget *combo, bool insertOnAltInsert)
{
    FieldBinder *binder = binderOf(combo);
    binder->setPostOnEnter(false);
    binder->setInsertOnAltInsert(insertOnAltInsert);
}

} // namespace

TfrmBaseInfo::TfrmBaseInfo(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmBaseInfo"))
{
    setWindowTitle(QStringLiteral("资料"));
    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui.PageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { min-width: 70px; }"));
    ui.tsCatalogs = new GoodsPage(context, ui.PageControl1);
    ui.tsVendors = vendorsPage();
    ui.tsCustoms = customersPage();
    ui.tsEmployees = employeesPage();
    ui.tsDepartments = departmentsPage();
    ui.tsAreas = areasPage();
    const QList<QPair<QWidget *, QString>> pages{{ui.tsCatalogs, QStringLiteral("产品")},   {ui.tsVendors, QStringLiteral("供方")},
                                                 {ui.tsCustoms, QStringLiteral("客户")},    {ui.tsEmployees, QStringLiteral("员工")},
                                                 {ui.tsDepartments, QStringLiteral("部门")}, {ui.tsAreas, QStringLiteral("地区")}};
    for (const auto &[page, caption] : pages)
        ui.PageControl1->addTab(page, caption);
    ui.PageControl1->setCurrentIndex(0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(ui.PageControl1);
}

MasterPage *TfrmBaseInfo::vendorsPage()
{
    BaseData &b = base();
    auto *page = new MasterPage(
        {.objectName = QStringLiteral("tsVendors"),
         .dataset = b.Vendors,
         .gridName = QStringLiteral("GridVendor"),
         .columns = {{.field = QStringLiteral("VendorID"), .title = QStringLiteral("代码"), .width = 50, .readOnly = true},
                     {.field = QStringLiteral("VendorName"), .width = 160},
                     {.field = QStringLiteral("lkArea"), .title = QStringLiteral("地区"), .width = 70, .editor = GridColumn::Editor::Lookup},
                     {.field = QStringLiteral("Zip"), .width = 70},
                     {.field = QStringLiteral("Telephone"), .width = 100},
                     {.field = QStringLiteral("Fax"), .width = 100},
                     {.field = QStringLiteral("Preferred"), .width = 40},
                     {.field = QStringLiteral("Address"), .width = 200}},
         .navigatorName = QStringLiteral("DBNavigator7"),
         .fieldsBelow = true,
         .side = {.list = b.Areas, .gridName = QStringLiteral("DBGrid3"), .columns = areaList(), .boxName = QStringLiteral("CheckBox2"),
                  .field = QStringLiteral("AreaID"), .listKey = QStringLiteral("AreaID")},
         .print = {.buttonName = QStringLiteral("Button1"), .question = QStringLiteral("打印所有供货商信息吗?"),
                   .heading = QStringLiteral("供货方")}},
        prompter(), ui.PageControl1);
    FormBuilder left = page->form(0);
    QLineEdit *name = left.line(QStringLiteral("名称"), QStringLiteral("DBEdit24"), QStringLiteral("VendorName"));
    QCheckBox *preferred = new QCheckBox(QStringLiteral("优先"));
    preferred->setObjectName(QStringLiteral("DBCheckBox1"));
    new CheckBoxBinder(preferred, b.Vendors, QStringLiteral("Preferred"));
    left.beside(name, preferred);
    left.line(QStringLiteral("电话"), QStringLiteral("DBEdit28"), QStringLiteral("Telephone"));
    left.line(QStringLiteral("传真"), QStringLiteral("DBEdit29"), QStringLiteral("Fax"));
    FormBuilder right = page->form(1);
    right.line(QStringLiteral("邮政编码"), QStringLiteral("DBEdit27"), QStringLiteral("Zip"));
    lookupKeys(right.lookup(QStringLiteral("地区"), QStringLiteral("DBLookupComboBox3"), QStringLiteral("AreaID"), b.Areas,
                            QStringLiteral("AreaID"), QStringLiteral("AreaName")),
               true);
    right.line(QStringLiteral("地址"), QStringLiteral("DBEdit26"), QStringLiteral("Address"));
    page->setNameField(name);
    return page;
}

MasterPage *TfrmBaseInfo::customersPage()
{
    BaseData &b = base();
    auto *page = new MasterPage(
        {.objectName = QStringLiteral("tsCustoms"),
         .dataset = b.Custs,
         .gridName = QStringLiteral("GridCust"),
         .columns = {{.field = QStringLiteral("CustID"), .title = QStringLiteral("代码"), .width = 50, .readOnly = true},
                     {.field = QStringLiteral("CustName"), .width = 150},
                     {.field = QStringLiteral("lkArea"), .width = 70, .editor = GridColumn::Editor::Lookup},
                     {.field = QStringLiteral("Telephone"), .width = 100},
                     {.field = QStringLiteral("Fax"), .width = 90},
                     {.field = QStringLiteral("Manager"), .width = 60},
                     {.field = QStringLiteral("RegDate"), .width = 80},
                     {.field = QStringLiteral("Address"), .width = 200}},
         .navigatorName = QStringLiteral("DBNavigator6"),
         .side = {.list = b.Areas, .gridName = QStringLiteral("DBGrid1"), .columns = areaList(), .boxName = QStringLiteral("CheckBox3"),
                  .field = QStringLiteral("AreaID"), .listKey = QStringLiteral("AreaID")},
         .print = {.buttonName = QStringLiteral("Button2"), .question = QStringLiteral("打印所有客户信息吗？"),
                   .heading = QStringLiteral("客户信息")}},
        prompter(), ui.PageControl1);
    FormBuilder fields = page->form();
    lookupKeys(fields.lookup(QStringLiteral("地区"), QStringLiteral("DBLookupComboBox2"), QStringLiteral("AreaID"), b.Areas,
                             QStringLiteral("AreaID"), QStringLiteral("AreaName")),
               true);
    QLineEdit *name = fields.line(QStringLiteral("名称"), QStringLiteral("DBEdit14"), QStringLiteral("CustName"));
    fields.line(QStringLiteral("电话"), QStringLiteral("DBEdit20"), QStringLiteral("Telephone"));
    fields.line(QStringLiteral("传真"), QStringLiteral("DBEdit21"), QStringLiteral("Fax"));
    fields.line(QStringLiteral("负责人"), QStringLiteral("DBEdit22"), QStringLiteral("Manager"));
    fields.line(QStringLiteral("登记日期"), QStringLiteral("DBEdit23"), QStringLiteral("RegDate"));
    fields.line(QStringLiteral("地址："), QStringLiteral("DBEdit19"), QStringLiteral("Address"));
    page->setNameField(name);
    return page;
}

MasterPage *TfrmBaseInfo::employeesPage()
{
    BaseData &b = base();
    auto *page = new MasterPage(
        {.objectName = QStringLiteral("tsEmployees"),
         .dataset = b.Employees,
         .gridName = QStringLiteral("GridEmp"),
         .columns = {{.field = QStringLiteral("EmpID"), .width = 44, .readOnly = true},
                     {.field = QStringLiteral("Employee"), .width = 80},
                     {.field = QStringLiteral("Sex"), .width = 40, .editor = GridColumn::Editor::Choice,
                      .choices = choicesOf({QStringLiteral("男"), QStringLiteral("女")})},
                     {.field = QStringLiteral("Age"), .width = 40},
                     {.field = QStringLiteral("BirthDay"), .width = 80},
                     {.field = QStringLiteral("Telphone"), .width = 100},
                     {.field = QStringLiteral("Dept"), .width = 70, .editor = GridColumn::Editor::Lookup},
                     {.field = QStringLiteral("Address"), .width = 160}},
         .navigatorName = QStringLiteral("DBNavigator5"),
         .side = {.list = b.Depart, .gridName = QStringLiteral("DBGrid4"),
                  .columns = {{.field = QStringLiteral("Department"), .width = 80},
                              {.field = QStringLiteral("CustID"), .title = QStringLiteral("代码"), .width = 40},
                              {.field = QStringLiteral("Address"), .width = 60},
                              {.field = QStringLiteral("Telphone"), .width = 70},
                              {.field = QStringLiteral("Manager"), .width = 60}},
                  .boxName = QStringLiteral("CheckBox4"),
                  .field = QStringLiteral("DeptID"),
                  .listKey = QStringLiteral("CustID")},
         .print = {.buttonName = QStringLiteral("Button3"), .question = QStringLiteral("打印所有员工信息吗？"),
                   .heading = QStringLiteral("员工信息")}},
        prompter(), ui.PageControl1);
    FormBuilder fields = page->form();
    lookupKeys(fields.lookup(QStringLiteral("部门"), QStringLiteral("DBLookupComboBox1"), QStringLiteral("DeptID"), b.Depart,
                             QStringLiteral("CustID"), QStringLiteral("Department")),
               false);
    QLineEdit *name = fields.line(QStringLiteral("姓名"), QStringLiteral("DBEdit13"), QStringLiteral("Employee"));
    QComboBox *sex = fields.choice(QStringLiteral("性别"), QStringLiteral("DBComboBox1"), QStringLiteral("Sex"),
                                   choicesOf({QStringLiteral("男"), QStringLiteral("女")}));
    binderOf(sex)->setPostOnEnter(false);
    fields.line(QStringLiteral("年龄"), QStringLiteral("DBEdit15"), QStringLiteral("Age"));
    fields.line(QStringLiteral("生日"), QStringLiteral("DBEdit16"), QStringLiteral("BirthDay"));
    QLineEdit *address = fields.line(QStringLiteral("住址"), QStringLiteral("DBEdit17"), QStringLiteral("Address"));
    binderOf(address)->setPostOnEnter(false);
    fields.line(QStringLiteral("电话"), QStringLiteral("DBEdit18"), QStringLiteral("Telphone"));
    ui.DBImage2 = new EmployeePhoto(b.Employees, prompter(), context().files, page->fieldsArea());
    auto *fieldsLayout = static_cast<QVBoxLayout *>(page->fieldsArea()->layout());
    fieldsLayout->addWidget(ui.DBImage2, 0, Qt::AlignHCenter);
    fieldsLayout->addStretch(1);
    page->setNameField(name);
    return page;
}

MasterPage *TfrmBaseInfo::departmentsPage()
{
    auto *page = new MasterPage({.objectName = QStringLiteral("tsDepartments"),
                                 .dataset = base().Depart,
                                 .gridName = QStringLiteral("DepartGrid"),
                                 .columns = {{.field = QStringLiteral("CustID"), .title = QStringLiteral("代码"), .width = 50},
                                             {.field = QStringLiteral("Department"), .width = 120},
                                             {.field = QStringLiteral("Address"), .width = 120},
                                             {.field = QStringLiteral("Telphone"), .width = 100},
                                             {.field = QStringLiteral("Manager"), .width = 80}},
                                 .editable = false,
                                 .navigatorName = QStringLiteral("DBNavigator4")},
                                prompter(), ui.PageControl1);
    FormBuilder fields = page->form();
    QLineEdit *name = fields.line(QStringLiteral("部门名称"), QStringLiteral("DBEdit9"), QStringLiteral("Department"));
    fields.line(QStringLiteral("位置"), QStringLiteral("DBEdit10"), QStringLiteral("Address"));
    fields.line(QStringLiteral("电话"), QStringLiteral("DBEdit11"), QStringLiteral("Telphone"));
    fields.line(QStringLiteral("负责人"), QStringLiteral("DBEdit12"), QStringLiteral("Manager"));
    page->setNameField(name);
    return page;
}

MasterPage *TfrmBaseInfo::areasPage()
{
    auto *page = new MasterPage({.objectName = QStringLiteral("tsAreas"),
                                 .dataset = base().Areas,
                                 .gridName = QStringLiteral("AreasGrid"),
                                 .columns = {{.field = QStringLiteral("AreaID"), .title = QStringLiteral("代码"), .width = 50},
                                             {.field = QStringLiteral("AreaName"), .width = 160}},
                                 .editable = false,
                                 .navigatorName = QStringLiteral("DBNavigator3")},
                                prompter(), ui.PageControl1);
    FormBuilder fields = page->form();
    page->setNameField(fields.line(QStringLiteral("地区名称"), QStringLiteral("DBEdit7"), QStringLiteral("AreaName")));
    return page;
}

void TfrmBaseInfo::showEvent(QShowEvent *event)
{
    // The goods show the file as it is each time the window comes up: other programs may
    // have changed them, and so may the period operations. Rows nobody has written since
    // they were read are not read again.
    if (!event->spontaneous() && base().Goods->isOpen()) {
        ErrorReporter errors(this);
        errors.report(base().GoodAvgPrice->refreshIfChanged());
        errors.report(base().Goods->refreshIfChanged());
    }
    ChildWindow::showEvent(event);
    if (!event->spontaneous())
        centreOnMainWindow();
}

} // namespace hemu
