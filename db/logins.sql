-- Logins of the database and what they may do.
--   zor_boot   the bootstrap login of Data/ZOR: it may only run GET_USER.
--   zor_demo   the database login of the demo user: reads the lists, runs GetRatingTable and
--              writes the schedule.
INSERT INTO sys_logins (name, password) VALUES
    ('zor_boot', 'boot'),
    ('zor_demo', 'Zor27demo');

INSERT INTO sys_permissions (login, permission, object) VALUES
    ('zor_boot', 'EXECUTE', 'GET_USER'),
    ('zor_demo', 'SELECT', 'InfoForRating'),
    ('zor_demo', 'SELECT', 'RatingView'),
    ('zor_demo', 'SELECT', 'TypeControl'),
    ('zor_demo', 'EXECUTE', 'GetRatingTable'),
    ('zor_demo', 'SELECT', 'ControlSchedule'),
    ('zor_demo', 'UPDATE', 'ControlSchedule');

INSERT INTO Programs (Program, UpdateOrder, Notice) VALUES ('ZOR 27', 0, NULL);

-- The demo user: login demo, password demo, database login zor_demo (stored shifted).
INSERT INTO Users (Login, PasswordHash, FullName, DbLogin, DbPassword, PasswordChanged, PasswordLifetime)
VALUES ('demo', 'FE01CE2A7FBAC8FAFAED7C982A04E229', 'Демонстрационный пользователь', 'ynq^cdln', 'Ynq16cdln',
        '2026-09-01 00:00:00', NULL);
