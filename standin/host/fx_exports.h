// The nine FX_ functions as the stand-in host defines them (fx_exports.cpp),
// with C linkage and exported from the program, where the plug-in looks
// them up by name.
#pragma once

#include "hostdata/fx_host_api.h"

#if defined(_WIN32)
#define STANDIN_EXPORT __declspec(dllexport)
#else
#define STANDIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
STANDIN_EXPORT int16_t FX_LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                                    uint32_t version);
STANDIN_EXPORT int16_t FX_SaveEData(uint32_t tag, FxDataKey *key, const void *buffer,
                                    int32_t length, uint32_t version);
STANDIN_EXPORT int16_t FX_CreateEData(uint32_t tag, FxDataKey *key, const void *buffer,
                                      int32_t length, uint32_t version);
STANDIN_EXPORT int16_t FX_DeleteEData(uint32_t tag, FxDataKey *key, uint32_t version);
STANDIN_EXPORT int16_t FX_NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                                    uint32_t version);
STANDIN_EXPORT int16_t FX_SlotToInst(uint32_t slot, uint32_t context, uint32_t version);
STANDIN_EXPORT int32_t FX_UpdateLayout(int32_t what, int32_t option, uint32_t version);
STANDIN_EXPORT int16_t FX_GetCurrentEnigmaDocument(uint32_t version);
STANDIN_EXPORT int32_t FX_GetCurrentPartID(uint32_t version);
}
