// Linux: a host is a program that exports its FX_ functions from its main
// executable with C linkage. The only module that can be found is that
// program, and only under its own file name, as Windows would find it; and
// as on Windows, looking a function up in no module looks in the program.
#include "platform/host_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

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
    // One byte past the longest path for its terminator.
    char path[PATH_MAX + 1];
    const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    // Linux always has the running program's path there.
    if (length <= 0) return nullptr;  // GCOVR_EXCL_LINE
    path[length] = '\0';
    // The name after the last slash; the whole path when there is none.
    const char *executableName = path;
    for (const char *c = path; *c != '\0'; ++c) {
        if (*c == '/') executableName = c + 1;
    }
    if (!SameNameIgnoringAsciiCase(executableName, fileName)) return nullptr;
    return dlopen(nullptr, RTLD_LAZY);
}

ExportedFunction FindExport(ModuleHandle module, const char *name) {
    if (module == nullptr) module = dlopen(nullptr, RTLD_LAZY);
    return reinterpret_cast<ExportedFunction>(dlsym(module, name));
}

}  // namespace platform
