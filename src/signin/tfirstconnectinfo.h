#pragma once

#include <QString>

// The database account that a sign-in attempt connects with: first the bootstrap account of the
// bootstrap file, then (login and password replaced) the signed-in user's own account.
struct TFirstConnectInfo {
    QString UserName;
    QString Password;
    QString Database;
    QString Server;

    bool operator==(const TFirstConnectInfo&) const = default;
};
