#include "ui/analysis/tfrmsearchtabs.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/format/datetext.h"
#include "core/prompter.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/masterdata/tfrmpickemps.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/promptchannel.h"

#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hemu {

namespace {

/// Six digits at most; blanks where none was typed.
QLineEdit *codeField(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setInputMask(QStringLiteral("000000; "));
    edit->setToolTip(QStringLiteral("可在此代码输入框内输入代码并按ENTER键"));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    return edit;
}

QLineEdit *nameField(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    // Grey: only the white boxes take typing.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("商品名称型号规格说明")));
    return edit;
}

QPushButton *criterionButton(const QString &text, QWidget *parent, const char *name)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

/// Where a code field finds its name: the dataset, its key and name fields, the warning.
struct CodeLookup
{
    Dataset *dataset;
    const char *key;
    const char *name;
    QString unknown;
};

} // namespace

TfrmSearchTabs::TfrmSearchTabs(AppContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmSearchTabs"));
    setWindowTitle(QStringLiteral("检索单据"));
    setModal(false);
    PromptChannel::attach(this, &context.prompter);

    ui.Label5 = new QLabel(QStringLiteral("输入检索条件"), this);
    ui.Label5->setObjectName(QStringLiteral("Label5"));
    QFont bold = ui.Label5->font();
    bold.setBold(true);
    ui.Label5->setFont(bold);
    ui.SpeedButton1 = criterionButton(QStringLiteral("单据日期"), this, "SpeedButton1");
    ui.EdDate = new QLineEdit(this);
    ui.EdDate->setObjectName(QStringLiteral("EdDate"));
    ui.EdDate->setMaxLength(19);
    ui.SpeedButton2 = criterionButton(QStringLiteral("品名型号"), this, "SpeedButton2");
    ui.EdGood = codeField(this, "EdGood");
    ui.Edit1 = nameField(this, "Edit1");
    ui.SpeedButton3 = criterionButton(QStringLiteral("客户/供货"), this, "SpeedButton3");
    ui.EdCust = codeField(this, "EdCust");
    ui.Edit2 = nameField(this, "Edit2");
    ui.SpeedButton4 = criterionButton(QStringLiteral("经办人"), this, "SpeedButton4");
    ui.EdEmp = codeField(this, "EdEmp");
    ui.Edit3 = nameField(this, "Edit3");
    ui.Label6 = new QLabel(QStringLiteral("(白色框内可直接输入代码)"), this);
    ui.Label6->setObjectName(QStringLiteral("Label6"));
    ui.Button2 = criterionButton(QStringLiteral("清空条件"), this, "Button2");
    ui.SpeedButton5 = criterionButton(QStringLiteral("查找"), this, "SpeedButton5");
    ui.SpeedButton5->setToolTip(QStringLiteral("执行查找"));
    ui.pmSwitch = new QMenu(this);
    ui.pmSwitch->setObjectName(QStringLiteral("pmSwitch"));
    ui.N1 = ui.pmSwitch->addAction(QStringLiteral("供货方"));
    ui.N1->setObjectName(QStringLiteral("N1"));
    ui.N2 = ui.pmSwitch->addAction(QStringLiteral("客  户"));
    ui.N2->setObjectName(QStringLiteral("N2"));

    auto *grid = new QGridLayout;
    grid->addWidget(ui.SpeedButton1, 0, 0);
    grid->addWidget(ui.EdDate, 0, 1, 1, 2);
    const struct
    {
        QPushButton *button;
        QLineEdit *code;
        QLineEdit *name;
    } rows[] = {{ui.SpeedButton2, ui.EdGood, ui.Edit1}, {ui.SpeedButton3, ui.EdCust, ui.Edit2}, {ui.SpeedButton4, ui.EdEmp, ui.Edit3}};
    int row = 1;
    for (const auto &r : rows) {
        grid->addWidget(r.button, row, 0);
        grid->addWidget(r.code, row, 1);
        grid->addWidget(r.name, row, 2);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ui.Label6);
    buttons->addStretch();
    buttons->addWidget(ui.Button2);
    buttons->addWidget(ui.SpeedButton5);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui.Label5);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmSearchTabs::pickDate);
    connect(ui.SpeedButton2, &QPushButton::clicked, this, &TfrmSearchTabs::pickGoods);
    connect(ui.SpeedButton3, &QPushButton::clicked, this, [this] { ui.pmSwitch->popup(QCursor::pos()); });
    connect(ui.N1, &QAction::triggered, this, &TfrmSearchTabs::pickVendor);
    connect(ui.N2, &QAction::triggered, this, &TfrmSearchTabs::pickCustomer);
    connect(ui.SpeedButton4, &QPushButton::clicked, this, &TfrmSearchTabs::pickPerson);
    connect(ui.EdGood, &QLineEdit::returnPressed, this, &TfrmSearchTabs::goodsEntered);
    connect(ui.EdCust, &QLineEdit::returnPressed, this, &TfrmSearchTabs::customerEntered);
    connect(ui.EdEmp, &QLineEdit::returnPressed, this, &TfrmSearchTabs::personEntered);
    connect(ui.Button2, &QPushButton::clicked, this, &TfrmSearchTabs::clearCriteria);
    connect(ui.SpeedButton5, &QPushButton::clicked, this, &TfrmSearchTabs::search);
}

void TfrmSearchTabs::showWindow()
{
    show();
    raise();
    activateWindow();
}

void TfrmSearchTabs::clearCriteria()
{
    for (QLineEdit *edit : {ui.EdDate, ui.EdGood, ui.EdCust, ui.EdEmp, ui.Edit1, ui.Edit2, ui.Edit3})
        edit->clear();
}

BillSearch::Criteria TfrmSearchTabs::criteria() const
{
    return {ui.EdDate->text(), ui.EdGood->text(), ui.EdCust->text(), ui.EdEmp->text()};
}

bool TfrmSearchTabs::searchFor(const BillSearch::Criteria &criteria)
{
    clearCriteria();
    ui.EdDate->setText(criteria.date);
    ui.EdGood->setText(criteria.goods.trimmed());
    ui.EdCust->setText(criteria.party.trimmed());
    ui.EdEmp->setText(criteria.person.trimmed());
    lookUpName(ui.EdGood, ui.Edit1, false);
    lookUpName(ui.EdCust, ui.Edit2, false);
    lookUpName(ui.EdEmp, ui.Edit3, false);
    return search();
}

bool TfrmSearchTabs::search()
{
    TabData &tab = m_context.tab;
    const BillSearch::Outcome outcome = BillSearch::run(m_context.base.MyADOCnn(), {tab.RuKu, tab.DiaoBo, tab.ChuKu}, criteria());
    if (!outcome.error.isEmpty())
        m_context.prompter.warning(outcome.error);
    for (const QString &failure : outcome.failures)
        m_context.prompter.message(failure);
    return outcome.searched;
}

void TfrmSearchTabs::pickDate()
{
    if (!m_context.pickers)
        return;
    TfrmPickDate *picker = m_context.pickers->frmPickDate;
    if (picker->pick() == PickerDialog::Ok)
        ui.EdDate->setText(shortDateText(picker->PickedDate()));
}

void TfrmSearchTabs::pickGoods()
{
    if (!m_context.pickers)
        return;
    TfrmPickGoods *picker = m_context.pickers->frmPickGoods;
    picker->setFillTarget(nullptr); // a plain pick, never lines for a bill
    if (picker->pick() != PickerDialog::Ok)
        return;
    Dataset *goods = m_context.base.lkGoods;
    ui.EdGood->setText(goods->fieldByName(QStringLiteral("GoodID")).asString());
    ui.Edit1->setText(goods->fieldByName(QStringLiteral("Description")).asString());
}

void TfrmSearchTabs::pickVendor()
{
    if (m_context.pickers && m_context.pickers->frmPickVendor->pick() == PickerDialog::Ok) {
        ui.EdCust->setText(m_context.pickers->frmPickVendor->PickedID().toString());
        ui.Edit2->setText(m_context.pickers->frmPickVendor->PickedName());
    }
}

void TfrmSearchTabs::pickCustomer()
{
    if (m_context.pickers && m_context.pickers->frmPickCusts->pick() == PickerDialog::Ok) {
        ui.EdCust->setText(m_context.pickers->frmPickCusts->PickedID().toString());
        ui.Edit2->setText(m_context.pickers->frmPickCusts->PickedName());
    }
}

void TfrmSearchTabs::pickPerson()
{
    if (m_context.pickers && m_context.pickers->frmPickEmps->pick() == PickerDialog::Ok) {
        ui.EdEmp->setText(m_context.pickers->frmPickEmps->PickedID().toString());
        ui.Edit3->setText(m_context.pickers->frmPickEmps->PickedName());
    }
}

void TfrmSearchTabs::goodsEntered()
{
    lookUpName(ui.EdGood, ui.Edit1, true);
}

void TfrmSearchTabs::customerEntered()
{
    lookUpName(ui.EdCust, ui.Edit2, true);
}

void TfrmSearchTabs::personEntered()
{
    lookUpName(ui.EdEmp, ui.Edit3, true);
}

bool TfrmSearchTabs::lookUpName(QLineEdit *code, QLineEdit *name, bool warn)
{
    BaseData &base = m_context.base;
    const CodeLookup lookup = code == ui.EdGood ? CodeLookup{base.lkGoods, "GoodID", "Description", BillSearch::unknownGoodsText()}
                              : code == ui.EdCust ? CodeLookup{base.Custs, "CustID", "CustName", BillSearch::unknownCustomerText()}
                                                  : CodeLookup{base.Employees, "EmpID", "Employee", BillSearch::unknownCodeText()};
    const QString text = code->text().trimmed();
    // Nothing typed is no code: the name goes with it, and there is nothing to warn about.
    if (text.isEmpty()) {
        name->clear();
        return true;
    }
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    // The lookup ignores the list's filter and leaves its cursor where it is.
    const QVariant found = ok ? lookup.dataset->lookup({QString::fromLatin1(lookup.key)}, {id}, QString::fromLatin1(lookup.name))
                              : QVariant();
    if (found.isNull()) {
        if (warn)
            m_context.prompter.warning(lookup.unknown);
        return false;
    }
    name->setText(found.toString());
    return true;
}

void TfrmSearchTabs::reject()
{
    if (!m_context.prompter.question(QStringLiteral("检索被释放，确定吗？")))
        return;
    releaseSearch();
    QDialog::reject();
}

void TfrmSearchTabs::releaseSearch()
{
    TabData &tab = m_context.tab;
    // Bill entry stays on the bill of the page it shows.
    Dataset *shown = nullptr;
    if (QWidget *bills = m_context.main.findChild<QWidget *>(QStringLiteral("frmBusiness"))) {
        if (auto *pages = bills->findChild<QTabWidget *>(QStringLiteral("PageControl1"))) {
            const QList<Dataset *> headers = {tab.RuKu, tab.DiaoBo, tab.ChuKu};
            shown = headers.value(pages->currentIndex());
        }
    }
    const qint64 rowid = shown ? shown->currentRowid() : 0;
    tab.ShowAllBills();
    if (shown && rowid > 0)
        shown->locateRowid(rowid);
}

} // namespace hemu
