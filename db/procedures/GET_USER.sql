-- params: @Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, @ComputerName, @ClientLogin, @Mode, @NewPasswordLength
-- Sign-in of a client program. Answers one row, read by position:
--   0 DbLogin            the user's database login, every character code one less ('' when refused)
--   1 DbPassword         its password, stored the same way
--   2 FullName           the user's name
--   3 PasswordDaysLeft   days until the password expires; negative: it must be changed now
--   4 Message            why the sign-in is refused; empty when it is not
--   5 UpdateOrder        2 or more: the program must update itself first
-- A new password digest, when sent, replaces the old one once the old one has been checked.
-- @ClientLogin, @Mode and @NewPasswordLength are accepted for the client's sake and not used.

-- Every attempt is logged first; the answer is read back through the log row, so that it
-- reflects a password that this call stores. Texts longer than the log's columns are logged cut
-- to their width, as parameters of those widths would hold them.
INSERT INTO SignInLog (AttemptTime, Login, id_user, Program, IpAddress, ComputerName, Outcome)
SELECT datetime('now', 'localtime'), substr(@Login, 1, 50), u.id_user, substr(@Program, 1, 50),
       substr(@IpAddress, 1, 15), substr(@ComputerName, 1, 64),
       CASE
           WHEN p.Program IS NULL THEN 'unknown program'
           WHEN u.id_user IS NULL AND EXISTS (SELECT 1 FROM Users WHERE Login = @Login) THEN 'wrong password'
           WHEN u.id_user IS NULL THEN 'unknown login'
           WHEN u.Locked <> 0 THEN 'locked'
           WHEN nullif(@NewPasswordHash, '') IS NULL THEN 'accepted'
           WHEN upper(@NewPasswordHash) = u.PasswordHash THEN 'same password'
           ELSE 'password changed'
       END
FROM (SELECT 1) AS attempt
LEFT JOIN Programs p ON p.Program = @Program
LEFT JOIN Users u ON u.Login = @Login AND u.PasswordHash = upper(@PasswordHash);

UPDATE Users
SET PasswordHash = upper(@NewPasswordHash),
    PasswordChanged = datetime('now', 'localtime'),
    MustChangePassword = 0
WHERE id_user = (SELECT id_user FROM SignInLog
                 WHERE id_log = last_insert_rowid() AND Outcome = 'password changed');

SELECT u.DbLogin,
       u.DbPassword,
       u.FullName,
       CASE
           WHEN u.id_user IS NULL THEN 0
           WHEN u.MustChangePassword <> 0 THEN -1
           WHEN u.PasswordLifetime IS NULL THEN 9999
           ELSE u.PasswordLifetime - CAST(julianday('now', 'localtime')
                                          - coalesce(julianday(u.PasswordChanged), 0) AS INT)
       END AS PasswordDaysLeft,
       CASE l.Outcome
           WHEN 'unknown program' THEN 'Программа «' || coalesce(@Program, '') || '» не допущена к работе с базой.'
           WHEN 'wrong password' THEN 'Неверный логин или пароль.'
           WHEN 'unknown login' THEN 'Неверный логин или пароль.'
           WHEN 'locked' THEN 'Учётная запись заблокирована. Обратитесь к администратору.'
           WHEN 'same password' THEN 'Новый пароль должен отличаться от прежнего.'
           ELSE coalesce(p.Notice, '')
       END AS Message,
       coalesce(p.UpdateOrder, 0) AS UpdateOrder
FROM SignInLog l
LEFT JOIN Users u ON u.id_user = l.id_user AND l.Outcome IN ('accepted', 'password changed')
LEFT JOIN Programs p ON p.Program = l.Program
WHERE l.id_log = last_insert_rowid();
