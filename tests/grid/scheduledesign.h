#pragma once

#include <QString>

// The schedule's columns as the grid must show them.
struct ScheduleColumnDesign {
    const char* fieldName;
    const char* caption;
    int width;
    bool readOnly;
};

inline constexpr ScheduleColumnDesign ScheduleDesign[] = {
    {"Discipline", "Дисциплина", 107, true},
    {"Kafedra", "Кафедра", 134, true},
    {"t_fio", "Ф.И.О. -экзаменатора", 158, true},
    {"FKontr", "Форма контроля", 88, true},
    {"Date_1", "Компьютерное, бланочное тестирование|Дата", 82, false},
    {"Time_1", "Компьютерное, бланочное тестирование|Время", 96, false},
    {"Audience_1", "Компьютерное, бланочное тестирование|Аудитория", 76, false},
    {"TypeControl", "Компьютерное, бланочное тестирование|вид контроля", 108, false},
};

inline const QString MergedCaption = QStringLiteral("Компьютерное, бланочное тестирование");
