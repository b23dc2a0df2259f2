// A loaded plug-in module with its seven exports, as the host drives it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "shell/finale_extension.h"
#include "standin/module_loader.h"

namespace standin {

// Bad input to the host program: the message names what was wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
