#pragma once

#include "ui/kit/childwindow.h"

class QTabWidget;

namespace hemu {

class EmployeePhoto;
class GoodsPage;
class MasterPage;

/**
 * "资料": every master list of the open account set on six pages (goods and categories,
 * vendors, customers, employees, departments, areas). The window holds no data of its own:
 * its grids, fields and navigators are over the shared datasets of BaseData, whose rules
 * guard what is changed here.
 */
class TfrmBaseInfo : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmBaseInfo(AppContext &context);

    /// Room for the goods grid's fourteen columns.
    QSize sizeHint() const override { return {980, 560}; }

    struct
    {
        QTabWidget *PageControl1 = nullptr;
        GoodsPage *tsCatalogs = nullptr;
        MasterPage *tsVendors = nullptr;
        MasterPage *tsCustoms = nullptr;
        MasterPage *tsEmployees = nullptr;
        MasterPage *tsDepartments = nullptr;
        MasterPage *tsAreas = nullptr;
        EmployeePhoto *DBImage2 = nullptr;
    } ui;

protected:
    void showEvent(QShowEvent *event) override;

private:
    MasterPage *vendorsPage();
    MasterPage *customersPage();
    MasterPage *employeesPage();
    MasterPage *departmentsPage();
    MasterPage *areasPage();
};

} // namespace hemu
