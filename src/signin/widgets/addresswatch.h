#pragma once

#include <QString>

namespace platform {
class HostResolver;
}

// The dialog's address watcher: offers the workstation's IPv4 address, looked up afresh on each
// call. It keeps no history and runs no background check, since nothing reads one.
class AddressWatch {
public:
    explicit AddressWatch(const platform::HostResolver& resolver);

    QString LocalAddress() const;

private:
    const platform::HostResolver& m_resolver;
};
