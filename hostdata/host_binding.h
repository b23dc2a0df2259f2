// Lazy binding of the host's functions. The host module is looked up once,
// as "FINALE.EXE" and failing that "FINDEMO.EXE"; each function is looked up
// by its exact name on first use. Every result, found or not, is kept for the
// life of the module: a host that lacks a function lacks it for good.
#pragma once

#include "interface/fx_host_api.h"

namespace hostdata {

// Bound<name>() for each host function: the bound function, looked up on
// the first call only; null when the host lacks it.
#define HOSTDATA_BOUND(name, result, parameters, arguments, shape) FX_##name##_fn Bound##name();
FX_HOST_FUNCTIONS(HOSTDATA_BOUND)
#undef HOSTDATA_BOUND

// Forgets the host module and every function looked up. A host never needs
// this; a test process plays one host after another and does.
void ForgetHostBinding();

}  // namespace hostdata
