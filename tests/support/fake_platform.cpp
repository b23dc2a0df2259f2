#include "tests/support/fake_platform.h"

#include <map>

#include "platform/host_module.h"
#include "standin/host/fx_exports.h"

namespace fake_platform {
namespace {

Setup setup;
std::vector<std::string> moduleLookups;
std::map<std::string, int> exportLookups;
int programHandle;  // its address is the fake module handle

template <typename Function>
platform::ExportedFunction Erase(Function function) {
    return reinterpret_cast<platform::ExportedFunction>(function);
}

const std::map<std::string, platform::ExportedFunction> &HostFunctions() {
    static const std::map<std::string, platform::ExportedFunction> functions{
        {"FX_LoadEData", Erase(&FX_LoadEData)},
        {"FX_SaveEData", Erase(&FX_SaveEData)},
        {"FX_CreateEData", Erase(&FX_CreateEData)},
        {"FX_DeleteEData", Erase(&FX_DeleteEData)},
        {"FX_NextEData", Erase(&FX_NextEData)},
        {"FX_SlotToInst", Erase(&FX_SlotToInst)},
        {"FX_UpdateLayout", Erase(&FX_UpdateLayout)},
        {"FX_GetCurrentEnigmaDocument", Erase(&FX_GetCurrentEnigmaDocument)},
        {"FX_GetCurrentPartID", Erase(&FX_GetCurrentPartID)},
    };
    return functions;
}

}  // namespace

void Reset(Setup newSetup) {
    setup = std::move(newSetup);
    moduleLookups.clear();
    exportLookups.clear();
}

const std::vector<std::string> &ModuleLookups() { return moduleLookups; }

int ExportLookups(const std::string &name) {
    const auto found = exportLookups.find(name);
    return found == exportLookups.end() ? 0 : found->second;
}

}  // namespace fake_platform

namespace platform {

ModuleHandle FindLoadedModule(const char *fileName) {
    fake_platform::moduleLookups.push_back(fileName);
    return fake_platform::setup.programName == fileName ? &fake_platform::programHandle : nullptr;
}

ExportedFunction FindExport(ModuleHandle module, const char *name) {
    ++fake_platform::exportLookups[name];
    // No module stands for the program itself, as on Windows.
    if (module != nullptr && module != &fake_platform::programHandle) return nullptr;
    if (fake_platform::setup.absentFunctions.count(name) != 0) return nullptr;
    const auto &functions = fake_platform::HostFunctions();
    const auto found = functions.find(name);
    return found == functions.end() ? nullptr : found->second;
}

}  // namespace platform
