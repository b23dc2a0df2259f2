#include "hostdata/host_binding.h"

#include "hostdata/wire_recording.h"
#include "interface/host_functions.h"
#include "platform/host_module.h"

namespace hostdata {
namespace {

struct ModuleBinding {
    bool lookedUp = false;
    platform::ModuleHandle handle = nullptr;
};

struct FunctionBinding {
    bool lookedUp = false;
    platform::ExportedFunction address = nullptr;
};

ModuleBinding hostModule;
FunctionBinding functions[kHostFunctionCount];

platform::ModuleHandle HostModule() {
    if (!hostModule.lookedUp) {
        hostModule.handle = platform::FindLoadedModule("FINALE.EXE");
        if (hostModule.handle == nullptr) {
            hostModule.handle = platform::FindLoadedModule("FINDEMO.EXE");
        }
        hostModule.lookedUp = true;
    }
    return hostModule.handle;
}

// While an invoke is recorded, the function handed out records the call on
// its way to the host (wire_recording.h).
template <HostFunction function>
HostFunctionPointer<function> Bind() {
    FunctionBinding &binding = functions[static_cast<std::size_t>(function)];
    if (!binding.lookedUp) {
        binding.address = platform::FindExport(HostModule(), NameOf(function));
        binding.lookedUp = true;
    }
    const auto bound = reinterpret_cast<HostFunctionPointer<function>>(binding.address);
    return RecordingStarted() ? Recorded<function>(bound) : bound;
}

}  // namespace

#define HOSTDATA_BOUND(name, result, parameters, arguments, shape) \
    FX_##name##_fn Bound##name() { return Bind<HostFunction::name>(); }
FX_HOST_FUNCTIONS(HOSTDATA_BOUND)
#undef HOSTDATA_BOUND

void ForgetHostBinding() {
    hostModule = ModuleBinding{};
    for (FunctionBinding &binding : functions) binding = FunctionBinding{};
}

}  // namespace hostdata
