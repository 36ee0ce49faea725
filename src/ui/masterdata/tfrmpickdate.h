#pragma once

#include "ui/masterdata/pickerdialog.h"

#include <QDate>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace hemu {

/**
 * Chooses a date on a month calendar. Each showing moves the calendar to the current year,
 * keeping the month and day last picked; a double-click on a day picks it.
 */
class TfrmPickDate : public PickerDialog
{
    Q_OBJECT
public:
    TfrmPickDate(AppContext &context, QWidget *parent);

    /// The calendar's date.
    QDate PickedDate() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void stepMonths(int months);

    struct
    {
        QLabel *TitleLabel = nullptr;
        QPushButton *PrevYear = nullptr;
        QPushButton *PrevMonthBtn = nullptr;
        QPushButton *NextMonthBtn = nullptr;
        QPushButton *NextYear = nullptr;
        QCalendarWidget *Calendar1 = nullptr;
        QPushButton *OkBtn = nullptr;
        QPushButton *CancelBtn = nullptr;
    } ui;
};

} // namespace hemu
