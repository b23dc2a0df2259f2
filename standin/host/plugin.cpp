#include "standin/host/plugin.h"

#include <cstdint>
#include <cstring>

#include "interface/record_bytes.h"
#include "standin/platform/file_access.h"

namespace standin {
namespace {

#if defined(_WIN32)
constexpr const char *kOwnKind = "a 64-bit Windows module";
constexpr const char *kOwnBuild = "the Windows build";
#else
constexpr const char *kOwnKind = "a 64-bit Linux shared object";
constexpr const char *kOwnBuild = "the Linux build";
#endif

// What kind of module the file is, from its headers: "a 64-bit Windows
// module", "a 32-bit Linux shared object"...; empty when it is neither.
std::string ModuleKind(const std::string &path) {
    constexpr std::size_t kElfClass = 4, kPeOffsetAt = 0x3C, kPeHeaderBytes = 6;
    constexpr std::size_t kLargestModule = std::size_t{256} << 20;
    constexpr uint16_t kAmd64 = 0x8664, kI386 = 0x014C;
    std::string file;
    try {
        file = ReadRegularFile(path, kLargestModule);
    } catch (const std::exception &) {
        return "";
    }
    const auto *head = reinterpret_cast<const uint8_t *>(file.data());
    if (file.size() < 64) return "";
    constexpr uint8_t kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
    if (std::memcmp(head, kElfMagic, sizeof kElfMagic) == 0) {
        return head[kElfClass] == 2 ? "a 64-bit Linux shared object"
                                    : "a 32-bit Linux shared object";
    }
    if (head[0] != 'M' || head[1] != 'Z') return "";
    const std::size_t pe = hostdata::ReadU32(head, kPeOffsetAt);
    if (pe > file.size() || file.size() - pe < kPeHeaderBytes ||
        std::memcmp(head + pe, "PE\0\0", 4) != 0) {
        return "";
    }
    const uint16_t machine = hostdata::ReadU16(head + pe, 4);
    return machine == kAmd64  ? "a 64-bit Windows module"
           : machine == kI386 ? "a 32-bit Windows module"
                              : "a Windows module for another processor";
}

// Looks one export up; a missing one is added to `missing`.
template <typename Function>
Function Export(const LoadedModule &module, const char *name, std::string &missing) {
    const auto found = module.Find(name);
    if (found == nullptr) missing += (missing.empty() ? "" : ", ") + std::string(name);
    return reinterpret_cast<Function>(found);
}

[[noreturn]] void ForAnotherSystem(const std::string &path, const std::string &kind) {
    throw UsageError("'" + path + "' is " + kind + ", but this FINALE.EXE is " + kOwnBuild +
                     ", which loads only " + std::string(kOwnKind).substr(2) + "s");
}

}  // namespace

void RequireModuleOfThisPlatform(const std::string &path) {
    const std::string kind = ModuleKind(path);
    if (kind.empty()) {
        throw UsageError("'" + path +
                         "' is not a loadable plug-in module (neither a Windows module nor a "
                         "Linux shared object)");
    }
    if (kind != kOwnKind) ForAnotherSystem(path, kind);
}

Plugin::Plugin(const std::string &path) {
    if (path == "-") {
        throw UsageError(
            "'-' would be standard input, which FINALE.EXE reads no module from; "
            "give the module's path (./- for a file named -)");
    }
    if (!FactsOf(path).exists) {
        throw UsageError("no plug-in module at '" + path + "'");
    }
    module_ = std::make_unique<LoadedModule>(path);
    if (!module_->Loaded()) {
        // The system's own words for a module built for another system say
        // nothing of the kind ("invalid ELF header", "Windows error 193").
        const std::string kind = ModuleKind(path);
        if (!kind.empty() && kind != kOwnKind) ForAnotherSystem(path, kind);
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
