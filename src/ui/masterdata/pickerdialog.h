#pragma once

#include "ui/kit/appcontext.h"
#include "ui/widgets/gridcolumn.h"

#include <QDialog>
#include <QPointer>
#include <QVariant>
#include <functional>

namespace hemu {

class DataGrid;
class Dataset;

/**
 * The base of every picker: a resident dialog, made once at start-up and hidden between
 * uses, that a caller shows modally with pick(). It ends with OK (the caller then reads
 * PickedID(), PickedName() or the current row of the list's dataset), Cancel, or, for the
 * category and goods pickers, All.
 *
 *     if (pickers.frmPickCusts->pick() == PickerDialog::Ok)
 *         custId = pickers.frmPickCusts->PickedID();
 */
class PickerDialog : public QDialog
{
    Q_OBJECT
public:
    enum Result { Cancel = QDialog::Rejected, Ok = QDialog::Accepted, All = 2 };

    PickerDialog(AppContext &context, const QString &objectName, const QString &caption, QWidget *parent);

    /// Shows the picker modally; how it ended.
    Result pick();

    QVariant PickedID() const { return m_pickedId; }
    QString PickedName() const { return m_pickedName; }

    AppContext &context() const { return m_context; }
    BaseData &base() const { return m_context.base; }

protected:
    /// A read-only list that selects whole rows and sorts on a title click; a double-click
    /// (or, with `singleClick`, a click) emits rowActivated.
    DataGrid *makeList(const QString &objectName, Dataset *dataset, const QList<GridColumn> &columns);
    /// Runs `act` when the Up or Down arrow key is released in `list` (a keyboard move that
    /// counts as a click).
    void whenArrowReleased(QWidget *list, std::function<void()> act);
    /// Ends with OK having picked `id` and `name`.
    void pickRow(const QVariant &id, const QString &name = {});
    /// Ends with OK; the caller reads the current row of the list.
    void pickCurrent();
    /// Ends with All.
    void pickAll();

private:
    AppContext &m_context;
    QVariant m_pickedId;
    QString m_pickedName;
};

/**
 * A picker that can also fill a bill: with a FillTarget (a bill's detail dataset) it stays
 * open beside the bill window, not modal, and each pick appends a line to that bill. The
 * target is dropped whenever the picker hides, so a later modal use never appends.
 */
class FillPicker : public PickerDialog
{
    Q_OBJECT
public:
    using PickerDialog::PickerDialog;

    Dataset *FillTarget() const;
    void setFillTarget(Dataset *target);
    /// Fill mode: shows the picker beside the bill window, appending to `target`'s bill.
    void fillInto(Dataset &target);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QPointer<Dataset> m_fillTarget;
};

/**
 * A picker that is one list over a shared dataset of BaseData: a double-click (a click,
 * where the picker says so) on a row ends with OK.
 */
class ListPicker : public PickerDialog
{
    Q_OBJECT
public:
    enum class Activation { DoubleClick, SingleClick };

    ListPicker(AppContext &context, const QString &objectName, const QString &caption, Dataset *dataset,
               const QList<GridColumn> &columns, QWidget *parent);

    DataGrid *list() const { return m_list; }

protected:
    /// What a pick on the current row does; by default OK with the current row.
    virtual void rowPicked() { pickCurrent(); }
    void setActivation(Activation activation);
    /// Ends with OK having picked the current row's `idField` and `nameField`.
    void pickFields(const QString &idField, const QString &nameField = {});

private:
    DataGrid *m_list;
    Activation m_activation = Activation::DoubleClick;
};

} // namespace hemu
