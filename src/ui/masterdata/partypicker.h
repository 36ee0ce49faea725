#pragma once

#include "core/masterdata/partylist.h"
#include "ui/masterdata/pickerdialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hemu {

class QueryDataset;

/**
 * The customer and vendor pickers: areas at the left, a search bar, and the parties of a
 * list of the picker's own (PartyList) that shows all of them, a name search or, while
 * "筛选" is checked, the area clicked. A double-click on a party picks its code and name.
 */
class PartyPicker : public PickerDialog
{
    Q_OBJECT
public:
    ~PartyPicker() override;

    /// The picker's own list of parties.
    Dataset &ADOQry() const;
    /// Lists the parties whose name contains the search box's text (nothing for an empty one).
    void search();

protected:
    struct Texts
    {
        QString caption = {};
        QString searchCaption = {};
        QString searchHint = {}; ///< tooltip of the search box; empty for none
        QString buttonHint = {}; ///< tooltip of "检索"; empty for none
    };
    PartyPicker(AppContext &context, const QString &objectName, PartyList::Party party, const Texts &texts,
                QWidget *parent);

    /// Shows the list on the statement the picker holds.
    void reopenList();
    PartyList &partyList() { return m_list; }

    struct
    {
        QLabel *Panel1 = nullptr;
        QLineEdit *Edit1 = nullptr;
        QPushButton *spSearch = nullptr;
        QCheckBox *CheckBox1 = nullptr;
        DataGrid *DBGrid1 = nullptr;
        DataGrid *DBGrid2 = nullptr;
    } ui;

private:
    /// A click on an area, or an arrow key released in the area list.
    void areaChosen();
    void filterToggled(bool on);

    PartyList m_list;
    QueryDataset *m_query;
};

} // namespace hemu
