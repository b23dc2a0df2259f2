#include "standin/host/plugin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "interface/record_bytes.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

// The first bytes of a module: its headers, and no code to load.
std::vector<uint8_t> WindowsHeaders(uint16_t machine) {
    std::vector<uint8_t> bytes(0x100, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    hostdata::WriteU32(bytes.data(), 0x3C, 0x80);
    bytes[0x80] = 'P';
    bytes[0x81] = 'E';
    hostdata::WriteU16(bytes.data(), 0x84, machine);
    return bytes;
}

std::vector<uint8_t> LinuxHeaders(uint8_t elfClass) {
    std::vector<uint8_t> bytes(0x100, 0);
    bytes[0] = 0x7F;
    bytes[1] = 'E';
    bytes[2] = 'L';
    bytes[3] = 'F';
    bytes[4] = elfClass;
    return bytes;
}

// What loading a file of these bytes says, or what the validator's check
// before it says (`beforeLoading`); "loaded" when neither refuses it.
std::string LoadFailure(const std::vector<uint8_t> &bytes, bool beforeLoading = false) {
    const scratch::Folder folder;
    const fs::path path = folder.Path() / "module.fxt";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::string message = "' loaded";
    try {
        if (beforeLoading) {
            standin::RequireModuleOfThisPlatform(path.string());
        } else {
            standin::Plugin plugin(path.string());
        }
    } catch (const standin::UsageError &error) {
        message = error.what();
    }
    return message.substr(message.find("' ") + 2);
}

// The system's own words for a module of another system ("invalid ELF
// header", "Windows error 193") do not say what is wrong.
TEST(Plugin, AModuleForAnotherSystemIsNamedForWhatItIs) {
#if defined(_WIN32)
    const std::string build =
        "but this FINALE.EXE is the Windows build, which loads only "
        "64-bit Windows modules";
    EXPECT_EQ(LoadFailure(WindowsHeaders(0x014C)), "is a 32-bit Windows module, " + build);
#else
    const std::string build =
        "but this FINALE.EXE is the Linux build, which loads only "
        "64-bit Linux shared objects";
    EXPECT_EQ(LoadFailure(WindowsHeaders(0x8664)), "is a 64-bit Windows module, " + build);
    EXPECT_EQ(LoadFailure(WindowsHeaders(0xAA64)),
              "is a Windows module for another processor, " + build);
#endif
    EXPECT_EQ(LoadFailure(LinuxHeaders(1)), "is a 32-bit Linux shared object, " + build);
    EXPECT_EQ(LoadFailure(std::vector<uint8_t>(0x100, 'x'))
                  .rfind("is not a loadable plug-in module (", 0),
              0u);
}

// validate calls such files bad input in the words run uses, before any
// worker loads them; a module of this system goes on to the checks.
TEST(Plugin, TheValidatorRefusesWhatIsNoModuleOfThisSystemBeforeLoadingIt) {
#if defined(_WIN32)
    const std::vector<uint8_t> other = LinuxHeaders(2), own = WindowsHeaders(0x8664);
#else
    const std::vector<uint8_t> other = WindowsHeaders(0x8664), own = LinuxHeaders(2);
#endif
    EXPECT_EQ(LoadFailure(other, true), LoadFailure(other));
    EXPECT_EQ(LoadFailure(std::vector<uint8_t>(0x100, '{'), true),
              "is not a loadable plug-in module (neither a Windows module nor a Linux shared "
              "object)");
    EXPECT_EQ(LoadFailure(own, true), "loaded");
}

}  // namespace
