-- params: @id_a_year, @id_semester, @id_faculty, @id_group
-- The schedule of control of one group in a semester, ordered by discipline. id_schedule is the
-- key by which the client writes Date_1, Time_1, Audience_1 and id_typeControl_1 back.
SELECT d.DisciplineName AS Discipline,
       dep.DepartmentName AS Kafedra,
       e.FullName AS t_fio,
       fc.FormName AS FKontr,
       cs.Time_1,
       cs.Date_1,
       cs.Audience_1,
       cs.id_typeControl_1,
       cs.id_schedule
FROM ControlSchedule cs
JOIN StudyGroup g ON g.id_group = cs.id_group
JOIN Discipline d ON d.id_discipline = cs.id_discipline
JOIN FormOfControl fc ON fc.id_form = cs.id_form
LEFT JOIN Department dep ON dep.id_department = d.id_department
LEFT JOIN Examiner e ON e.id_examiner = cs.id_examiner
WHERE cs.id_group = @id_group
  AND cs.id_a_year = @id_a_year
  AND cs.id_semester = @id_semester
  AND g.id_faculty = @id_faculty
ORDER BY d.DisciplineName, fc.FormName, cs.id_schedule;
