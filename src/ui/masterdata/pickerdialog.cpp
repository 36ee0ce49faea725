#include "ui/masterdata/pickerdialog.h"

#include "core/dataset/dataset.h"
#include "ui/widgets/arrowrelease.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/promptchannel.h"

#include <QHideEvent>
#include <QVBoxLayout>

namespace hemu {

PickerDialog::PickerDialog(AppContext &context, const QString &objectName, const QString &caption, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    PromptChannel::attach(this, &context.prompter);
    PromptChannel::attachFiles(this, &context.files);
}

PickerDialog::Result PickerDialog::pick()
{
    return Result(exec());
}

DataGrid *PickerDialog::makeList(const QString &objectName, Dataset *dataset, const QList<GridColumn> &columns)
{
    auto *grid = new DataGrid(this);
    grid->setObjectName(objectName);
    grid->setReadOnly(true);
    grid->setDoubleClickCommand(true);
    grid->setColumns(columns);
    grid->setDataset(dataset);
    return grid;
}

void PickerDialog::whenArrowReleased(QWidget *list, std::function<void()> act)
{
    hemu::whenArrowReleased(list, std::move(act));
}

void PickerDialog::pickRow(const QVariant &id, const QString &name)
{
    m_pickedId = id;
    m_pickedName = name;
    done(Ok);
}

void PickerDialog::pickCurrent()
{
    done(Ok);
}

void PickerDialog::pickAll()
{
    done(All);
}

Dataset *FillPicker::FillTarget() const
{
    return m_fillTarget;
}

void FillPicker::setFillTarget(Dataset *target)
{
    m_fillTarget = target;
}

void FillPicker::fillInto(Dataset &target)
{
    setFillTarget(&target);
    show();
    raise();
    activateWindow();
}

void FillPicker::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_fillTarget = nullptr;
    PickerDialog::hideEvent(event);
}

ListPicker::ListPicker(AppContext &context, const QString &objectName, const QString &caption, Dataset *dataset,
                       const QList<GridColumn> &columns, QWidget *parent)
    : PickerDialog(context, objectName, caption, parent)
    , m_list(makeList(QStringLiteral("DBGrid1"), dataset, columns))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_list);
    connect(m_list, &DataGrid::rowActivated, this, [this] {
        if (m_activation == Activation::DoubleClick)
            rowPicked();
    });
    connect(m_list, &DataGrid::clicked, this, [this] {
        if (m_activation == Activation::SingleClick)
            rowPicked();
    });
}

void ListPicker::setActivation(Activation activation)
{
    m_activation = activation;
}

void ListPicker::pickFields(const QString &idField, const QString &nameField)
{
    Dataset *dataset = m_list->dataset();
    if (!dataset || dataset->currentRow() < 0)
        return;
    pickRow(dataset->value(idField), nameField.isEmpty() ? QString() : dataset->value(nameField).toString());
}

} // namespace hemu
