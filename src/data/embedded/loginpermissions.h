#pragma once

#include <QSet>
#include <QString>

struct sqlite3;

// What a login may do, from the table sys_permissions(login, permission, object) of the database.
// A login without rows there may do everything; a login with rows may only do what they grant:
// EXECUTE on a procedure, SELECT on a table or view, INSERT, UPDATE or DELETE on a table ('*' as
// object grants the permission on every object). Statements inside a procedure run with the
// procedure's rights, as on the server: whoever may execute it may do what its body does.
class LoginPermissions {
public:
    // Reads the login's grants; a database without the table restricts nobody.
    void load(sqlite3* db, const QString& login, const QString& database);
    void clear();

    bool restricted() const { return m_restricted; }
    bool allows(const QString& permission, const QString& object) const;

    // Raises DataError unless the login may execute the procedure.
    void checkExecute(const QString& procedure) const;

    // Installs or removes the SQLite authorizer that checks the statements being prepared.
    void guard(sqlite3* db, bool on);

    // The server-like text of the last refusal by the authorizer, empty when none.
    QString refusal() const { return m_refusal; }
    void resetRefusal() {
        m_refusal.clear();
        m_reachedThroughViews.clear();
    }

private:
    static int authorize(void* self, int action, const char* first, const char* second, const char* database,
                         const char* inner);
    QString denied(const QString& permission, const QString& object) const;

    bool m_restricted = false;
    QString m_login;
    QString m_database;
    QSet<QString> m_grants; // "PERMISSION object" in lower case
    QString m_refusal;
    // Tables that a granted view reads: after expanding the view, SQLite asks again about those
    // whose columns the query leaves unused, without naming the view.
    QSet<QString> m_reachedThroughViews;
};
