#include "ui/masterdata/partypicker.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

PartyPicker::PartyPicker(AppContext &context, const QString &objectName, PartyList::Party party, const Texts &texts,
                         QWidget *parent)
    : PickerDialog(context, objectName, texts.caption, parent)
    , m_list(party)
    , m_query(new QueryDataset(context.base.MyADOCnn(), QStringLiteral("ADOQry"), m_list.sql(), this))
{
    // Closing the account set closes the picker's list with the shared ones.
    base().registry().attach(m_query);

    ui.DBGrid2 = makeList(QStringLiteral("DBGrid2"), base().Areas,
                          {{.field = QStringLiteral("AreaID"), .title = QStringLiteral("地区码"), .width = 56},
                           {.field = QStringLiteral("AreaName"), .title = QStringLiteral("地区"), .width = 110}});
    ui.DBGrid2->setFixedWidth(190);
    // The names get the room; the codes are short.
    QList<GridColumn> columns;
    for (const QString &column : m_list.columns())
        columns.append({.field = column, .width = column == m_list.nameColumn() ? 240 : 60});
    ui.DBGrid1 = makeList(QStringLiteral("DBGrid1"), m_query, columns);
    ui.Panel1 = new QLabel(texts.searchCaption, this);
    ui.Panel1->setObjectName(QStringLiteral("Panel1"));
    ui.Edit1 = new QLineEdit(this);
    ui.Edit1->setObjectName(QStringLiteral("Edit1"));
    ui.Edit1->setToolTip(texts.searchHint);
    ui.spSearch = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("检索"), this);
    ui.spSearch->setObjectName(QStringLiteral("spSearch"));
    ui.spSearch->setToolTip(texts.buttonHint);
    ui.spSearch->setAutoDefault(false);
    ui.CheckBox1 = new QCheckBox(QStringLiteral("筛选"), this);
    ui.CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    connect(ui.spSearch, &QPushButton::clicked, this, &PartyPicker::search);
    connect(ui.Edit1, &QLineEdit::returnPressed, this, &PartyPicker::search);
    connect(ui.CheckBox1, &QCheckBox::toggled, this, &PartyPicker::filterToggled);
    connect(ui.DBGrid2, &DataGrid::clicked, this, &PartyPicker::areaChosen);
    whenArrowReleased(ui.DBGrid2, [this] { areaChosen(); });
    connect(ui.DBGrid1, &DataGrid::rowActivated, this, [this] {
        if (m_query->currentRow() >= 0)
            pickRow(m_query->value(m_list.idColumn()), m_query->value(m_list.nameColumn()).toString());
    });

    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.Panel1);
    bar->addWidget(ui.Edit1, 1);
    bar->addWidget(ui.spSearch);
    bar->addWidget(ui.CheckBox1);
    auto *right = new QVBoxLayout;
    right->addLayout(bar);
    right->addWidget(ui.DBGrid1, 1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.DBGrid2);
    layout->addLayout(right, 1);
    // Enter in the search box searches; it never ends the dialog.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    resize(620, 420);
}

PartyPicker::~PartyPicker()
{
    base().registry().detach(m_query);
}

Dataset &PartyPicker::ADOQry() const
{
    return *m_query;
}

void PartyPicker::search()
{
    if (m_list.search(ui.Edit1->text()))
        reopenList();
}

void PartyPicker::reopenList()
{
    const DatasetError opened = m_list.reopen(*m_query);
    if (opened.failed())
        ErrorReporter(this).report(opened);
}

void PartyPicker::areaChosen()
{
    if (!ui.CheckBox1->isChecked() || base().Areas->currentRow() < 0)
        return;
    m_list.showArea(base().Areas->value(QStringLiteral("AreaID")));
    reopenList();
}

void PartyPicker::filterToggled(bool on)
{
    if (on)
        return;
    m_list.showAll();
    reopenList();
}

} // namespace hemu
