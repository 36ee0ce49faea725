#pragma once

// Field binders: small objects that tie an ordinary widget to one field of a dataset's
// current row. Each binder is a child of its widget and goes with it.
//
//   new LineEditBinder(ui.edName, goods, "Description");
//   new LookupComboBinder(ui.cbCata, goods, "lkCata");      // lists Cata.Catalog, stores CataID
//   auto *picture = new ImageBinder(ui.lbPicture, cata, "Picture");
//   picture->loadFromFile(path);
//
// The widget shows the current row's value and follows scrolls, edits and state changes.
// A change made in the widget starts an edit when the dataset is browsing and assigns the
// field; Enter in the widget posts the pending row and Alt+Insert starts a new one (each
// can be switched off per binder). The widget is read-only while the field, the dataset or
// the binder is, and while there is no row to change.

#include "ui/widgets/errorreporter.h"
#include "ui/widgets/gridcolumn.h"

#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QVariant>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;

namespace hemu {

class Dataset;
class Field;
class LookupList;

/** What every field binder shares: the dataset link, assignments and error reporting. */
class FieldBinder : public QObject
{
    Q_OBJECT
public:
    FieldBinder(QWidget *widget, Dataset *dataset, const QString &fieldName);
    ~FieldBinder() override;

    Dataset *dataset() const { return m_dataset; }
    QString fieldName() const { return m_fieldName; }
    /// The bound field; nullptr while the dataset has no such field.
    Field *field() const;
    QWidget *widget() const { return m_widget; }

    /// Keeps the widget read-only whatever the dataset allows.
    void setReadOnly(bool readOnly);
    /// Enter in the widget posts the pending row (default on).
    void setPostOnEnter(bool on) { m_postOnEnter = on; }
    bool postsOnEnter() const { return m_postOnEnter; }
    /// Alt+Insert in the widget starts a new row (default on).
    void setInsertOnAltInsert(bool on) { m_insertOnAltInsert = on; }
    bool insertsOnAltInsert() const { return m_insertOnAltInsert; }
    /// The widget may change the field now.
    bool canModify() const;

    /// Makes every binder of `dataset` assign what its widget holds and has not assigned yet
    /// (text typed into an edit box that still has the focus). Buttons that post or move a
    /// dataset without taking the focus call it first.
    static void commitPending(const Dataset *dataset);
    /// What a window's "确定"/"保存" does with its row: commits the binders, saves a pending
    /// row and tells a failure through `owner`'s window. True when nothing is left pending.
    static bool savePending(Dataset *dataset, QWidget *owner);

public slots:
    /// Shows the current value again.
    void refresh();
    /// Assigns what the widget holds and has not assigned yet; false when that failed.
    virtual bool commit() { return true; }

protected:
    /// Show `value`; `hasRecord` is false when there is no row (the widget shows nothing).
    virtual void showValue(const QVariant &value, bool hasRecord) = 0;
    virtual void applyReadOnly(bool readOnly) = 0;
    /// The dataset fields a change in the widget assigns (the bound field, or a lookup's keys).
    virtual QStringList targetFields() const { return {m_fieldName}; }
    /// The value to show (default: the bound field of the current record).
    virtual QVariant currentValue() const;

    /// Starts an edit when needed and assigns; a failure is told and the value shown again.
    bool assign(const QVariant &value) { return assign(targetFields(), {value}); }
    bool assign(const QStringList &fields, const QVariantList &values);
    /// True while showValue() runs: signals the widget sends then are not the user's edits.
    bool isShowing() const { return m_showing; }
    ErrorReporter &errors() { return m_errors; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectDataset();
    bool hasRecord() const;

    QPointer<Dataset> m_dataset;
    QString m_fieldName;
    QPointer<QWidget> m_widget;
    ErrorReporter m_errors;
    bool m_readOnly = false;
    bool m_showing = false;
    bool m_postOnEnter = true;
    bool m_insertOnAltInsert = true;
};

/** A QLineEdit over a field: the display text while it is not being edited, every digit while it is. */
class LineEditBinder : public FieldBinder
{
    Q_OBJECT
public:
    LineEditBinder(QLineEdit *edit, Dataset *dataset, const QString &fieldName);
    bool commit() override;

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    bool m_dirty = false;
};

/** A QCheckBox over a Boolean field. */
class CheckBoxBinder : public FieldBinder
{
    Q_OBJECT
public:
    CheckBoxBinder(QCheckBox *box, Dataset *dataset, const QString &fieldName);

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;

private:
    QCheckBox *m_box;
};

/**
 * A QComboBox listing a field of a lookup dataset and storing the chosen row's key: bound
 * to a lookup field (its definition says what to list and which keys to assign), or to a
 * key field with the lookup spelled out. The list reads the lookup dataset in place
 * (LookupList), so 100,000 goods cost nothing to bind.
 */
class LookupComboBinder : public FieldBinder
{
    Q_OBJECT
public:
    /// `lookupFieldName` names a lookup field of `dataset`.
    LookupComboBinder(QComboBox *combo, Dataset *dataset, const QString &lookupFieldName);
    /// Lists `listField` of `lookupDataset`; choosing a row assigns its `lookupKeyField` to
    /// `keyFieldName` of `dataset`.
    LookupComboBinder(QComboBox *combo, Dataset *dataset, const QString &keyFieldName, Dataset *lookupDataset,
                      const QString &lookupKeyField, const QString &listField);

    LookupList *list() const { return m_list; }

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;
    QStringList targetFields() const override { return m_keyFields; }
    QVariant currentValue() const override;

private:
    void setUp(Dataset *lookup, const QStringList &lookupKeyFields, const QString &listField);
    void onActivated(int index);

    QComboBox *m_combo;
    LookupList *m_list = nullptr;
    QStringList m_keyFields; // in the bound dataset
};

/** A QComboBox offering a fixed list of values ("男", "女"), storing the chosen one. */
class ChoiceComboBinder : public FieldBinder
{
    Q_OBJECT
public:
    ChoiceComboBinder(QComboBox *combo, Dataset *dataset, const QString &fieldName, const Choices &choices);

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;

private:
    QComboBox *m_combo;
    Choices m_choices;
};

/** A QLabel showing a field of the current row as the grid would (its display text). */
class LabelBinder : public FieldBinder
{
    Q_OBJECT
public:
    LabelBinder(QLabel *label, Dataset *dataset, const QString &fieldName);

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool) override {}

private:
    QLabel *m_label;
};

/** A QDateEdit over a date field; an empty value shows as a blank box. */
class DateEditBinder : public FieldBinder
{
    Q_OBJECT
public:
    DateEditBinder(QDateEdit *edit, Dataset *dataset, const QString &fieldName);

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;

private:
    void onDateChanged();

    QDateEdit *m_edit;
};

/** A QLabel showing a picture field (a BLOB holding an image file's bytes). */
class ImageBinder : public FieldBinder
{
    Q_OBJECT
public:
    ImageBinder(QLabel *label, Dataset *dataset, const QString &fieldName);

    /// Shrinks large pictures to the label, keeping their proportions (default on).
    void setFitToLabel(bool fit);
    /// The picture of the current row; null when there is none or it is no image.
    QPixmap pixmap() const { return m_pixmap; }

    /// Stores the bytes of an image file in the field; false (nothing assigned) when the
    /// file cannot be read or holds no image this program can show.
    bool loadFromFile(const QString &path);
    /// Stores image bytes; false when they are no image.
    bool setImageData(const QByteArray &bytes);
    /// Empties the field.
    bool clearImage();

protected:
    void showValue(const QVariant &value, bool hasRecord) override;
    void applyReadOnly(bool readOnly) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPixmap();

    QLabel *m_label;
    QPixmap m_pixmap;
    bool m_fit = true;
};

} // namespace hemu
