#pragma once

#include "ui/widgets/gridcolumn.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace hemu {

class Dataset;
class FieldBinder;

/**
 * Lays out labelled, data-bound fields one line of code each: the caption becomes the label,
 * the object name names the editor (tests and windows find it by that name), and the binder
 * ties it to the dataset's field.
 *
 *     FormBuilder form(this, base().Goods, new QFormLayout);
 *     ui.edName = form.line("品名型号", "edName", "Description");
 *     ui.cbCata = form.lookup("类别", "cbCata", "lkCata");
 *     ui.cbSex = form.choice("性别", "cbSex", "Sex", choicesOf({"男", "女"}));
 */
class FormBuilder
{
public:
    enum class Editor { Line, Label, Check, Date, Lookup, Choice };

    struct Row
    {
        QLabel *label = nullptr;
        QWidget *editor = nullptr;
        FieldBinder *binder = nullptr;
    };

    /// Rows go into `layout` (which is set on `owner` when it has no layout yet).
    FormBuilder(QWidget *owner, Dataset *dataset, QFormLayout *layout);

    QFormLayout *layout() const { return m_layout; }
    /// The dataset of the rows that follow.
    void setDataset(Dataset *dataset) { m_dataset = dataset; }

    /// One labelled field: `editor` decides the widget and binder (a Lookup names a lookup
    /// field; a Choice offers `choices`).
    Row add(const QString &caption, const QString &objectName, const QString &field, Editor editor,
            const Choices &choices = {});

    QLineEdit *line(const QString &caption, const QString &objectName, const QString &field);
    QLabel *label(const QString &caption, const QString &objectName, const QString &field);
    QCheckBox *check(const QString &caption, const QString &objectName, const QString &field);
    QDateEdit *date(const QString &caption, const QString &objectName, const QString &field);
    QComboBox *lookup(const QString &caption, const QString &objectName, const QString &lookupField);
    /// A drop-down over `lookupDataset` storing its `lookupKey` in the key field `field`.
    QComboBox *lookup(const QString &caption, const QString &objectName, const QString &field, Dataset *lookupDataset,
                      const QString &lookupKey, const QString &listField);
    QComboBox *choice(const QString &caption, const QString &objectName, const QString &field, const Choices &choices);

    /// Puts `extra` (a status text, a second editor, a button) to the right of `editor`, a
    /// field already laid out by this builder, on the same line.
    void beside(QWidget *editor, QWidget *extra);

    /// The label made for the editor called `objectName`: "lbl" + its name.
    static QString labelName(const QString &objectName) { return QStringLiteral("lbl") + objectName; }

private:
    Row place(const QString &caption, const QString &objectName, QWidget *editor, FieldBinder *binder);

    QWidget *m_owner;
    Dataset *m_dataset;
    QFormLayout *m_layout;
};

} // namespace hemu
