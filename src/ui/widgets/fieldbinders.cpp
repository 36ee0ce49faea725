#include "ui/widgets/fieldbinders.h"

#include "core/dataset/dataset.h"
#include "core/format/datetext.h"
#include "ui/widgets/datasetmodel.h"

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
    Dataset *ds = m_dataset;
    if (!ds)
        return;
    connect(ds, &Dataset::currentChanged, this, &FieldBinder::refresh);
    connect(ds, &Dataset::rowChanged, this, [this](int row) {
        if (m_dataset && row == m_dataset->currentRow())
            refresh();
    });
    connect(ds, &Dataset::rowsReset, this, &FieldBinder::refresh);
    connect(ds, &Dataset::rowInserted, this, &FieldBinder::refresh);
    connect(ds, &Dataset::rowRemoved, this, &FieldBinder::refresh);
    connect(ds, &Dataset::stateChanged, this, &FieldBinder::refresh);
    connect(ds, &Dataset::activeChanged, this, &FieldBinder::refresh);
    connect(ds, &Dataset::fieldsChanged, this, &FieldBinder::refresh);
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

bool FieldBinder::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in a bound widget posts the pending row of its dataset, after the widget's own
    // value has been assigned. Without a pending row Enter goes on (to a dialog's default
    // button, for one).
    if (watched == m_widget && isEnterKey(event)) {
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
        m_lookup = f->lookupDataset();
        m_keyFields = f->keyFields();
        m_lookupKeyFields = f->lookupKeyFields();
        m_listField = f->lookupResultField();
    } else {
        qWarning("LookupComboBinder: %s is no lookup field", qPrintable(lookupFieldName));
    }
    setUp();
}

LookupComboBinder::LookupComboBinder(QComboBox *combo, Dataset *dataset, const QString &keyFieldName,
                                     Dataset *lookupDataset, const QString &lookupKeyField, const QString &listField)
    : FieldBinder(combo, dataset, keyFieldName)
    , m_combo(combo)
    , m_lookup(lookupDataset)
    , m_keyFields{keyFieldName}
    , m_lookupKeyFields{lookupKeyField}
    , m_listField(listField)
{
    setUp();
}

void LookupComboBinder::setUp()
{
    m_combo->setEditable(false);
    connect(m_combo, &QComboBox::activated, this, &LookupComboBinder::onActivated);
    if (Dataset *lookup = m_lookup) {
        // The list follows the lookup dataset: categories added or renamed elsewhere show up.
        auto reload = [this] {
            reloadList();
            refresh();
        };
        connect(lookup, &Dataset::rowsReset, this, reload);
        connect(lookup, &Dataset::rowInserted, this, reload);
        connect(lookup, &Dataset::rowRemoved, this, reload);
        connect(lookup, &Dataset::rowChanged, this, reload);
        connect(lookup, &Dataset::activeChanged, this, reload);
    }
    reloadList();
    refresh();
}

void LookupComboBinder::reloadList()
{
    const QSignalBlocker blocker(m_combo);
    m_combo->clear();
    const Dataset *lookup = m_lookup;
    if (!lookup || !lookup->isOpen())
        return;
    const int listIndex = lookup->fieldIndex(m_listField);
    QVector<int> keyIndexes;
    for (const QString &name : m_lookupKeyFields)
        keyIndexes.append(lookup->fieldIndex(name));
    if (listIndex < 0 || keyIndexes.contains(-1))
        return;
    for (int row = 0; row < lookup->rowCount(); ++row) {
        if (lookup->isPendingRow(row))
            continue;
        QVariantList key;
        for (int index : keyIndexes)
            key.append(lookup->value(row, index));
        m_combo->addItem(lookup->displayText(row, listIndex), key);
    }
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
    int found = -1;
    const QVariantList key = value.toList();
    bool hasKey = hasRecord && !key.isEmpty();
    for (const QVariant &part : key)
        hasKey = hasKey && !part.isNull();
    if (hasKey) {
        for (int i = 0; i < m_combo->count() && found < 0; ++i) {
            const QVariantList itemKey = m_combo->itemData(i).toList();
            bool equal = itemKey.size() == key.size();
            // Keys compare as values: 3 read from one table equals 3.0 from another.
            for (int k = 0; equal && k < key.size(); ++k)
                equal = QVariant::compare(itemKey.at(k), key.at(k)) == QPartialOrdering::Equivalent;
            if (equal)
                found = i;
        }
    }
    const QSignalBlocker blocker(m_combo);
    m_combo->setCurrentIndex(found);
}

void LookupComboBinder::applyReadOnly(bool readOnly)
{
    m_combo->setEnabled(!readOnly);
}

void LookupComboBinder::onActivated(int index)
{
    if (isShowing() || index < 0)
        return;
    const QVariantList key = m_combo->itemData(index).toList();
    if (key.size() != m_keyFields.size())
        return;
    if (QVariant(key) == currentValue())
        return;
    assign(m_keyFields, key);
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
