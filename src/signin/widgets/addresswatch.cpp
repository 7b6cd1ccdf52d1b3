#include "addresswatch.h"

#include "signin/workstationidentity.h"

AddressWatch::AddressWatch(const platform::HostResolver& resolver) : m_resolver(resolver) {}

QString AddressWatch::LocalAddress() const {
    return ::LocalAddress(m_resolver);
}
