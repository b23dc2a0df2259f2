#include "hostdata/host_binding.h"

#include <initializer_list>

#include "hostdata/wire_recording.h"
#include "platform/host_module.h"

namespace hostdata {
namespace {

struct ModuleBinding {
    bool lookedUp = false;
    platform::ModuleHandle handle = nullptr;
};

struct FunctionBinding {
    const char *name;
    bool lookedUp = false;
    platform::ExportedFunction address = nullptr;
};

ModuleBinding hostModule;

FunctionBinding loadEData{"FX_LoadEData"};
FunctionBinding saveEData{"FX_SaveEData"};
FunctionBinding createEData{"FX_CreateEData"};
FunctionBinding deleteEData{"FX_DeleteEData"};
FunctionBinding nextEData{"FX_NextEData"};
FunctionBinding slotToInst{"FX_SlotToInst"};
FunctionBinding updateLayout{"FX_UpdateLayout"};
FunctionBinding currentDocument{"FX_GetCurrentEnigmaDocument"};
FunctionBinding currentPart{"FX_GetCurrentPartID"};

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

template <typename Function>
Function Bind(FunctionBinding &binding) {
    if (!binding.lookedUp) {
        binding.address = platform::FindExport(HostModule(), binding.name);
        binding.lookedUp = true;
    }
    return reinterpret_cast<Function>(binding.address);
}

}  // namespace

// While an invoke is recorded, each hands out a function that records the
// call on its way to the host (wire_recording.h).
FX_LoadEData_fn BoundLoadEData() { return RecordedLoadEData(Bind<FX_LoadEData_fn>(loadEData)); }
FX_SaveEData_fn BoundSaveEData() { return RecordedSaveEData(Bind<FX_SaveEData_fn>(saveEData)); }
FX_CreateEData_fn BoundCreateEData() {
    return RecordedCreateEData(Bind<FX_CreateEData_fn>(createEData));
}
FX_DeleteEData_fn BoundDeleteEData() {
    return RecordedDeleteEData(Bind<FX_DeleteEData_fn>(deleteEData));
}
FX_NextEData_fn BoundNextEData() { return RecordedNextEData(Bind<FX_NextEData_fn>(nextEData)); }
FX_SlotToInst_fn BoundSlotToInst() {
    return RecordedSlotToInst(Bind<FX_SlotToInst_fn>(slotToInst));
}
FX_UpdateLayout_fn BoundUpdateLayout() {
    return RecordedUpdateLayout(Bind<FX_UpdateLayout_fn>(updateLayout));
}
FX_GetCurrentEnigmaDocument_fn BoundGetCurrentEnigmaDocument() {
    return RecordedGetCurrentEnigmaDocument(
        Bind<FX_GetCurrentEnigmaDocument_fn>(currentDocument));
}
FX_GetCurrentPartID_fn BoundGetCurrentPartID() {
    return RecordedGetCurrentPartID(Bind<FX_GetCurrentPartID_fn>(currentPart));
}

void ForgetHostBinding() {
    hostModule = ModuleBinding{};
    for (FunctionBinding *binding : {&loadEData, &saveEData, &createEData, &deleteEData,
                                     &nextEData, &slotToInst, &updateLayout, &currentDocument,
                                     &currentPart}) {
        *binding = FunctionBinding{binding->name};
    }
}

}  // namespace hostdata
