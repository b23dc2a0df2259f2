// The host's data functions, exported by name from the stand-in host
// program exactly as the plug-in looks them up. Each serves the current
// Host. A build can leave chosen functions out (STANDIN_WITHOUT_<name>) to
// play a host that lacks them.
#include "standin/host/fx_exports.h"

#include "standin/host/host.h"

using standin::Host;
using standin::HostCallScope;

extern "C" {

#ifndef STANDIN_WITHOUT_FX_LoadEData
STANDIN_EXPORT int16_t FX_LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                                    uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->LoadEData(tag, key, buffer, size, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_SaveEData
STANDIN_EXPORT int16_t FX_SaveEData(uint32_t tag, FxDataKey *key, const void *buffer,
                                    int32_t length, uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->SaveEData(tag, key, buffer, length, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_CreateEData
STANDIN_EXPORT int16_t FX_CreateEData(uint32_t tag, FxDataKey *key, const void *buffer,
                                      int32_t length, uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->CreateEData(tag, key, buffer, length, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_DeleteEData
STANDIN_EXPORT int16_t FX_DeleteEData(uint32_t tag, FxDataKey *key, uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->DeleteEData(tag, key, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_NextEData
STANDIN_EXPORT int16_t FX_NextEData(uint32_t tag, FxDataKey *key, void *, void *,
                                    uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->NextEData(tag, key, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_SlotToInst
STANDIN_EXPORT int16_t FX_SlotToInst(uint32_t slot, uint32_t context, uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->SlotToInst(slot, context, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_UpdateLayout
STANDIN_EXPORT int32_t FX_UpdateLayout(int32_t what, int32_t option, uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->UpdateLayout(what, option, version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_GetCurrentEnigmaDocument
STANDIN_EXPORT int16_t FX_GetCurrentEnigmaDocument(uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->GetCurrentEnigmaDocument(version) : 0;
}
#endif

#ifndef STANDIN_WITHOUT_FX_GetCurrentPartID
STANDIN_EXPORT int32_t FX_GetCurrentPartID(uint32_t version) {
    const HostCallScope scope;
    return Host::Current() ? Host::Current()->GetCurrentPartID(version) : 0;
}
#endif

}  // extern "C"
