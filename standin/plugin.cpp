#include "standin/plugin.h"

#include <fstream>

namespace standin {
namespace {

template <typename Function>
Function Export(const LoadedModule &module, const std::string &path, const char *name) {
    const auto found = module.Find(name);
    if (found == nullptr) throw UsageError("'" + path + "' does not export " + name);
    return reinterpret_cast<Function>(found);
}

}  // namespace

Plugin::Plugin(const std::string &path) {
    if (!std::ifstream(path, std::ios::binary).good()) {
        throw UsageError("no plug-in module at '" + path + "'");
    }
    module_ = std::make_unique<LoadedModule>(path);
    if (!module_->Loaded()) {
        throw UsageError("'" + path + "' is not a loadable plug-in module (" + module_->Error() +
                         ")");
    }
    version = Export<decltype(version)>(*module_, path, "FinaleExtensionVersion");
    init = Export<decltype(init)>(*module_, path, "FinaleExtensionInit");
    enumerate = Export<decltype(enumerate)>(*module_, path, "FinaleExtensionEnumerate");
    enumerateUtf16 =
        Export<decltype(enumerateUtf16)>(*module_, path, "FinaleExtensionEnumerate_UTF16");
    invoke = Export<decltype(invoke)>(*module_, path, "FinaleExtensionInvoke");
    menuStatus = Export<decltype(menuStatus)>(*module_, path, "FinaleExtensionGetMenuStatus");
    terminate = Export<decltype(terminate)>(*module_, path, "FinaleExtensionTerminate");
}

}  // namespace standin
