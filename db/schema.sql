-- The database contract of ZOR 27 for the embedded engine (SQLite), also served by the SQL Server
-- stand-in of the driver tests. Column types use SQL Server's names so that both ways report the
-- field kinds the client expects: INT, NVARCHAR(n) (Unicode), VARCHAR(n) (8-bit), DATETIME
-- (stored as text 'yyyy-MM-dd HH:mm:ss'). The builder adds to every table what the server keeps and
-- SQLite does not: texts no longer than their declared length, and DATETIME only as text of the
-- stored form that is a real date, so that no row can be stored that the client cannot read.

-- Logins of the database: checked when a connection opens.
CREATE TABLE sys_logins (
    name TEXT PRIMARY KEY,
    password TEXT
);

-- Stored procedures: params lists the '@names' comma-separated in order; body is SQLite
-- statements that use those names as parameters. The body runs in one transaction and its
-- row-returning statements give the result sets in order.
CREATE TABLE sys_procedures (
    name TEXT PRIMARY KEY,
    params TEXT,
    body TEXT
);

-- What a login may do: EXECUTE on a procedure, SELECT on a table or view, INSERT, UPDATE or DELETE
-- on a table ('*' for every object). A login without rows here may do everything.
CREATE TABLE sys_permissions (
    login TEXT NOT NULL,
    permission TEXT NOT NULL,
    object TEXT NOT NULL,
    PRIMARY KEY (login, permission, object)
);

-- The academic structure.
CREATE TABLE AcademicYear (
    id_a_year INTEGER PRIMARY KEY,
    YearName NVARCHAR(20) NOT NULL UNIQUE, -- '2025/2026'
    FirstDay DATETIME NOT NULL
);

CREATE TABLE Semester (
    id_semester INTEGER PRIMARY KEY,
    SemesterName NVARCHAR(50) NOT NULL
);

CREATE TABLE Faculty (
    id_faculty INTEGER PRIMARY KEY,
    FacultyName NVARCHAR(200) NOT NULL,
    ShortName NVARCHAR(20) NOT NULL
);

-- Departments (кафедры); id_faculty is NULL for one that teaches the whole university.
CREATE TABLE Department (
    id_department INTEGER PRIMARY KEY,
    DepartmentName NVARCHAR(200) NOT NULL,
    id_faculty INT REFERENCES Faculty (id_faculty)
);

CREATE TABLE Examiner (
    id_examiner INTEGER PRIMARY KEY,
    FullName NVARCHAR(200) NOT NULL, -- 'Иванов И. И.'
    Post NVARCHAR(50),
    id_department INT NOT NULL REFERENCES Department (id_department)
);

CREATE TABLE Discipline (
    id_discipline INTEGER PRIMARY KEY,
    DisciplineName NVARCHAR(200) NOT NULL,
    id_department INT NOT NULL REFERENCES Department (id_department)
);

-- Forms of control: examination, credit, ...
CREATE TABLE FormOfControl (
    id_form INTEGER PRIMARY KEY,
    FormName NVARCHAR(50) NOT NULL
);

-- Types of control, the lookup of the schedule grid: how the test is taken.
CREATE TABLE TypeControl (
    id_typeControl INT PRIMARY KEY,
    typeControl VARCHAR(20) NOT NULL
);

CREATE TABLE StudyGroup (
    id_group INTEGER PRIMARY KEY,
    GroupName NVARCHAR(50) NOT NULL,
    id_faculty INT NOT NULL REFERENCES Faculty (id_faculty),
    EntryYear INT NOT NULL
);

-- The schedule of control: one row per group, discipline and form of control in a semester.
-- The client writes Date_1, Time_1, Audience_1 and id_typeControl_1 back by id_schedule.
CREATE TABLE ControlSchedule (
    id_schedule INTEGER PRIMARY KEY,
    id_a_year INT NOT NULL REFERENCES AcademicYear (id_a_year),
    id_semester INT NOT NULL REFERENCES Semester (id_semester),
    id_group INT NOT NULL REFERENCES StudyGroup (id_group),
    id_discipline INT NOT NULL REFERENCES Discipline (id_discipline),
    id_examiner INT REFERENCES Examiner (id_examiner),
    id_form INT NOT NULL REFERENCES FormOfControl (id_form),
    -- Only text that reads as a date (the builder's rule): one bad value would make the whole
    -- group unreadable.
    Date_1 DATETIME,
    Time_1 VARCHAR(10),
    Audience_1 NVARCHAR(10),
    id_typeControl_1 INT REFERENCES TypeControl (id_typeControl)
);
CREATE INDEX ControlSchedule_Selection ON ControlSchedule (id_group, id_a_year, id_semester);
CREATE INDEX ControlSchedule_Year ON ControlSchedule (id_a_year, id_semester);

-- Sign-in: the people who may use the programs, each mapped to a database login.
CREATE TABLE Users (
    id_user INTEGER PRIMARY KEY,
    Login NVARCHAR(50) NOT NULL UNIQUE COLLATE NOCASE,
    PasswordHash VARCHAR(32) NOT NULL,   -- MD5 of the password, 32 upper-case hex digits
    FullName NVARCHAR(200) NOT NULL,
    DbLogin VARCHAR(20) NOT NULL,        -- the database login, every character code one less
    DbPassword VARCHAR(20) NOT NULL,     -- its password, stored the same way
    PasswordChanged DATETIME,
    PasswordLifetime INT,                -- days; NULL: the password does not expire
    MustChangePassword INT NOT NULL DEFAULT 0,
    Locked INT NOT NULL DEFAULT 0
);

-- The client programs that may sign in. UpdateOrder 2 or more makes them update themselves;
-- a Notice stops every sign-in with that text (maintenance).
CREATE TABLE Programs (
    Program NVARCHAR(50) PRIMARY KEY,
    UpdateOrder INT NOT NULL DEFAULT 0,
    Notice NVARCHAR(200)
);

-- Every sign-in attempt, whatever its outcome.
CREATE TABLE SignInLog (
    id_log INTEGER PRIMARY KEY,
    AttemptTime DATETIME NOT NULL,
    Login NVARCHAR(50),
    id_user INT,
    Program NVARCHAR(50),
    IpAddress VARCHAR(15),
    ComputerName NVARCHAR(64),
    Outcome VARCHAR(20) NOT NULL -- accepted, password changed, same password, wrong password,
                                 -- unknown login, locked, unknown program
);

-- The lists of the selectors: one row per schedule row with the keys and names above it.
-- Left joins to unique keys let SQLite skip the tables a list does not use.
CREATE VIEW InfoForRating AS
SELECT cs.id_schedule,
       cs.id_a_year, y.YearName AS p32,
       cs.id_semester, s.SemesterName AS Semester,
       g.id_faculty, f.FacultyName AS [p23-2], f.ShortName AS FacultyShortName,
       cs.id_group, g.GroupName AS p20,
       cs.id_discipline, d.DisciplineName AS Discipline,
       cs.id_form, fc.FormName AS FKontr
FROM ControlSchedule cs
LEFT JOIN AcademicYear y ON y.id_a_year = cs.id_a_year
LEFT JOIN Semester s ON s.id_semester = cs.id_semester
LEFT JOIN StudyGroup g ON g.id_group = cs.id_group
LEFT JOIN Faculty f ON f.id_faculty = g.id_faculty
LEFT JOIN Discipline d ON d.id_discipline = cs.id_discipline
LEFT JOIN FormOfControl fc ON fc.id_form = cs.id_form;

-- Groups by year and semester, with how much of their schedule is filled in.
CREATE VIEW RatingView AS
SELECT cs.id_a_year, y.YearName AS p32,
       cs.id_semester, s.SemesterName AS Semester,
       g.id_faculty, f.FacultyName AS [p23-2],
       cs.id_group, g.GroupName AS p20,
       count(*) AS Controls,
       count(cs.Date_1) AS Scheduled
FROM ControlSchedule cs
JOIN StudyGroup g ON g.id_group = cs.id_group
LEFT JOIN AcademicYear y ON y.id_a_year = cs.id_a_year
LEFT JOIN Semester s ON s.id_semester = cs.id_semester
LEFT JOIN Faculty f ON f.id_faculty = g.id_faculty
GROUP BY cs.id_a_year, cs.id_semester, cs.id_group;

-- Reference rows that every database carries.
INSERT INTO Semester (id_semester, SemesterName) VALUES
    (1, '1-й семестр (осенний)'),
    (2, '2-й семестр (весенний)');

INSERT INTO FormOfControl (id_form, FormName) VALUES
    (1, 'Экзамен'),
    (2, 'Зачёт'),
    (3, 'Дифференцированный зачёт'),
    (4, 'Курсовая работа'),
    (5, 'Курсовой проект');

-- The schedule grid offers these in its drop-down.
INSERT INTO TypeControl (id_typeControl, typeControl) VALUES
    (1, 'Устный'),
    (2, 'Письменный'),
    (3, 'Устно-письменный'),
    (4, 'Тестирование'),
    (5, 'Компьютерный тест'),
    (6, 'Защита работы');
