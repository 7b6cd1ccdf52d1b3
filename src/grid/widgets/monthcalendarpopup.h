#pragma once

#include "dropdownpopup.h"

#include <QDate>

class QCalendarWidget;

// The month calendar of a date column: the toolkit's calendar showing one month.
class MonthCalendarPopup : public DropDownPopup {
    Q_OBJECT

public:
    explicit MonthCalendarPopup(QWidget* parent = nullptr);

    QCalendarWidget* calendar() const { return m_calendar; }
    // The widget inside the calendar that takes its keys.
    QWidget* keyWidget() const;
    void setDate(const QDate& date);

signals:
    // The calendar's date moved (keys, the month buttons).
    void dateChanged(const QDate& date);
    // A day was clicked.
    void dayClicked(const QDate& date);

private:
    QCalendarWidget* m_calendar;
};
