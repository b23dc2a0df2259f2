// The host's functions as the benchmark serves them: the stand-in host's, with
// the heap they use booked to the host rather than to the plug-in.
#include "hostdata/fx_host_api.h"
#include "standin/host.h"
#include "tests/bench/heap_accounting.h"

using heap_accounting::HostScope;
using standin::Host;

extern "C" {

int16_t FX_LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                     uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->LoadEData(tag, key, buffer, size, version) : 0;
}

int16_t FX_SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                     uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->SaveEData(tag, key, buffer, length, version) : 0;
}

int16_t FX_CreateEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                       uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->CreateEData(tag, key, buffer, length, version) : 0;
}

int16_t FX_DeleteEData(uint32_t tag, FxDataKey *key, uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->DeleteEData(tag, key, version) : 0;
}

int16_t FX_NextEData(uint32_t tag, FxDataKey *key, void *, void *, uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->NextEData(tag, key, version) : 0;
}

int16_t FX_SlotToInst(uint32_t slot, uint32_t context, uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->SlotToInst(slot, context, version) : 0;
}

int32_t FX_UpdateLayout(int32_t what, int32_t option, uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->UpdateLayout(what, option, version) : 0;
}

int16_t FX_GetCurrentEnigmaDocument(uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->GetCurrentEnigmaDocument(version) : 0;
}

int32_t FX_GetCurrentPartID(uint32_t version) {
    const HostScope scope;
    return Host::Current() ? Host::Current()->GetCurrentPartID(version) : 0;
}

}  // extern "C"
