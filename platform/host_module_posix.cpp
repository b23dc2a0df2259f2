// Linux: a host is a program that exports its FX_ functions from its main
// executable with C linkage. The only module that can be found is that
// program, and only under its own file name, as Windows would find it; and
// as on Windows, looking a function up in no module looks in the program.
#include "platform/host_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace platform {
namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringAsciiCase(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

ModuleHandle FindLoadedModule(const char *fileName) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0 || fileName == nullptr) return nullptr;
    path[length] = '\0';
    const char *slash = std::strrchr(path, '/');
    const char *executableName = slash ? slash + 1 : path;
    if (!SameNameIgnoringAsciiCase(executableName, fileName)) return nullptr;
    return dlopen(nullptr, RTLD_LAZY);
}

ExportedFunction FindExport(ModuleHandle module, const char *name) {
    if (module == nullptr) module = dlopen(nullptr, RTLD_LAZY);
    return reinterpret_cast<ExportedFunction>(dlsym(module, name));
}

}  // namespace platform
