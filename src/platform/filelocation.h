#pragma once

#include <string>

namespace platform {

// Whether the file at this path (UTF-8; it need not exist yet, its folder must) lies on a disk of
// this computer, where every program that opens it shares one memory: false on a network share
// (a UNC path, a mapped network drive, NFS, SMB, a FUSE mount) and when it cannot be told.
bool OnLocalDisk(const std::string& path);

} // namespace platform
