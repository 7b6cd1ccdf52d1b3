#include "addresswatch.h"

#include "platform/hostresolver.h"
#include "signin/workstationidentity.h"

namespace {
const platform::SystemHostResolver SystemResolver;
}

AddressWatch::AddressWatch() : m_resolver(&SystemResolver) {}

QString AddressWatch::LocalAddress() const {
    return ::LocalAddress(*m_resolver);
}

void AddressWatch::setResolver(const platform::HostResolver* resolver) {
    m_resolver = resolver != nullptr ? resolver : &SystemResolver;
}
