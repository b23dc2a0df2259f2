#include <dlfcn.h>

#include "standin/platform/module_loader.h"

namespace standin {

LoadedModule::LoadedModule(const std::string &path) {
    // A bare file name would send dlopen searching the library path.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char *why = dlerror();
        error_ = why ? why : "unknown error";
    }
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) dlclose(handle_);
}

LoadedModule::Function LoadedModule::Find(const char *name) const {
    return handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
}

bool ThisProgramExports(const char *name) {
    void *const program = dlopen(nullptr, RTLD_LAZY);
    const bool found = dlsym(program, name) != nullptr;
    dlclose(program);
    return found;
}

}  // namespace standin
