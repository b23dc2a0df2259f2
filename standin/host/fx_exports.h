// The host's functions as the stand-in host defines them (fx_exports.cpp),
// with C linkage and exported from the program, where the plug-in looks
// them up by name.
#pragma once

#include "interface/fx_host_api.h"

#if defined(_WIN32)
#define STANDIN_EXPORT __declspec(dllexport)
#else
#define STANDIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
#define STANDIN_DECLARE_EXPORT(name, result, parameters, arguments, shape) \
    STANDIN_EXPORT result FX_##name parameters;
FX_HOST_FUNCTIONS(STANDIN_DECLARE_EXPORT)
#undef STANDIN_DECLARE_EXPORT
}
