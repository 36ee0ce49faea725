#include "ui/masterdata/masterpage.h"

#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/arrowrelease.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/gridactions.h"
#include "ui/widgets/navigator.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

MasterPage::MasterPage(const Setup &setup, Prompter &prompter, QWidget *parent)
    : QWidget(parent)
    , m_dataset(setup.dataset)
    , m_prompter(prompter)
    , m_printSetup(setup.print)
{
    setObjectName(setup.objectName);
    m_grid = new DataGrid(this);
    m_grid->setObjectName(setup.gridName);
    m_grid->setReadOnly(!setup.editable);
    m_grid->setColumns(setup.columns);
    m_grid->setDataset(m_dataset);

    m_navigator = new Navigator(this);
    m_navigator->setObjectName(setup.navigatorName);
    m_navigator->setDataset(m_dataset);
    // A new row is typed name first.
    m_navigator->beforeAction = [this](Navigator::Button which) {
        if (which == Navigator::Insert && m_nameField)
            m_nameField->setFocus();
        return true;
    };

    m_fields = new QWidget(this);
    m_fields->setObjectName(setup.objectName + QStringLiteral("Fields"));
    auto *fieldColumns = new QHBoxLayout;
    fieldColumns->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < (setup.fieldsBelow ? 2 : 1); ++i) {
        auto *form = new QFormLayout;
        form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        fieldColumns->addLayout(form, 1);
        m_forms << form;
    }
    auto *fieldsLayout = new QVBoxLayout(m_fields);
    fieldsLayout->setContentsMargins(6, 0, 0, 0);
    fieldsLayout->addLayout(fieldColumns);

    if (!setup.print.buttonName.isEmpty()) {
        m_print = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("打印"), this);
        m_print->setObjectName(setup.print.buttonName);
        connect(m_print, &QPushButton::clicked, this, &MasterPage::printGrid);
    }

    auto *main = new QVBoxLayout;
    main->setContentsMargins(0, 0, 0, 0);
    auto *centre = new QHBoxLayout;
    centre->addWidget(m_grid, 1);
    if (setup.fieldsBelow) {
        main->addLayout(centre, 1);
        main->addWidget(m_fields);
    } else {
        m_fields->setFixedWidth(300);
        centre->addWidget(m_fields);
        main->addLayout(centre, 1);
    }
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_navigator);
    bottom->addStretch(1);
    if (m_print)
        bottom->addWidget(m_print);
    main->addLayout(bottom);

    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    if (setup.side.list) {
        const Side &side = setup.side;
        m_sideList = new DataGrid(this);
        m_sideList->setObjectName(side.gridName);
        m_sideList->setReadOnly(true);
        m_sideList->setColumns(side.columns);
        m_sideList->setDataset(side.list);
        m_filterBox = new QCheckBox(QStringLiteral("过滤"), this);
        m_filterBox->setObjectName(side.boxName);
        m_filter = std::make_unique<ListFilter>(ListFilter::Kind::Party, *m_dataset, side.field, *side.list, side.listKey);
        auto chosen = [this] { ErrorReporter(this).report(m_filter->listChosen(m_filterBox->isChecked())); };
        connect(m_sideList, &DataGrid::clicked, this, chosen);
        whenArrowReleased(m_sideList, chosen);
        connect(m_filterBox, &QCheckBox::toggled, this,
                [this](bool on) { ErrorReporter(this).report(m_filter->boxToggled(on)); });
        auto *left = new QVBoxLayout;
        left->addWidget(m_filterBox);
        left->addWidget(m_sideList, 1);
        int width = 0;
        for (const GridColumn &column : side.columns)
            width += column.width;
        // A long list of columns scrolls rather than squeezing the page's own grid.
        m_sideList->setFixedWidth(qMin(width + 24, 230));
        page->addLayout(left);
    }
    page->addLayout(main, 1);
}

MasterPage::~MasterPage() = default;

FormBuilder MasterPage::form(int column)
{
    return FormBuilder(m_fields, m_dataset, m_forms.value(column, m_forms.first()));
}

void MasterPage::setNameField(QLineEdit *name)
{
    m_nameField = name;
}

void MasterPage::printGrid()
{
    if (!m_prompter.question(m_printSetup.question))
        return;
    m_grid->setPrintTitle(m_printSetup.heading);
    m_grid->gridActions()->preview();
}

} // namespace hemu
