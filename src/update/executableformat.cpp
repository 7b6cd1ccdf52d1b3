#include "executableformat.h"

#include "platform/ioerror.h"
#include "platform/systemfile.h"

#include <cstdint>

namespace {

// A little-endian field of size bytes at an offset; callers check the range first.
std::uint32_t field(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

bool fits(std::string_view bytes, std::size_t offset, std::size_t size) {
    return offset <= bytes.size() && size <= bytes.size() - offset;
}

bool isWindowsGuiAmd64(std::string_view head) {
    constexpr std::size_t NewHeaderOffsetAt = 0x3C;
    if (!fits(head, 0, 2) || head.substr(0, 2) != "MZ" || !fits(head, NewHeaderOffsetAt, 4))
        return false;
    const std::size_t pe = field(head, NewHeaderOffsetAt, 4);
    // The signature, the file header (20 bytes), then the optional header up to its subsystem.
    constexpr std::size_t FileHeader = 4, OptionalHeader = FileHeader + 20;
    if (!fits(head, pe, OptionalHeader + 70) || head.substr(pe, 4) != std::string_view("PE\0\0", 4))
        return false;
    constexpr std::uint32_t MachineAmd64 = 0x8664;
    constexpr std::uint32_t ExecutableImage = 0x0002, Dll = 0x2000;
    constexpr std::uint32_t Pe32Plus = 0x20B, GuiSubsystem = 2;
    const std::uint32_t characteristics = field(head, pe + FileHeader + 18, 2);
    return field(head, pe + FileHeader, 2) == MachineAmd64 && (characteristics & ExecutableImage) != 0 &&
           (characteristics & Dll) == 0 && field(head, pe + OptionalHeader, 2) == Pe32Plus &&
           field(head, pe + OptionalHeader + 68, 2) == GuiSubsystem;
}

bool isLinuxX86_64(std::string_view head) {
    constexpr std::size_t HeaderSize = 64;
    if (!fits(head, 0, HeaderSize) || head.substr(0, 4) != "\x7F"
                                                           "ELF")
        return false;
    constexpr char Class64 = 2, LittleEndian = 1;
    constexpr std::uint32_t FixedExecutable = 2, PositionIndependent = 3, MachineX86_64 = 62;
    if (head[4] != Class64 || head[5] != LittleEndian || field(head, 18, 2) != MachineX86_64)
        return false;
    const std::uint32_t type = field(head, 16, 2);
    if (type == FixedExecutable)
        return true;
    if (type != PositionIndependent)
        return false;
    // A position-independent executable names its program interpreter (the dynamic loader).
    constexpr std::uint32_t InterpreterSegment = 3;
    const std::size_t table = field(head, 32, 4) | (std::size_t{field(head, 36, 4)} << 32);
    const std::size_t entrySize = field(head, 54, 2), entries = field(head, 56, 2);
    if (entrySize < 4)
        return false;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = table + i * entrySize;
        if (!fits(head, entry, 4))
            return false;
        if (field(head, entry, 4) == InterpreterSegment)
            return true;
    }
    return false;
}

} // namespace

ExecutableFormat DetectExecutableFormat(std::string_view head) {
    if (isWindowsGuiAmd64(head))
        return ExecutableFormat::WindowsGuiAmd64;
    if (isLinuxX86_64(head))
        return ExecutableFormat::LinuxX86_64;
    return ExecutableFormat::Other;
}

ExecutableFormat ExecutableFormatOfFile(const std::string& path) {
    std::string head(ExecutableHeadBytes, '\0');
    std::size_t filled = 0;
    try {
        platform::SystemFile file = platform::SystemFile::openExistingReadWrite(path);
        while (filled < head.size()) {
            const std::size_t count = file.read(head.data() + filled, head.size() - filled);
            if (count == 0)
                break;
            filled += count;
        }
    } catch (const platform::IoError&) {
        return ExecutableFormat::Other;
    }
    head.resize(filled);
    return DetectExecutableFormat(head);
}
