#pragma once

#include "core/masterdata/listfilter.h"
#include "ui/widgets/gridcolumn.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QPushButton;

namespace hemu {

class DataGrid;
class Dataset;
class FormBuilder;
class Navigator;
class Prompter;

/**
 * One page of the base-information window over a master dataset that is edited in place:
 * its grid, edit fields beside or below it, a navigator, and where the page has them a list
 * at the left with its "过滤" box (ListFilter) and a "打印" button printing the grid.
 */
class MasterPage : public QWidget
{
    Q_OBJECT
public:
    /// The list at the left that filters the page's dataset.
    struct Side
    {
        Dataset *list = nullptr;
        QString gridName = {};
        QList<GridColumn> columns = {};
        QString boxName = {};  ///< the "过滤" box
        QString field = {};    ///< the field of the page's dataset it filters
        QString listKey = {};  ///< the list's field the filter takes
    };
    /// "打印": a question, then the grid in the print preview under one heading line.
    struct Print
    {
        QString buttonName = {};
        QString question = {};
        QString heading = {};
    };
    struct Setup
    {
        QString objectName;
        Dataset *dataset = nullptr;
        QString gridName = {};
        QList<GridColumn> columns = {};
        bool editable = true;
        QString navigatorName = {};
        bool fieldsBelow = false; ///< fields under the grid (else at its right)
        Side side = {};           ///< none while `side.list` is null
        Print print = {};         ///< none while `print.buttonName` is empty
    };

    MasterPage(const Setup &setup, Prompter &prompter, QWidget *parent = nullptr);
    ~MasterPage() override;

    Dataset *dataset() const { return m_dataset; }
    DataGrid *grid() const { return m_grid; }
    Navigator *navigator() const { return m_navigator; }
    DataGrid *sideList() const { return m_sideList; }
    QCheckBox *filterBox() const { return m_filterBox; }
    QPushButton *printButton() const { return m_print; }

    /// The fields of column `column` (0, or 1 for a second column of fields below the grid).
    FormBuilder form(int column = 0);
    /// The box under the fields, for what a page shows besides them (the employee's photo).
    QWidget *fieldsArea() const { return m_fields; }
    /// The field that gets the keyboard before the navigator's "添加" acts.
    void setNameField(QLineEdit *name);

    /// "打印": asks, then shows the grid's printout.
    void printGrid();

private:
    Dataset *m_dataset;
    Prompter &m_prompter;
    Print m_printSetup;
    DataGrid *m_grid = nullptr;
    Navigator *m_navigator = nullptr;
    DataGrid *m_sideList = nullptr;
    QCheckBox *m_filterBox = nullptr;
    QPushButton *m_print = nullptr;
    QWidget *m_fields = nullptr;
    QList<QFormLayout *> m_forms;
    QLineEdit *m_nameField = nullptr;
    std::unique_ptr<ListFilter> m_filter;
};

} // namespace hemu
