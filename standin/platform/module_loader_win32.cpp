#include <windows.h>

#include "standin/platform/module_loader.h"
#include "standin/platform/wide_text_win32.h"

namespace standin {

LoadedModule::LoadedModule(const std::string &path) {
    // No error dialog for a file that is not a module: we report it.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = LoadLibraryW(Wide(path).c_str());
    SetErrorMode(previous);
    if (handle_ == nullptr) error_ = "Windows error " + std::to_string(GetLastError());
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

LoadedModule::Function LoadedModule::Find(const char *name) const {
    return handle_ ? reinterpret_cast<Function>(GetProcAddress(static_cast<HMODULE>(handle_), name))
                   : nullptr;
}

bool ThisProgramExports(const char *name) {
    return GetProcAddress(GetModuleHandleW(nullptr), name) != nullptr;
}

}  // namespace standin
