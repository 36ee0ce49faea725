#include "ui/masterdata/editordialog.h"

#include "core/dataset/dataset.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"
#include "ui/widgets/promptchannel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

EditorDialog::EditorDialog(AppContext &context, const QString &objectName, const QString &caption, Dataset *dataset,
                           QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_dataset(dataset)
    , m_body(new QVBoxLayout)
    , m_save(new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("保存"), this))
    , m_cancel(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), this))
{
    setObjectName(objectName);
    setWindowTitle(caption);
    // The system menu only: no help button, no resizing grip of its own.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    PromptChannel::attach(this, &context.prompter);
    PromptChannel::attachFiles(this, &context.files);
    m_save->setObjectName(QStringLiteral("btnSave"));
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter in a field posts through the field; it never ends the dialog by itself.
    m_save->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &EditorDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &EditorDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_body, 1);
    layout->addLayout(buttons);
}

FormBuilder EditorDialog::form(QFormLayout *layout)
{
    layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_body->addLayout(layout);
    return FormBuilder(this, m_dataset, layout);
}

Navigator *EditorDialog::addNavigator(int buttons)
{
    auto *navigator = new Navigator(this);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    navigator->setDataset(m_dataset);
    navigator->setVisibleButtons(Navigator::Buttons::fromInt(buttons));
    m_body->addWidget(navigator);
    return navigator;
}

EditorDialog::Result EditorDialog::editRow(Start start)
{
    Dataset *ds = m_dataset;
    ErrorReporter errors(this);
    if (start == Start::Append && !errors.report(ds->append()))
        return Cancel;
    const Bookmark mark = start == Start::Edit ? ds->bookmark() : Bookmark();
    const Result result = Result(exec());
    // The dialog posted on OK; whatever is still pending was not meant to be kept.
    if (ds->isEditing())
        ds->cancel();
    if (mark.isValid() && ds->bookmarkValid(mark))
        ds->gotoBookmark(mark);
    return result;
}

void EditorDialog::accept()
{
    Dataset *ds = m_dataset;
    if (ds && ds->isEditing()) {
        FieldBinder::commitPending(ds);
        ErrorReporter errors(this);
        if (!errors.report(ds->post()) && ds->isEditing())
            return;
    }
    QDialog::accept();
}

void EditorDialog::reject()
{
    if (m_dataset && m_dataset->isEditing())
        m_dataset->cancel();
    QDialog::reject();
}

} // namespace hemu
