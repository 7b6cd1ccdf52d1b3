#include "tdbgrid.h"

#include "grid/dropdownplacement.h"
#include "inplaceedit.h"
#include "lookuplistpopup.h"
#include "monthcalendarpopup.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QToolButton>

MonthCalendarPopup* TDBGrid::calendarPopup() const {
    return m_calendar;
}

LookupListPopup* TDBGrid::listPopup() const {
    return m_list;
}

QRect TDBGrid::editorScreenRect() const {
    return QRect(m_edit->mapToGlobal(QPoint(0, 0)), m_edit->size());
}

QRect TDBGrid::workArea() const {
    const QRect cell = editorScreenRect();
    const QScreen* screen = QGuiApplication::screenAt(cell.center());
    if (!screen)
        screen = m_edit->screen();
    return screen ? screen->availableGeometry() : QRect(cell.topLeft(), QSize(1 << 16, 1 << 16));
}

void TDBGrid::syncDropDown() {
    const CellEditor::DropDown open = m_editor.openDropDown();
    // Pointers are cleared before hiding, so that the popups' own closing is not taken as a cancel.
    if (open != CellEditor::DropDown::Calendar && m_calendar) {
        MonthCalendarPopup* popup = m_calendar;
        m_calendar = nullptr;
        popup->hide();
        popup->deleteLater();
    }
    if (open != CellEditor::DropDown::List && m_list) {
        LookupListPopup* popup = m_list;
        m_list = nullptr;
        popup->hide();
        popup->deleteLater();
    }
    if (open == CellEditor::DropDown::Calendar && !m_calendar)
        openCalendar();
    if (open == CellEditor::DropDown::List) {
        if (m_list)
            m_list->setCurrentRow(m_editor.listRow());
        else
            openList();
    }
}

void TDBGrid::openCalendar() {
    auto* popup = new MonthCalendarPopup(this);
    popup->setToggleWidget(m_edit->dropDownButton());
    popup->setFont(m_edit->font());
    popup->setPalette(m_edit->palette());
    popup->setDate(m_editor.calendarDate());
    connect(popup, &MonthCalendarPopup::dateChanged, this,
            [this](const QDate& date) { m_editor.setCalendarDate(date); });
    connect(popup, &MonthCalendarPopup::dayClicked, this, [this](const QDate& date) {
        m_editor.setCalendarDate(date);
        m_editor.acceptDropDown();
    });
    connect(popup, &DropDownPopup::closed, this, [this, popup] {
        if (popup == m_calendar)
            m_editor.cancelDropDown();
    });
    popup->installEventFilter(this);
    popup->keyWidget()->installEventFilter(this);
    m_calendar = popup;
    popup->setGeometry(PlaceDropDown(editorScreenRect(), popup->sizeHint(), workArea()));
    popup->show();
    popup->keyWidget()->setFocus(Qt::PopupFocusReason);
}

void TDBGrid::openList() {
    auto* popup = new LookupListPopup(this);
    popup->setToggleWidget(m_edit->dropDownButton());
    popup->setFont(m_edit->font());
    popup->setPalette(m_edit->palette());
    QStringList texts;
    for (int row = 0; row < m_editor.listCount(); ++row)
        texts.append(m_editor.listText(row));
    popup->setRows(texts);
    popup->setCurrentRow(m_editor.listRow());
    connect(popup, &LookupListPopup::rowClicked, this, [this](int row) {
        m_editor.setListRow(row);
        m_editor.acceptDropDown();
    });
    connect(popup, &LookupListPopup::resizedByUser, this, [this, popup] {
        if (popup == m_list)
            m_editor.setListSize(popup->rowsShown(), popup->width());
    });
    connect(popup, &DropDownPopup::closed, this, [this, popup] {
        if (popup == m_list)
            m_editor.cancelDropDown();
    });
    popup->installEventFilter(this);
    popup->list()->installEventFilter(this);
    m_list = popup;
    const QSize size = popup->sizeFor(m_editor.listRowsShown(), m_editor.listWidth(m_edit->width()));
    popup->place(PlaceDropDown(editorScreenRect(), size, workArea()));
    popup->show();
    popup->setCurrentRow(m_editor.listRow());
    popup->list()->setFocus(Qt::PopupFocusReason);
}
