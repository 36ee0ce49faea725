#include "ui/widgets/fieldbinders.h"

#include "core/dataset/dataset.h"
#include "core/dataset/valuecompare.h"
#include "core/format/datetext.h"
#include "ui/widgets/datasetmodel.h"
#include "ui/widgets/datasetwatcher.h"
#include "ui/widgets/lookuplist.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace hemu {

namespace {

// Every live binder, so that a navigator can have the binders of its dataset hand over what
// their widgets hold before it posts. One user-interface thread: a plain list will do.
QList<FieldBinder *> &liveBinders()
{
    static QList<FieldBinder *> binders;
    return binders;
}

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isAltInsert(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_Insert && (key->modifiers() & Qt::AltModifier);
}

} // namespace

// ---- FieldBinder ---------------------------------------------------------------------------

FieldBinder::FieldBinder(QWidget *widget, Dataset *dataset, const QString &fieldName)
    : QObject(widget)
    , m_dataset(dataset)
    , m_fieldName(fieldName)
    , m_widget(widget)
    , m_errors(widget)
{
    liveBinders().append(this);
    widget->installEventFilter(this);
    connectDataset();
}

FieldBinder::~FieldBinder()
{
    liveBinders().removeOne(this);
}

void FieldBinder::connectDataset()
{
    DatasetWatcher::subscribe(m_dataset, this, DatasetWatcher::CurrentRecord, [this] { refresh(); });
}

Field *FieldBinder::field() const
{
    return m_dataset ? m_dataset->findField(m_fieldName) : nullptr;
}

void FieldBinder::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    refresh();
}

bool FieldBinder::hasRecord() const
{
    const Dataset *ds = m_dataset;
    return ds && ds->isOpen() && ds->currentRow() >= 0 && ds->currentRow() < ds->rowCount();
}

bool FieldBinder::canModify() const
{
    const Dataset *ds = m_dataset;
    if (m_readOnly || !hasRecord() || ds->isReadOnly())
        return false;
    for (const QString &name : targetFields()) {
        const Field *target = ds->findField(name);
        if (!target || target->isReadOnly())
            return false;
    }
    return true;
}

QVariant FieldBinder::currentValue() const
{
    return m_dataset ? m_dataset->value(m_fieldName) : QVariant();
}

void FieldBinder::refresh()
{
    if (!m_widget)
        return;
    const bool record = hasRecord() && field();
    m_showing = true;
    showValue(record ? currentValue() : QVariant(), record);
    applyReadOnly(!canModify());
    m_showing = false;
}

bool FieldBinder::assign(const QStringList &fields, const QVariantList &values)
{
    Dataset *ds = m_dataset;
    if (!ds || !canModify()) {
        refresh();
        return false;
    }
    if (!ds->isEditing() && !m_errors.report(ds->edit())) {
        refresh();
        return false;
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (!m_errors.report(ds->setValue(fields.at(i), values.value(i)))) {
            refresh();
            return false;
        }
    }
    refresh();
    return true;
}

void FieldBinder::commitPending(const Dataset *dataset)
{
    // A commit may show a message box and run the event loop: work on a copy.
    const QList<FieldBinder *> binders = liveBinders();
    for (FieldBinder *binder : binders) {
        if (liveBinders().contains(binder) && binder->m_dataset == dataset)
            binder->commit();
    }
}

bool FieldBinder::savePending(Dataset *dataset, QWidget *owner)
{
    commitPending(dataset);
    if (!dataset->isEditing())
        return true;
    ErrorReporter errors(owner);
    return errors.report(dataset->post());
}

bool FieldBinder::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in a bound widget posts the pending row of its dataset, after the widget's own
    // value has been assigned. Without a pending row Enter goes on (to a dialog's default
    // button, for one).
    if (watched == m_widget && m_insertOnAltInsert && isAltInsert(event)) {
        Dataset *ds = m_dataset;
        if (ds && ds->isOpen() && !ds->isReadOnly() && !m_readOnly && commit())
            m_errors.report(ds->insert());
        return true;
    }
    if (watched == m_widget && m_postOnEnter && isEnterKey(event)) {
        Dataset *ds = m_dataset;
        if (!commit())
            return true;
        if (ds && ds->isEditing()) {
            m_errors.report(ds->post());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- LineEditBinder ------------------------------------------------------------------------

LineEditBinder::LineEditBinder(QLineEdit *edit, Dataset *dataset, const QString &fieldName)
    : FieldBinder(edit, dataset, fieldName)
    , m_edit(edit)
{
    // The first key starts the edit, as in every data-aware box: the navigator then offers
    // post and cancel while the text is still being typed.
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (m_dirty)
            return;
        m_dirty = true; // first: the edit's state change must not put the old text back
        Dataset *ds = this->dataset();
        if (ds && !ds->isEditing() && !errors().report(ds->edit())) {
            m_dirty = false;
            refresh();
        }
    });
    connect(edit, &QLineEdit::editingFinished, this, &LineEditBinder::commit);
    if (const Field *f = field(); f && f->maxLength() > 0)
        edit->setMaxLength(f->maxLength());
    refresh();
}

bool LineEditBinder::commit()
{
    if (!m_dirty)
        return true;
    m_dirty = false;
    const QString text = m_edit->text();
    return assign(text.isEmpty() ? QVariant() : QVariant(text));
}

void LineEditBinder::showValue(const QVariant &value, bool hasRecord)
{
    // Typing not yet assigned survives changes of other fields of the pending row; a post,
    // a cancel or a move ends the edit and with it the typing.
    if (m_dirty && hasRecord && dataset()->isEditing())
        return;
    m_dirty = false;
    const Field *f = field();
    QString text;
    if (hasRecord && f) {
        // The display pattern while looking, every digit while typing.
        const QVariant editValue = DatasetModel::editValue(value, *f);
        if (!m_edit->hasFocus())
            text = f->formatValue(value);
        else if (editValue.metaType().id() == QMetaType::QDate)
            text = editValue.toDate().isValid() ? isoDateText(editValue.toDate()) : QString();
        else
            text = editValue.toString();
    }
    if (m_edit->text() != text)
        m_edit->setText(text);
}

void LineEditBinder::applyReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
}

bool LineEditBinder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            // Switch between display and edit text; a pending typing is committed first by
            // editingFinished on the way out.
            QMetaObject::invokeMethod(this, &FieldBinder::refresh, Qt::QueuedConnection);
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && m_dirty) {
                m_dirty = false; // Esc takes back what was typed
                refresh();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return FieldBinder::eventFilter(watched, event);
}

// ---- CheckBoxBinder ------------------------------------------------------------------------

CheckBoxBinder::CheckBoxBinder(QCheckBox *box, Dataset *dataset, const QString &fieldName)
    : FieldBinder(box, dataset, fieldName)
    , m_box(box)
{
    connect(box, &QCheckBox::clicked, this, [this](bool checked) {
        if (!isShowing())
            assign(checked);
    });
    refresh();
}

void CheckBoxBinder::showValue(const QVariant &value, bool hasRecord)
{
    m_box->setChecked(hasRecord && value.toBool());
}

void CheckBoxBinder::applyReadOnly(bool readOnly)
{
    m_box->setEnabled(!readOnly);
}

// ---- LookupComboBinder ---------------------------------------------------------------------

LookupComboBinder::LookupComboBinder(QComboBox *combo, Dataset *dataset, const QString &lookupFieldName)
    : FieldBinder(combo, dataset, lookupFieldName)
    , m_combo(combo)
{
    if (const Field *f = field(); f && f->isLookup()) {
        m_keyFields = f->keyFields();
        setUp(f->lookupDataset(), f->lookupKeyFields(), f->lookupResultField());
    } else {
        qWarning("LookupComboBinder: %s is no lookup field", qPrintable(lookupFieldName));
        setUp(nullptr, {}, {});
    }
}

LookupComboBinder::LookupComboBinder(QComboBox *combo, Dataset *dataset, const QString &keyFieldName,
                                     Dataset *lookupDataset, const QString &lookupKeyField, const QString &listField)
    : FieldBinder(combo, dataset, keyFieldName)
    , m_combo(combo)
    , m_keyFields{keyFieldName}
{
    setUp(lookupDataset, {lookupKeyField}, listField);
}

void LookupComboBinder::setUp(Dataset *lookup, const QStringList &lookupKeyFields, const QString &listField)
{
    m_combo->setEditable(false);
    // Sizing a box to its longest item would read every row of a large list.
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(12);
    m_list = new LookupList(lookup, lookupKeyFields, listField, this);
    m_combo->setModel(m_list);
    // The list follows the lookup dataset (categories added or renamed elsewhere show up);
    // a new list has lost the box's choice, so it is shown again.
    connect(m_list, &QAbstractItemModel::modelReset, this, &FieldBinder::refresh);
    connect(m_combo, &QComboBox::activated, this, &LookupComboBinder::onActivated);
    refresh();
}

QVariant LookupComboBinder::currentValue() const
{
    const Dataset *ds = dataset();
    QVariantList key;
    for (const QString &name : m_keyFields)
        key.append(ds ? ds->value(name) : QVariant());
    return key;
}

void LookupComboBinder::showValue(const QVariant &value, bool hasRecord)
{
    const int found = hasRecord && m_list ? m_list->rowOfKey(value.toList()) : -1;
    const QSignalBlocker blocker(m_combo);
    m_combo->setCurrentIndex(found);
}

void LookupComboBinder::applyReadOnly(bool readOnly)
{
    m_combo->setEnabled(!readOnly);
}

void LookupComboBinder::onActivated(int index)
{
    if (isShowing() || index < 0 || !m_list)
        return;
    const QVariantList key = m_list->keyAt(index);
    if (key.size() != m_keyFields.size())
        return;
    if (QVariant(key) == currentValue())
        return;
    assign(m_keyFields, key);
}

// ---- ChoiceComboBinder ---------------------------------------------------------------------

ChoiceComboBinder::ChoiceComboBinder(QComboBox *combo, Dataset *dataset, const QString &fieldName, const Choices &choices)
    : FieldBinder(combo, dataset, fieldName)
    , m_combo(combo)
    , m_choices(choices)
{
    combo->setEditable(false);
    for (const Choice &choice : choices)
        combo->addItem(choice.text, choice.value);
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (!isShowing() && index >= 0 && index < m_choices.size())
            assign(m_choices.at(index).value);
    });
    refresh();
}

void ChoiceComboBinder::showValue(const QVariant &value, bool hasRecord)
{
    int found = -1;
    for (int i = 0; hasRecord && !value.isNull() && i < m_choices.size() && found < 0; ++i) {
        if (ValueCompare::equal(m_choices.at(i).value, value))
            found = i;
    }
    const QSignalBlocker blocker(m_combo);
    m_combo->setCurrentIndex(found);
}

void ChoiceComboBinder::applyReadOnly(bool readOnly)
{
    m_combo->setEnabled(!readOnly);
}

// ---- LabelBinder ---------------------------------------------------------------------------

LabelBinder::LabelBinder(QLabel *label, Dataset *dataset, const QString &fieldName)
    : FieldBinder(label, dataset, fieldName)
    , m_label(label)
{
    refresh();
}

void LabelBinder::showValue(const QVariant &value, bool hasRecord)
{
    const Field *f = field();
    m_label->setText(hasRecord && f ? f->formatValue(value) : QString());
}

// ---- DateEditBinder ------------------------------------------------------------------------

namespace {
// The lowest date of the box stands for "no date": it shows as a blank box.
const QDate noDate(1752, 9, 14);
} // namespace

DateEditBinder::DateEditBinder(QDateEdit *edit, Dataset *dataset, const QString &fieldName)
    : FieldBinder(edit, dataset, fieldName)
    , m_edit(edit)
{
    edit->setMinimumDate(noDate);
    edit->setSpecialValueText(QStringLiteral(" "));
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    connect(edit, &QDateEdit::dateChanged, this, &DateEditBinder::onDateChanged);
    refresh();
}

void DateEditBinder::showValue(const QVariant &value, bool hasRecord)
{
    const Field *f = field();
    QDate date;
    if (hasRecord && f && !value.isNull())
        date = value.metaType().id() == QMetaType::QString ? parseStoredDate(value.toString()) : value.toDate();
    m_edit->setDate(date.isValid() ? date : noDate);
}

void DateEditBinder::applyReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
}

void DateEditBinder::onDateChanged()
{
    if (isShowing())
        return;
    const QDate date = m_edit->date();
    assign(date == noDate ? QVariant() : QVariant(date));
}

// ---- ImageBinder ---------------------------------------------------------------------------

ImageBinder::ImageBinder(QLabel *label, Dataset *dataset, const QString &fieldName)
    : FieldBinder(label, dataset, fieldName)
    , m_label(label)
{
    label->setAlignment(Qt::AlignCenter);
    refresh();
}

void ImageBinder::setFitToLabel(bool fit)
{
    m_fit = fit;
    showPixmap();
}

bool ImageBinder::loadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return setImageData(file.readAll());
}

bool ImageBinder::setImageData(const QByteArray &bytes)
{
    // Only bytes that make a picture are stored: a field that cannot be shown again is lost
    // to the user.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (bytes.isEmpty() || reader.read().isNull())
        return false;
    return assign(bytes);
}

bool ImageBinder::clearImage()
{
    return assign(QVariant());
}

void ImageBinder::showValue(const QVariant &value, bool hasRecord)
{
    m_pixmap = QPixmap();
    if (hasRecord && !value.isNull())
        m_pixmap.loadFromData(value.toByteArray());
    showPixmap();
}

void ImageBinder::showPixmap()
{
    if (m_pixmap.isNull()) {
        m_label->clear();
        return;
    }
    const QSize room = m_label->contentsRect().size();
    if (m_fit && room.isValid() && (m_pixmap.width() > room.width() || m_pixmap.height() > room.height()))
        m_label->setPixmap(m_pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        m_label->setPixmap(m_pixmap);
}

void ImageBinder::applyReadOnly(bool)
{
    // A label has nothing to switch off: loadFromFile() and clearImage() check canModify().
}

bool ImageBinder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_label && event->type() == QEvent::Resize && m_fit)
        showPixmap();
    return FieldBinder::eventFilter(watched, event);
}

} // namespace hemu
