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

// While an invoke is recorded, each hands out a function that records the
// call on its way to the host (wire_recording.h).
template <typename Function>
Function Recorded(Function function, Function (*recorded)(Function)) {
    return RecordingStarted() ? recorded(function) : function;
}

}  // namespace

FX_LoadEData_fn BoundLoadEData() {
    return Recorded(Bind<FX_LoadEData_fn>(loadEData), &RecordedLoadEData);
}
FX_SaveEData_fn BoundSaveEData() {
    return Recorded(Bind<FX_SaveEData_fn>(saveEData), &RecordedSaveEData);
}
FX_CreateEData_fn BoundCreateEData() {
    return Recorded(Bind<FX_CreateEData_fn>(createEData), &RecordedCreateEData);
}
FX_DeleteEData_fn BoundDeleteEData() {
    return Recorded(Bind<FX_DeleteEData_fn>(deleteEData), &RecordedDeleteEData);
}
FX_NextEData_fn BoundNextEData() {
    return Recorded(Bind<FX_NextEData_fn>(nextEData), &RecordedNextEData);
}
FX_SlotToInst_fn BoundSlotToInst() {
    return Recorded(Bind<FX_SlotToInst_fn>(slotToInst), &RecordedSlotToInst);
}
FX_UpdateLayout_fn BoundUpdateLayout() {
    return Recorded(Bind<FX_UpdateLayout_fn>(updateLayout), &RecordedUpdateLayout);
}
FX_GetCurrentEnigmaDocument_fn BoundGetCurrentEnigmaDocument() {
    return Recorded(Bind<FX_GetCurrentEnigmaDocument_fn>(currentDocument),
                    &RecordedGetCurrentEnigmaDocument);
}
FX_GetCurrentPartID_fn BoundGetCurrentPartID() {
    return Recorded(Bind<FX_GetCurrentPartID_fn>(currentPart), &RecordedGetCurrentPartID);
}

void ForgetHostBinding() {
    hostModule = ModuleBinding{};
    for (FunctionBinding *binding : {&loadEData, &saveEData, &createEData, &deleteEData, &nextEData,
                                     &slotToInst, &updateLayout, &currentDocument, &currentPart}) {
        *binding = FunctionBinding{binding->name};
    }
}

}  // namespace hostdata
