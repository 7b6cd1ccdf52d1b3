#pragma once

#include <string>

namespace testsupport {

// A copy of a program's bytes that the system's loader refuses to start, as a build against
// another toolkit looks to it: the name of a library that it imports, changed to one that no
// system has (on Windows a DLL of its import table, elsewhere a shared library it needs). Empty when
// the program names none of those libraries.
inline std::string UnstartableProgram(std::string program) {
#ifdef _WIN32
    const std::string name("msvcrt.dll\0", 11), missing("msvcrZ.dll\0", 11);
#else
    const std::string name("libstdc++.so.6\0", 15), missing("libstdc++.so.9\0", 15);
#endif
    bool changed = false;
    for (std::size_t at = program.find(name); at != std::string::npos; at = program.find(name, at)) {
        program.replace(at, name.size(), missing);
        changed = true;
    }
    return changed ? program : std::string();
}

} // namespace testsupport
