#pragma once

#include <string>
#include <string_view>

// What kind of program a file holds, told from its first bytes: the update installs a download only
// when it is an executable this machine can start, never an error page or a portal's answer that a
// web server sent with a success status.
enum class ExecutableFormat {
    WindowsGuiAmd64, // a PE image for x86-64: "MZ", "PE\0\0", machine AMD64, an executable (not a
                     // DLL) of the GUI subsystem
    LinuxX86_64,     // an ELF executable for x86-64, little-endian, 64-bit: fixed-address, or
                     // position-independent with a program interpreter (a shared library has none)
    Other,
};

// The format of a file's beginning; a beginning too short to tell is Other. Reads the PE headers or
// the ELF program headers only where they lie inside head.
ExecutableFormat DetectExecutableFormat(std::string_view head);

// The format of a file (path in UTF-8) from its first ExecutableHeadBytes; Other when it cannot be
// read.
ExecutableFormat ExecutableFormatOfFile(const std::string& path);
constexpr std::size_t ExecutableHeadBytes = 64 * 1024;

// The format of the programs this build makes.
#ifdef _WIN32
constexpr ExecutableFormat NativeExecutableFormat = ExecutableFormat::WindowsGuiAmd64;
#else
constexpr ExecutableFormat NativeExecutableFormat = ExecutableFormat::LinuxX86_64;
#endif
