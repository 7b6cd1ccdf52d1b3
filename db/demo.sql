-- Demo data: four academic years of a small university with six faculties, twelve
-- specialities, 84 study groups (48 in each year) and twelve disciplines per group and semester.
-- The years up to 2025/2026 are scheduled in full; 2026/2027 has its autumn session mostly
-- scheduled and its spring session still empty.

INSERT INTO AcademicYear (id_a_year, YearName, FirstDay) VALUES
    (1, '2023/2024', '2023-09-01 00:00:00'),
    (2, '2024/2025', '2024-09-01 00:00:00'),
    (3, '2025/2026', '2025-09-01 00:00:00'),
    (4, '2026/2027', '2026-09-01 00:00:00');

INSERT INTO Faculty (id_faculty, FacultyName, ShortName) VALUES
    (1, 'Факультет информационных технологий', 'ФИТ'),
    (2, 'Экономический факультет', 'ЭФ'),
    (3, 'Юридический факультет', 'ЮФ'),
    (4, 'Механико-технологический факультет', 'МТФ'),
    (5, 'Гуманитарный факультет', 'ГФ'),
    (6, 'Строительный факультет', 'СФ');

INSERT INTO Department (id_department, DepartmentName, id_faculty) VALUES
    (1, 'Кафедра высшей математики', NULL),
    (2, 'Кафедра физики', NULL),
    (3, 'Кафедра иностранных языков', NULL),
    (4, 'Кафедра физического воспитания', NULL),
    (5, 'Кафедра истории и философии', NULL),
    (6, 'Кафедра информатики и вычислительной техники', 1),
    (7, 'Кафедра программной инженерии', 1),
    (8, 'Кафедра экономической теории', 2),
    (9, 'Кафедра бухгалтерского учёта и аудита', 2),
    (10, 'Кафедра гражданского права', 3),
    (11, 'Кафедра уголовного права и процесса', 3),
    (12, 'Кафедра технологии машиностроения', 4),
    (13, 'Кафедра теоретической механики', 4),
    (14, 'Кафедра лингвистики и перевода', 5),
    (15, 'Кафедра журналистики', 5),
    (16, 'Кафедра строительных конструкций', 6),
    (17, 'Кафедра архитектуры и градостроительства', 6);

INSERT INTO Examiner (FullName, Post, id_department) VALUES
    ('Соколова Н. В.', 'доцент', 1), ('Петров А. С.', 'профессор', 1), ('Григорьев Д. Н.', 'старший преподаватель', 1),
    ('Кузнецов В. П.', 'доцент', 2), ('Лебедева О. А.', 'старший преподаватель', 2),
    ('Морозова Е. Ю.', 'доцент', 3), ('Смит Дж. Р.', 'преподаватель', 3), ('Волкова И. Г.', 'старший преподаватель', 3),
    ('Зайцев С. М.', 'старший преподаватель', 4), ('Николаева Т. Е.', 'преподаватель', 4),
    ('Белов М. Ф.', 'профессор', 5), ('Орлова Г. В.', 'доцент', 5),
    ('Козлов П. А.', 'доцент', 6), ('Фёдоров К. Л.', 'старший преподаватель', 6), ('Ершова Л. Д.', 'доцент', 6),
    ('Андреев Р. В.', 'профессор', 7), ('Никитина М. С.', 'доцент', 7),
    ('Степанова А. И.', 'профессор', 8), ('Макаров Ю. Б.', 'доцент', 8), ('Тихонова В. Н.', 'старший преподаватель', 8),
    ('Полякова С. Р.', 'доцент', 9), ('Широков Е. А.', 'старший преподаватель', 9),
    ('Гусев Н. Н.', 'профессор', 10), ('Виноградова Ж. К.', 'доцент', 10), ('Романов И. С.', 'старший преподаватель', 10),
    ('Киселёв А. А.', 'доцент', 11), ('Медведева Е. П.', 'доцент', 11),
    ('Сергеев О. В.', 'профессор', 12), ('Дмитриев Г. А.', 'доцент', 12),
    ('Борисов В. В.', 'доцент', 13), ('Алексеева Н. М.', 'старший преподаватель', 13),
    ('Васильева О. С.', 'профессор', 14), ('Яковлева Д. А.', 'доцент', 14), ('Миронова К. Е.', 'преподаватель', 14),
    ('Фролов А. Н.', 'доцент', 15), ('Ковалёва Т. И.', 'старший преподаватель', 15),
    ('Захаров Л. П.', 'профессор', 16), ('Титов С. Ю.', 'доцент', 16), ('Крылова Н. А.', 'старший преподаватель', 16),
    ('Павлов Б. Г.', 'доцент', 17), ('Семёнова И. В.', 'доцент', 17);

-- Disciplines with the faculty that studies them (NULL: every faculty). Ids follow this order:
-- the twelve common ones are 1 to 12 and the ten of the faculty of information technologies 13 to 22.
CREATE TEMP TABLE DemoDiscipline (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    id_department INT NOT NULL,
    id_faculty INT
);
INSERT INTO DemoDiscipline (name, id_department, id_faculty) VALUES
    ('Высшая математика', 1, NULL),
    ('Теория вероятностей и математическая статистика', 1, NULL),
    ('Физика', 2, NULL),
    ('Безопасность жизнедеятельности', 2, NULL),
    ('Иностранный язык', 3, NULL),
    ('Деловой иностранный язык', 3, NULL),
    ('Физическая культура и спорт', 4, NULL),
    ('Элективные курсы по физической культуре', 4, NULL),
    ('История России', 5, NULL),
    ('Философия', 5, NULL),
    ('Социология', 5, NULL),
    ('Русский язык и культура речи', 14, NULL),
    ('Программирование на языке C++', 7, 1),
    ('Алгоритмы и структуры данных', 7, 1),
    ('Базы данных', 6, 1),
    ('Операционные системы', 6, 1),
    ('Компьютерные сети', 6, 1),
    ('Дискретная математика', 1, 1),
    ('Архитектура вычислительных систем', 6, 1),
    ('Технологии программирования', 7, 1),
    ('Веб-программирование', 7, 1),
    ('Информационная безопасность', 6, 1),
    ('Микроэкономика', 8, 2),
    ('Макроэкономика', 8, 2),
    ('Бухгалтерский учёт', 9, 2),
    ('Аудит', 9, 2),
    ('Финансы', 8, 2),
    ('Статистика', 8, 2),
    ('Налоги и налогообложение', 9, 2),
    ('Маркетинг', 8, 2),
    ('Эконометрика', 8, 2),
    ('Менеджмент', 8, 2),
    ('Теория государства и права', 10, 3),
    ('Конституционное право', 10, 3),
    ('Гражданское право', 10, 3),
    ('Уголовное право', 11, 3),
    ('Уголовный процесс', 11, 3),
    ('Гражданский процесс', 10, 3),
    ('Административное право', 10, 3),
    ('Трудовое право', 10, 3),
    ('Криминалистика', 11, 3),
    ('Римское право', 10, 3),
    ('Теоретическая механика', 13, 4),
    ('Сопротивление материалов', 13, 4),
    ('Начертательная геометрия и инженерная графика', 13, 4),
    ('Материаловедение', 12, 4),
    ('Детали машин и основы конструирования', 12, 4),
    ('Технология машиностроения', 12, 4),
    ('Метрология, стандартизация и сертификация', 12, 4),
    ('Электротехника и электроника', 2, 4),
    ('Гидравлика', 13, 4),
    ('Металлорежущие станки', 12, 4),
    ('Введение в языкознание', 14, 5),
    ('Практический курс первого иностранного языка', 14, 5),
    ('Теория перевода', 14, 5),
    ('Лексикология', 14, 5),
    ('Стилистика', 14, 5),
    ('Основы журналистики', 15, 5),
    ('История отечественной журналистики', 15, 5),
    ('Литературное редактирование', 15, 5),
    ('Медиаправо', 15, 5),
    ('Современная русская литература', 15, 5),
    ('Строительные материалы', 16, 6),
    ('Инженерная геодезия', 17, 6),
    ('Строительная механика', 16, 6),
    ('Основания и фундаменты', 16, 6),
    ('Железобетонные конструкции', 16, 6),
    ('Металлические конструкции', 16, 6),
    ('Архитектура зданий', 17, 6),
    ('Технология строительного производства', 16, 6),
    ('Водоснабжение и водоотведение', 17, 6),
    ('Сметное дело и ценообразование', 16, 6);
INSERT INTO Discipline (id_discipline, DisciplineName, id_department)
SELECT id, name, id_department FROM DemoDiscipline ORDER BY id;

-- What each faculty studies: the twelve common disciplines and its own ten, numbered 0 to 21.
CREATE TEMP TABLE DemoPool AS
SELECT f.id_faculty, d.id AS id_discipline,
       row_number() OVER (PARTITION BY f.id_faculty ORDER BY d.id) - 1 AS rn
FROM Faculty f
JOIN DemoDiscipline d ON d.id_faculty IS NULL OR d.id_faculty = f.id_faculty;

-- Two specialities per faculty; a group is named after its speciality and year of entry.
CREATE TEMP TABLE DemoSpeciality (code TEXT, id_faculty INT, ord INT);
INSERT INTO DemoSpeciality (code, id_faculty, ord) VALUES
    ('ИВТ', 1, 1), ('ПИ', 1, 2),
    ('ЭК', 2, 1), ('БУ', 2, 2),
    ('ЮР', 3, 1), ('ПСО', 3, 2),
    ('ТМ', 4, 1), ('АТП', 4, 2),
    ('ЛИН', 5, 1), ('ЖУР', 5, 2),
    ('ПГС', 6, 1), ('ГСХ', 6, 2);

WITH RECURSIVE entry (year) AS (SELECT 2020 UNION ALL SELECT year + 1 FROM entry WHERE year < 2026)
INSERT INTO StudyGroup (GroupName, id_faculty, EntryYear)
SELECT sp.code || '-' || substr(CAST(entry.year AS TEXT), 3, 2) || '1', sp.id_faculty, entry.year
FROM DemoSpeciality sp, entry
ORDER BY sp.id_faculty, sp.ord, entry.year;

-- Examiners numbered within their department, to spread the disciplines among them.
CREATE TEMP TABLE DemoExaminer AS
SELECT id_examiner, id_department,
       row_number() OVER (PARTITION BY id_department ORDER BY id_examiner) - 1 AS rn,
       count(*) OVER (PARTITION BY id_department) AS cnt
FROM Examiner;

-- A group studies in its years one to four. In its k-th semester (k = 0 to 7) it takes the twelve
-- disciplines of its faculty's pool that follow position 3k, cyclically.
WITH plan AS (
    SELECT y.id_a_year, s.id_semester, g.id_group, g.id_faculty, p.id_discipline, dd.id_department,
           dd.id_faculty AS discipline_faculty,
           (CAST(substr(y.YearName, 1, 4) AS INT) - g.EntryYear) AS year_of_study,
           (CAST(substr(y.YearName, 1, 4) AS INT) - g.EntryYear) * 2 + s.id_semester - 1 AS k
    FROM AcademicYear y
    JOIN StudyGroup g ON g.EntryYear BETWEEN CAST(substr(y.YearName, 1, 4) AS INT) - 3
                                         AND CAST(substr(y.YearName, 1, 4) AS INT)
    CROSS JOIN Semester s
    JOIN DemoPool p ON p.id_faculty = g.id_faculty
    JOIN DemoDiscipline dd ON dd.id = p.id_discipline
    WHERE ((p.rn - ((CAST(substr(y.YearName, 1, 4) AS INT) - g.EntryYear) * 2 + s.id_semester - 1) * 3) % 22
           + 22) % 22 < 12
)
INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, id_discipline, id_examiner, id_form)
SELECT plan.id_a_year, plan.id_semester, plan.id_group, plan.id_discipline,
       (SELECT e.id_examiner FROM DemoExaminer e
        WHERE e.id_department = plan.id_department AND e.rn = (plan.id_group + plan.id_discipline) % e.cnt),
       CASE
           WHEN plan.id_department = 4 THEN 2
           WHEN (plan.id_discipline + plan.k) % 10 < 4 THEN 1
           WHEN (plan.id_discipline + plan.k) % 10 < 8 THEN 2
           WHEN (plan.id_discipline + plan.k) % 10 = 8 OR plan.year_of_study = 0 OR plan.discipline_faculty IS NULL THEN 3
           WHEN plan.id_faculty IN (4, 6) THEN 5
           ELSE 4
       END
FROM plan
ORDER BY plan.id_a_year, plan.id_semester, plan.id_group, plan.id_discipline;

-- Dates, times, rooms and types of control, drawn up as a careful planner would: credits come
-- before the examinations of a session (December in autumn, late May in spring, on consecutive
-- working days), examinations three days apart (January, June); no test on a Sunday, a group takes
-- at most one control a day, each group sits in a room of its own faculty, each of the two
-- gyms has an examiner of its own, and no examiner is wanted in two rooms at one hour.
CREATE TEMP TABLE DemoGroupRank AS
SELECT id_group, row_number() OVER (PARTITION BY id_faculty ORDER BY id_group) - 1 AS rn FROM StudyGroup;

CREATE TEMP TABLE DemoDated AS
WITH filled AS (
    SELECT cs.id_schedule, cs.id_a_year, cs.id_semester, cs.id_group, cs.id_discipline, cs.id_examiner, cs.id_form,
           g.id_faculty, d.id_department, gr.rn AS group_rank,
           CAST(substr(y.YearName, 1, 4) AS INT) AS first_year,
           (cs.id_group + cs.id_discipline) AS mix,
           row_number() OVER (PARTITION BY cs.id_a_year, cs.id_semester, cs.id_group, cs.id_form = 1
                              ORDER BY (cs.id_discipline * 7 + cs.id_group * 5) % 23, cs.id_discipline) - 1 AS nth
    FROM ControlSchedule cs
    JOIN AcademicYear y ON y.id_a_year = cs.id_a_year
    JOIN StudyGroup g ON g.id_group = cs.id_group
    JOIN DemoGroupRank gr ON gr.id_group = cs.id_group
    JOIN Discipline d ON d.id_discipline = cs.id_discipline
    WHERE cs.id_a_year < 4 OR (cs.id_semester = 1 AND (cs.id_group + cs.id_discipline) % 5 <> 0)
),
-- The n-th credit falls on the n-th working day from a Monday (six days a week); the n-th
-- examination three days after the one before, a day later when that is a Sunday.
dated AS (
    SELECT filled.*,
           CASE
               WHEN id_form = 1 THEN date(
                   date(CASE id_semester WHEN 1 THEN (first_year + 1) || '-01-09' ELSE (first_year + 1) || '-06-05' END,
                        'weekday 1'),
                   '+' || (3 * nth + id_group % 3) || ' days')
               ELSE date(
                   date(CASE id_semester WHEN 1 THEN first_year || '-12-13' ELSE (first_year + 1) || '-05-17' END,
                        'weekday 1'),
                   '+' || ((nth + id_group % 5) + (nth + id_group % 5) / 6) || ' days')
           END AS raw_day
    FROM filled
),
working AS (
    SELECT dated.*,
           date(raw_day, CASE strftime('%w', raw_day) WHEN '0' THEN '+1 day' ELSE '+0 days' END) AS day
    FROM dated
)
SELECT working.*,
       CASE
           -- Physical education: the groups of one examiner and discipline on a day sit together.
           WHEN id_department = 4 THEN dense_rank() OVER (PARTITION BY id_a_year, id_semester, day, id_examiner
                                                          ORDER BY id_discipline) - 1
           ELSE row_number() OVER (PARTITION BY id_a_year, id_semester, day, id_examiner ORDER BY id_group) - 1
       END AS slot
FROM working;

UPDATE ControlSchedule
SET Date_1 = datetime(dd.day),
    Time_1 = CASE (dd.slot + dd.id_examiner + CAST(julianday(dd.day) AS INT)) % 8
                 WHEN 0 THEN '08:00' WHEN 1 THEN '09:00' WHEN 2 THEN '10:40' WHEN 3 THEN '12:20'
                 WHEN 4 THEN '14:00' WHEN 5 THEN '15:40' WHEN 6 THEN '17:20' ELSE '19:00' END,
    Audience_1 = CASE
                     WHEN dd.id_department = 4 AND (SELECT rn FROM DemoExaminer e WHERE e.id_examiner = dd.id_examiner) = 0
                         THEN 'Спортзал'
                     WHEN dd.id_department = 4 THEN 'Спортзал 2'
                     ELSE dd.id_faculty || '-' || (100 * (1 + dd.group_rank % 4) + 1 + (dd.group_rank / 4) * 6
                                                   + (dd.id_a_year + dd.id_semester) % 3)
                 END,
    id_typeControl_1 = CASE
                           WHEN dd.id_form = 1 THEN 1 + dd.mix % 3
                           WHEN dd.id_form IN (4, 5) THEN 6
                           WHEN dd.id_department = 4 THEN 1
                           ELSE 4 + dd.mix % 2
                       END
FROM DemoDated dd
WHERE ControlSchedule.id_schedule = dd.id_schedule;

-- A few clashes for the program's warnings to show, all in 2025/2026, autumn, group ИВТ-241:
-- Базы данных in the room, on the day and at the hour of ИВТ-231's first control on a day the group
-- and the examiner have free; Операционные системы on the day and at the hour at which its examiner examines another
-- group elsewhere; Дискретная математика on the day of the group's Социология, at another hour.
CREATE TEMP TABLE DemoClash AS
SELECT cs.id_schedule, g.GroupName, d.DisciplineName AS discipline, cs.id_examiner, cs.Date_1, cs.Time_1, cs.Audience_1
FROM ControlSchedule cs
JOIN StudyGroup g ON g.id_group = cs.id_group
JOIN Discipline d ON d.id_discipline = cs.id_discipline
WHERE cs.id_a_year = 3 AND cs.id_semester = 1 AND g.GroupName IN ('ИВТ-241', 'ИВТ-231');

UPDATE ControlSchedule
SET (Date_1, Time_1, Audience_1) = (
    SELECT o.Date_1, o.Time_1, o.Audience_1 FROM DemoClash o
    WHERE o.GroupName = 'ИВТ-231'
      AND NOT EXISTS (SELECT 1 FROM DemoClash s WHERE s.GroupName = 'ИВТ-241' AND s.Date_1 = o.Date_1)
      AND NOT EXISTS (SELECT 1 FROM ControlSchedule x JOIN DemoClash b ON b.id_examiner = x.id_examiner
                      WHERE b.GroupName = 'ИВТ-241' AND b.discipline = 'Базы данных'
                        AND x.id_a_year = 3 AND x.id_semester = 1 AND x.Date_1 = o.Date_1 AND x.Time_1 = o.Time_1)
    ORDER BY o.Date_1 LIMIT 1)
WHERE id_schedule = (SELECT id_schedule FROM DemoClash WHERE GroupName = 'ИВТ-241' AND discipline = 'Базы данных');

UPDATE ControlSchedule
SET (Date_1, Time_1) = (
    SELECT o.Date_1, o.Time_1 FROM ControlSchedule o
    WHERE o.id_a_year = 3 AND o.id_semester = 1 AND o.id_examiner = ControlSchedule.id_examiner
      AND o.id_group <> ControlSchedule.id_group AND o.Audience_1 <> 'Спортзал'
      AND NOT EXISTS (SELECT 1 FROM ControlSchedule s WHERE s.id_a_year = 3 AND s.id_semester = 1
                      AND s.id_group = ControlSchedule.id_group AND s.Date_1 = o.Date_1)
    ORDER BY o.id_schedule LIMIT 1)
WHERE id_a_year = 3 AND id_semester = 1
  AND id_group = (SELECT id_group FROM StudyGroup WHERE GroupName = 'ИВТ-241')
  AND id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = 'Операционные системы');

UPDATE ControlSchedule
SET (Date_1, Time_1) = (
    SELECT s.Date_1, CASE s.Time_1 WHEN '09:00' THEN '14:00' ELSE '09:00' END FROM ControlSchedule s
    WHERE s.id_a_year = 3 AND s.id_semester = 1 AND s.id_group = ControlSchedule.id_group
      AND s.id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = 'Социология'))
WHERE id_a_year = 3 AND id_semester = 1
  AND id_group = (SELECT id_group FROM StudyGroup WHERE GroupName = 'ИВТ-241')
  AND id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = 'Дискретная математика');

DROP TABLE temp.DemoClash;
DROP TABLE temp.DemoDated;
DROP TABLE temp.DemoGroupRank;

DROP TABLE temp.DemoDiscipline;
DROP TABLE temp.DemoPool;
DROP TABLE temp.DemoSpeciality;
DROP TABLE temp.DemoExaminer;
