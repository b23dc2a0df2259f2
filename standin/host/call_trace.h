// What the stand-in host saw: one entry per call of one of its FX_
// functions, with the arguments as they came in and went out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interface/host_functions.h"
#include "standin/host/record_store.h"

namespace standin {

struct HostCall {
    std::string function;  // "FX_LoadEData", ...
    uint32_t tag = 0;
    int16_t itemIn = 0, inciIn = 0;
    int16_t itemOut = 0, inciOut = 0;
    bool hasKey = false;
    bool hasSize = false;  // load: room offered in, size reported out
    int32_t sizeIn = 0, sizeOut = 0;
    bool hasLength = false;  // save and create: bytes handed over
    int32_t length = 0;
    std::vector<int32_t> arguments;  // slot to instrument, update layout
    uint32_t version = 0;
    int32_t result = 0;
    Bytes data;  // the bytes loaded into the caller's buffer, saved or created
    // A save over a record the host held: its bytes before, as the caller
    // sees them.
    bool replaced = false;
    Bytes earlier;

    bool Is(hostdata::HostFunction other) const { return function == hostdata::NameOf(other); }

    // One line, for example
    //   FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000 -> 1 size 28
    std::string ToString() const;
};

// A header naming the fields, then one line per call; under each save that
// replaced a record, the bytes it changed.
std::string TraceText(const std::vector<HostCall> &trace);
// The header alone, and the lines of one call.
std::string TraceHeader();
std::string TraceLines(const HostCall &call);

// "bytes 2-3: 24 00 -> 90 00", a run of changed bytes to a part; "no byte
// changed" when none did.
std::string ChangedBytes(const Bytes &before, const Bytes &after);

}  // namespace standin
