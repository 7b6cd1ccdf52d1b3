#include "data/embedded/loginpermissions.h"

#include "data/dataerror.h"

#include <sqlite3.h>

void LoginPermissions::clear() {
    m_restricted = false;
    m_grants.clear();
    m_refusal.clear();
}

void LoginPermissions::load(sqlite3* db, const QString& login, const QString& database) {
    clear();
    m_login = login;
    m_database = database;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT permission, object FROM sys_permissions WHERE login = ?", -1,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return; // no table: nobody is restricted
    }
    const QByteArray name = login.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        m_restricted = true;
        const QString permission =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        const QString object =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
        m_grants.insert((permission.trimmed() + ' ' + object.trimmed()).toLower());
    }
    sqlite3_finalize(statement);
}

bool LoginPermissions::allows(const QString& permission, const QString& object) const {
    if (!m_restricted)
        return true;
    const QString key = permission.toLower() + ' ';
    return m_grants.contains(key + object.toLower()) || m_grants.contains(key + '*');
}

QString LoginPermissions::denied(const QString& permission, const QString& object) const {
    return QString("The %1 permission was denied on the object '%2', database '%3', schema 'dbo'.")
        .arg(permission, object, m_database);
}

void LoginPermissions::checkExecute(const QString& procedure) const {
    if (!allows("EXECUTE", procedure))
        throw DataError(denied("EXECUTE", procedure));
}

void LoginPermissions::guard(sqlite3* db, bool on) {
    sqlite3_set_authorizer(db, on && m_restricted ? &LoginPermissions::authorize : nullptr, this);
}

int LoginPermissions::authorize(void* context, int action, const char* first, const char* second, const char*,
                                const char* inner) {
    auto* self = static_cast<LoginPermissions*>(context);
    auto refuse = [self](const QString& text) {
        if (self->m_refusal.isEmpty())
            self->m_refusal = text;
        return SQLITE_DENY;
    };
    // Access from inside a view or trigger was granted with the view or the statement that fired it.
    const bool nested = inner != nullptr;
    const QString object = QString::fromUtf8(first ? first : "");
    auto refuseChange = [&] {
        return refuse(QString("The login '%1' has no permission to change the database '%2' or its settings.")
                          .arg(self->m_login, self->m_database));
    };
    // Creating or dropping a table writes SQLite's own catalogue first.
    if (object.startsWith("sqlite_", Qt::CaseInsensitive) && action != SQLITE_READ)
        return refuseChange();
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return SQLITE_OK;
    case SQLITE_READ:
        if (nested) {
            self->m_reachedThroughViews.insert(object);
            return SQLITE_OK;
        }
        if (second && !*second && self->m_reachedThroughViews.contains(object))
            return SQLITE_OK;
        return self->allows("SELECT", object) ? SQLITE_OK : refuse(self->denied("SELECT", object));
    case SQLITE_INSERT:
        return nested || self->allows("INSERT", object) ? SQLITE_OK : refuse(self->denied("INSERT", object));
    case SQLITE_UPDATE:
        return nested || self->allows("UPDATE", object) ? SQLITE_OK : refuse(self->denied("UPDATE", object));
    case SQLITE_DELETE:
        return nested || self->allows("DELETE", object) ? SQLITE_OK : refuse(self->denied("DELETE", object));
    default:
        return refuseChange();
    }
}
