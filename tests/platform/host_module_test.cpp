#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/host_module.h"

#if defined(_WIN32)
#include <windows.h>
#define TEST_EXPORT extern "C" __declspec(dllexport)
#else
#include <unistd.h>

#include <climits>
#define TEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TEST_EXPORT int KarvoPlatformTestExport() { return 42; }

namespace {

// This program's own file name, as the system knows it.
std::string OwnFileName() {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(full.find_last_of("\\/") + 1);
#else
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string full(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    return full.substr(full.rfind('/') + 1);
#endif
}

std::string Cased(std::string name, int (*change)(int)) {
    for (char &c : name) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return name;
}

// Every other letter upper case, the rest lower.
std::string MixedCase(std::string name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        name[i] = static_cast<char>(i % 2 ? std::toupper(c) : std::tolower(c));
    }
    return name;
}

int CallExport(platform::ModuleHandle module) {
    const auto found = platform::FindExport(module, "KarvoPlatformTestExport");
    if (found == nullptr) return 0;
    return reinterpret_cast<int (*)()>(found)();
}

TEST(HostModule, IsFoundByItsFileNameInAnyCase) {
    const std::string name = OwnFileName();
    ASSERT_GT(name.size(), 1u);
    for (const std::string &spelling :
         {name, Cased(name, std::tolower), Cased(name, std::toupper), MixedCase(name)}) {
        const platform::ModuleHandle module = platform::FindLoadedModule(spelling.c_str());
        ASSERT_NE(module, nullptr) << spelling;
        EXPECT_EQ(CallExport(module), 42) << spelling;
    }
}

TEST(HostModule, IsNotFoundUnderAnotherName) {
    const std::string name = OwnFileName();
    for (const std::string &other : {name + "X", name + name, name.substr(0, name.size() - 1),
                                     "X" + name, std::string(), std::string("FINALE.EXE")}) {
        EXPECT_EQ(platform::FindLoadedModule(other.c_str()), nullptr) << "'" << other << "'";
    }
}

TEST(HostModule, FindsOnlyFunctionsTheModuleExports) {
    const platform::ModuleHandle module = platform::FindLoadedModule(OwnFileName().c_str());
    EXPECT_EQ(platform::FindExport(module, "KarvoPlatformTestExportNot"), nullptr);
    EXPECT_EQ(platform::FindExport(module, "karvoplatformtestexport"), nullptr)
        << "function names are not folded";
}

// A host found under neither name: its functions are looked up in the
// program itself.
TEST(HostModule, NoModuleStandsForTheProgramItself) { EXPECT_EQ(CallExport(nullptr), 42); }

#if !defined(_WIN32)
// Windows gives the program for a null name; the binding never asks for one.
TEST(HostModule, ANullNameFindsNothing) { EXPECT_EQ(platform::FindLoadedModule(nullptr), nullptr); }
#endif

}  // namespace
