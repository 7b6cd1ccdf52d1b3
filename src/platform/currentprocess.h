#pragma once

namespace platform {

// The system's identifier of the running process.
long long CurrentProcessId();

} // namespace platform
