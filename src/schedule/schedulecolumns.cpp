#include "schedulecolumns.h"

#include "grid/gridmodel.h"

namespace {

struct ColumnDesign {
    const char* fieldName;
    const char* caption;
    int width;
    bool readOnly;
};

const ColumnDesign ScheduleDesign[] = {
    {"Discipline", "Дисциплина", 107, true},
    {"Kafedra", "Кафедра", 134, true},
    {"t_fio", "Ф.И.О. -экзаменатора", 158, true},
    {"FKontr", "Форма контроля", 88, true},
    {"Date_1", "Компьютерное, бланочное тестирование|Дата", 82, false},
    {"Time_1", "Компьютерное, бланочное тестирование|Время", 96, false},
    {"Audience_1", "Компьютерное, бланочное тестирование|Аудитория", 76, false},
    {"TypeControl", "Компьютерное, бланочное тестирование|вид контроля", 108, false},
};

} // namespace

void AddScheduleColumns(GridModel& grid) {
    grid.beginUpdate();
    grid.clearColumns();
    for (const ColumnDesign& design : ScheduleDesign)
        grid.addColumn(QString::fromLatin1(design.fieldName), QString::fromUtf8(design.caption), design.width,
                       design.readOnly);
    grid.endUpdate();
}
