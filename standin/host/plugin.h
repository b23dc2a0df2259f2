// A loaded plug-in module with its seven exports, as the host drives it.
#pragma once

#include <memory>
#include <string>

#include "interface/finale_extension.h"
#include "standin/platform/errors.h"
#include "standin/platform/module_loader.h"

namespace standin {

// Throws UsageError unless the file's headers are those of a module this
// build can load: a file that is no module at all (a document, say), or a
// module for another system, is bad input however it would fail to load.
// Reads the file; loads nothing.
void RequireModuleOfThisPlatform(const std::string &path);

class Plugin {
public:
    // Loads the module and finds all seven exports; throws UsageError when
    // the file is missing, is not a module, or lacks an export (naming
    // every one it lacks).
    explicit Plugin(const std::string &path);

    decltype(&FinaleExtensionVersion) version;
    decltype(&FinaleExtensionInit) init;
    decltype(&FinaleExtensionEnumerate) enumerate;
    decltype(&FinaleExtensionEnumerate_UTF16) enumerateUtf16;
    decltype(&FinaleExtensionInvoke) invoke;
    decltype(&FinaleExtensionGetMenuStatus) menuStatus;
    decltype(&FinaleExtensionTerminate) terminate;

private:
    std::unique_ptr<LoadedModule> module_;
};

}  // namespace standin
