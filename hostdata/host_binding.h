// Lazy binding of the host's functions. The host module is looked up once,
// as "FINALE.EXE" and failing that "FINDEMO.EXE"; each function is looked up
// by its exact name on first use. Every result, found or not, is kept for the
// life of the module: a host that lacks a function lacks it for good.
#pragma once

#include "hostdata/fx_host_api.h"

namespace hostdata {

// Each returns the bound function, looking it up on the first call only;
// null when the host lacks it.
FX_LoadEData_fn BoundLoadEData();
FX_SaveEData_fn BoundSaveEData();
FX_CreateEData_fn BoundCreateEData();
FX_DeleteEData_fn BoundDeleteEData();
FX_NextEData_fn BoundNextEData();
FX_SlotToInst_fn BoundSlotToInst();
FX_UpdateLayout_fn BoundUpdateLayout();
FX_GetCurrentEnigmaDocument_fn BoundGetCurrentEnigmaDocument();
FX_GetCurrentPartID_fn BoundGetCurrentPartID();

// Forgets the host module and every function looked up. A host never needs
// this; a test process plays one host after another and does.
void ForgetHostBinding();

}  // namespace hostdata
