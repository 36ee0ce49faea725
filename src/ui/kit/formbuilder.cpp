#include "ui/kit/formbuilder.h"

#include "core/dataset/dataset.h"
#include "ui/widgets/fieldbinders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace hemu {

FormBuilder::FormBuilder(QWidget *owner, Dataset *dataset, QFormLayout *layout)
    : m_owner(owner)
    , m_dataset(dataset)
    , m_layout(layout)
{
    if (owner && !owner->layout())
        owner->setLayout(layout);
}

FormBuilder::Row FormBuilder::place(const QString &caption, const QString &objectName, QWidget *editor,
                                    FieldBinder *binder)
{
    editor->setObjectName(objectName);
    const bool hasColon = caption.endsWith(QLatin1Char(':')) || caption.endsWith(QChar(0xFF1A));
    auto *label = new QLabel(hasColon ? caption : caption + QChar(0xFF1A), m_owner);
    label->setObjectName(labelName(objectName));
    label->setBuddy(editor);
    m_layout->addRow(label, editor);
    return {label, editor, binder};
}

FormBuilder::Row FormBuilder::add(const QString &caption, const QString &objectName, const QString &field, Editor editor,
                                  const Choices &choices)
{
    switch (editor) {
    case Editor::Line: {
        auto *edit = new QLineEdit(m_owner);
        return place(caption, objectName, edit, new LineEditBinder(edit, m_dataset, field));
    }
    case Editor::Label: {
        auto *shown = new QLabel(m_owner);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return place(caption, objectName, shown, new LabelBinder(shown, m_dataset, field));
    }
    case Editor::Check: {
        auto *box = new QCheckBox(m_owner);
        return place(caption, objectName, box, new CheckBoxBinder(box, m_dataset, field));
    }
    case Editor::Date: {
        auto *edit = new QDateEdit(m_owner);
        return place(caption, objectName, edit, new DateEditBinder(edit, m_dataset, field));
    }
    case Editor::Lookup: {
        auto *combo = new QComboBox(m_owner);
        return place(caption, objectName, combo, new LookupComboBinder(combo, m_dataset, field));
    }
    case Editor::Choice: {
        auto *combo = new QComboBox(m_owner);
        return place(caption, objectName, combo, new ChoiceComboBinder(combo, m_dataset, field, choices));
    }
    }
    return {};
}

QLineEdit *FormBuilder::line(const QString &caption, const QString &objectName, const QString &field)
{
    return static_cast<QLineEdit *>(add(caption, objectName, field, Editor::Line).editor);
}

QLabel *FormBuilder::label(const QString &caption, const QString &objectName, const QString &field)
{
    return static_cast<QLabel *>(add(caption, objectName, field, Editor::Label).editor);
}

QCheckBox *FormBuilder::check(const QString &caption, const QString &objectName, const QString &field)
{
    return static_cast<QCheckBox *>(add(caption, objectName, field, Editor::Check).editor);
}

QDateEdit *FormBuilder::date(const QString &caption, const QString &objectName, const QString &field)
{
    return static_cast<QDateEdit *>(add(caption, objectName, field, Editor::Date).editor);
}

QComboBox *FormBuilder::lookup(const QString &caption, const QString &objectName, const QString &lookupField)
{
    return static_cast<QComboBox *>(add(caption, objectName, lookupField, Editor::Lookup).editor);
}

QComboBox *FormBuilder::lookup(const QString &caption, const QString &objectName, const QString &field,
                               Dataset *lookupDataset, const QString &lookupKey, const QString &listField)
{
    auto *combo = new QComboBox(m_owner);
    place(caption, objectName, combo, new LookupComboBinder(combo, m_dataset, field, lookupDataset, lookupKey, listField));
    return combo;
}

QComboBox *FormBuilder::choice(const QString &caption, const QString &objectName, const QString &field,
                               const Choices &choices)
{
    return static_cast<QComboBox *>(add(caption, objectName, field, Editor::Choice, choices).editor);
}

void FormBuilder::beside(QWidget *editor, QWidget *extra)
{
    extra->setParent(m_owner);
    // A second thing beside the same editor joins the line the first one made.
    for (int row = 0; row < m_layout->rowCount(); ++row) {
        QLayoutItem *field = m_layout->itemAt(row, QFormLayout::FieldRole);
        if (auto *line = qobject_cast<QHBoxLayout *>(field ? field->layout() : nullptr); line && line->indexOf(editor) >= 0) {
            line->addWidget(extra);
            return;
        }
    }
    int row = -1;
    QFormLayout::ItemRole role;
    m_layout->getWidgetPosition(editor, &row, &role);
    if (row < 0 || role != QFormLayout::FieldRole)
        return;
    // The editor's cell becomes a line of its own: the editor, then what goes beside it.
    m_layout->removeWidget(editor);
    auto *line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(editor, 1);
    line->addWidget(extra);
    m_layout->setLayout(row, QFormLayout::FieldRole, line);
}

} // namespace hemu
