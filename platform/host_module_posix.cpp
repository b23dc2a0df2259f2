// Linux: a host is a program that exports its FX_ functions from its main
// executable with C linkage. The only module that can be found is that
// program, and only under its own file name, as Windows would find it; and
// as on Windows, looking a function up in no module looks in the program.
#include "platform/host_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace platform {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringAsciiCase(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

ModuleHandle FindLoadedModule(const char *fileName) {
    if (fileName == nullptr) return nullptr;
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    // Linux always has the running program's path there.
    if (length <= 0) return nullptr;  // GCOVR_EXCL_LINE
    const std::string executable(path, static_cast<std::size_t>(length));
    // The name after the last slash; the whole path when there is none
    // (npos + 1 is 0).
    const std::string executableName = executable.substr(executable.rfind('/') + 1);
    if (!SameNameIgnoringAsciiCase(executableName.c_str(), fileName)) return nullptr;
    return dlopen(nullptr, RTLD_LAZY);
}

ExportedFunction FindExport(ModuleHandle module, const char *name) {
    if (module == nullptr) module = dlopen(nullptr, RTLD_LAZY);
    return reinterpret_cast<ExportedFunction>(dlsym(module, name));
}

}  // namespace platform
