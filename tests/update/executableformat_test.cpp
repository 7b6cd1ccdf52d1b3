// What the update takes for a program: headers made byte by byte for each rule, and the real
// executable that this build makes.
#include "support/tempfolder.h"
#include "update/executableformat.h"

#include <gtest/gtest.h>

#include <cstdint>

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

void put(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct PeFields {
    std::uint32_t machine = 0x8664;
    std::uint32_t characteristics = 0x0022; // executable image, large addresses
    std::uint32_t magic = 0x20B;
    std::uint32_t subsystem = 2;
};

// The DOS stub's pointer, the signature, the file header and the optional header's first fields.
std::string pe(const PeFields& fields) {
    std::string bytes(1024, '\0');
    bytes.replace(0, 2, "MZ");
    constexpr std::size_t At = 0x80;
    put(bytes, 0x3C, At, 4);
    bytes.replace(At, 4, std::string("PE\0\0", 4));
    put(bytes, At + 4, fields.machine, 2);
    put(bytes, At + 4 + 18, fields.characteristics, 2);
    put(bytes, At + 24, fields.magic, 2);
    put(bytes, At + 24 + 68, fields.subsystem, 2);
    return bytes;
}

struct ElfFields {
    char elfClass = 2;
    std::uint32_t type = 2;
    std::uint32_t machine = 62;
    std::vector<std::uint32_t> segments = {6, 3, 1}; // program headers, interpreter, load
};

std::string elf(const ElfFields& fields) {
    constexpr std::size_t Header = 64, Entry = 56;
    std::string bytes(Header + Entry * fields.segments.size() + 64, '\0');
    bytes.replace(0, 4,
                  "\x7F"
                  "ELF");
    bytes[4] = fields.elfClass;
    bytes[5] = 1;
    bytes[6] = 1;
    put(bytes, 16, fields.type, 2);
    put(bytes, 18, fields.machine, 2);
    put(bytes, 32, Header, 4);
    put(bytes, 54, Entry, 2);
    put(bytes, 56, static_cast<std::uint32_t>(fields.segments.size()), 2);
    for (std::size_t i = 0; i < fields.segments.size(); ++i)
        put(bytes, Header + i * Entry, fields.segments[i], 4);
    return bytes;
}

} // namespace

TEST(ExecutableFormatTest, HeadersTellAProgramForEachSystemFromEverythingElse) {
    const auto windows = ExecutableFormat::WindowsGuiAmd64;
    const auto elfProgram = ExecutableFormat::LinuxX86_64;
    const auto other = ExecutableFormat::Other;
    const struct {
        const char* name;
        std::string head;
        ExecutableFormat expected;
    } cases[] = {
        {"a Windows program", pe({}), windows},
        {"a Windows console program", pe({.subsystem = 3}), other},
        {"a Windows DLL", pe({.characteristics = 0x2022}), other},
        {"an object file, not an image", pe({.characteristics = 0x0020}), other},
        {"a 32-bit Windows program", pe({.machine = 0x14C, .magic = 0x10B}), other},
        {"an ARM64 Windows program", pe({.machine = 0xAA64}), other},
        {"a Windows program cut before its subsystem", pe({}).substr(0, 0x80 + 24 + 60), other},
        {"a DOS program without the new header", std::string("MZ") + std::string(200, '\0'), other},
        {"a fixed-address Linux program", elf({}), elfProgram},
        {"a position-independent Linux program", elf({.type = 3}), elfProgram},
        {"a Linux shared library", elf({.type = 3, .segments = {1, 1, 2}}), other},
        {"a Linux program for ARM64", elf({.machine = 183}), other},
        {"a 32-bit Linux program", elf({.elfClass = 1}), other},
        {"an object file", elf({.type = 1}), other},
        {"an ELF header alone", elf({}).substr(0, 40), other},
        {"a web page", "<!DOCTYPE html>\n<html><body>Страница не найдена</body></html>\n", other},
        {"nothing", "", other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectExecutableFormat(c.head), c.expected) << c.name;
}

TEST(ExecutableFormatTest, TheProgramsOfThisBuildAreOfTheNativeFormat) {
    EXPECT_EQ(ExecutableFormatOfFile(ZOR_DUMMY_PROGRAM), NativeExecutableFormat);
    testsupport::TempFolder folder{"zor27-format"};
    EXPECT_EQ(ExecutableFormatOfFile((folder.path() / "missing").string()), ExecutableFormat::Other);
    // A program followed by anything (a mark, a signature) is still one; a part of it is not.
    const std::string program = ReadFileBytes(ZOR_DUMMY_PROGRAM);
    WriteFileBytes(folder.path() / "marked", program + "\nthe next build\n");
    EXPECT_EQ(ExecutableFormatOfFile((folder.path() / "marked").string()), NativeExecutableFormat);
    WriteFileBytes(folder.path() / "cut", program.substr(0, 40));
    EXPECT_EQ(ExecutableFormatOfFile((folder.path() / "cut").string()), ExecutableFormat::Other);
}
