// Windows: the copy is a file in the temporary folder, removed once the
// copy is no longer loaded.
#include <windows.h>

#include <stdexcept>

#include "standin/platform/wide_text_win32.h"
#include "standin/validator/module_copy.h"

namespace standin::validator {

ModuleCopy::ModuleCopy(const std::string &module) {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t file[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"fxt", 0, file) == 0 ||
        !CopyFileW(Wide(module).c_str(), file, FALSE)) {
        if (file[0] != L'\0') DeleteFileW(file);
        throw std::runtime_error("no copy of the module could be made");
    }
    path_ = Narrow(file);
}

ModuleCopy::~ModuleCopy() { DeleteFileW(Wide(path_).c_str()); }

void ModuleCopy::Loaded() {}

}  // namespace standin::validator
