#include "standin/plugin.h"

#include "standin/file_system.h"

namespace standin {
namespace {

// Looks one export up; a missing one is added to `missing`.
template <typename Function>
Function Export(const LoadedModule &module, const char *name, std::string &missing) {
    const auto found = module.Find(name);
    if (found == nullptr) missing += (missing.empty() ? "" : ", ") + std::string(name);
    return reinterpret_cast<Function>(found);
}

}  // namespace

Plugin::Plugin(const std::string &path) {
    if (!FactsOf(path).exists) {
        throw UsageError("no plug-in module at '" + path + "'");
    }
    module_ = std::make_unique<LoadedModule>(path);
    if (!module_->Loaded()) {
        throw UsageError("'" + path + "' is not a loadable plug-in module (" + module_->Error() +
                         ")");
    }
    std::string missing;
    version = Export<decltype(version)>(*module_, "FinaleExtensionVersion", missing);
    init = Export<decltype(init)>(*module_, "FinaleExtensionInit", missing);
    enumerate = Export<decltype(enumerate)>(*module_, "FinaleExtensionEnumerate", missing);
    enumerateUtf16 =
        Export<decltype(enumerateUtf16)>(*module_, "FinaleExtensionEnumerate_UTF16", missing);
    invoke = Export<decltype(invoke)>(*module_, "FinaleExtensionInvoke", missing);
    menuStatus = Export<decltype(menuStatus)>(*module_, "FinaleExtensionGetMenuStatus", missing);
    terminate = Export<decltype(terminate)>(*module_, "FinaleExtensionTerminate", missing);
    if (!missing.empty()) throw UsageError("'" + path + "' does not export " + missing);
}

}  // namespace standin
