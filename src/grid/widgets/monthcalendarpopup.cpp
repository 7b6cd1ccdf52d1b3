#include "monthcalendarpopup.h"

#include <QCalendarWidget>
#include <QTableView>
#include <QVBoxLayout>

MonthCalendarPopup::MonthCalendarPopup(QWidget* parent)
    : DropDownPopup(parent), m_calendar(new QCalendarWidget(this)) {
    setObjectName(QStringLiteral("MonthCalendar"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_calendar);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setGridVisible(false);
    connect(m_calendar, &QCalendarWidget::selectionChanged, this,
            [this] { emit dateChanged(m_calendar->selectedDate()); });
    connect(m_calendar, &QCalendarWidget::clicked, this, &MonthCalendarPopup::dayClicked);
}

QWidget* MonthCalendarPopup::keyWidget() const {
    QWidget* view = m_calendar->findChild<QTableView*>();
    return view ? view : m_calendar;
}

void MonthCalendarPopup::setDate(const QDate& date) {
    const QSignalBlocker blocker(m_calendar);
    m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
}
