// Windows: the kernel finds the module and its exports.
#include "platform/host_module.h"

#include <windows.h>

namespace platform {

ModuleHandle FindLoadedModule(const char *fileName) { return GetModuleHandleA(fileName); }

ExportedFunction FindExport(ModuleHandle module, const char *name) {
    return reinterpret_cast<ExportedFunction>(GetProcAddress(static_cast<HMODULE>(module), name));
}

}  // namespace platform
