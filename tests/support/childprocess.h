#pragma once

#include <functional>
#include <string>

namespace testsupport {

// Runs the function in a forked child (for checks that change process-wide identity or limits)
// and returns the text it produced. With asOrdinaryUser the child first drops to nobody when it
// runs as the superuser, who would otherwise ignore permission bits.
std::string RunInChild(const std::function<std::string()>& body, bool asOrdinaryUser);

} // namespace testsupport
