#include "platform/filelocation.h"

#include <string>
#include <sys/vfs.h>

namespace platform {

namespace {

// File systems whose files other computers may open too.
bool SharedFileSystem(unsigned long type) {
    switch (type) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x564CUL:     // NCP
    case 0x73757245UL: // Coda
    case 0x5346414FUL: // AFS
    case 0x6B414653UL: // kAFS
    case 0x01021997UL: // 9P
    case 0x65735546UL: // FUSE (sshfs and the like)
    case 0x00C36400UL: // Ceph
    case 0x0BD00BD0UL: // Lustre
    case 0x01161970UL: // GFS2
    case 0x7461636FUL: // OCFS2
        return true;
    default:
        return false;
    }
}

} // namespace

bool OnLocalDisk(const std::string& path) {
    std::string folder = path;
    const std::string::size_type slash = folder.find_last_of('/');
    if (slash == std::string::npos)
        folder = ".";
    else
        folder.resize(slash == 0 ? 1 : slash);
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0)
        return false;
    return !SharedFileSystem(static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFUL);
}

} // namespace platform
