-- A benchmark group: @rows schedule rows in the group 'ИВТ-БЕНЧ' (id_group 1000) of the
-- faculty of information technologies (id_faculty 1), year 2026/2027 (id_a_year 4), autumn
-- semester (id_semester 1). Runs after demo.sql; every other row is scheduled.
INSERT INTO StudyGroup (id_group, GroupName, id_faculty, EntryYear) VALUES (1000, 'ИВТ-БЕНЧ', 1, 2026);

WITH RECURSIVE n (i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < @rows)
INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, id_discipline, id_examiner, id_form,
                             Date_1, Time_1, Audience_1, id_typeControl_1)
SELECT 4, 1, 1000, 1 + n.i % 22,
       (SELECT min(e.id_examiner) FROM Examiner e JOIN Discipline d ON d.id_department = e.id_department
        WHERE d.id_discipline = 1 + n.i % 22),
       1 + n.i % 3,
       CASE WHEN n.i % 2 = 0 THEN datetime('2027-01-09', '+' || (n.i % 20) || ' days') END,
       CASE WHEN n.i % 2 = 0 THEN '10:40' END,
       CASE WHEN n.i % 2 = 0 THEN '1-' || (101 + n.i % 300) END,
       CASE WHEN n.i % 2 = 0 THEN 1 + n.i % 6 END
FROM n;
