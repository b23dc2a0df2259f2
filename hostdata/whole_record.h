// A record the host reports longer than the room it was offered. From one
// load the plug-in cannot tell a host whose record is longer from one that
// reports more than it holds; loading again with room for all of it, twice
// over different fill bytes, tells them apart.
#pragma once

#include <cstdint>
#include <vector>

#include "hostdata/host_calls.h"

namespace hostdata {

// The longest record asked for again in full. A host that reports more is
// not believed: its record is read only as far as the room, and never saved.
constexpr int32_t kLongestWholeRecord = 4096;

struct SeenRecord {
    // True when both loads succeeded, reported `size` and wrote all of it
    // alike: the host holds exactly these bytes.
    bool whole = false;
    // The bytes both loads wrote alike, from the start: all `size` of them
    // when whole.
    std::vector<uint8_t> bytes;
};

// Loads (tag, key) twice with room for `size` (above 0) bytes, into
// buffers filled first with 0x00 and with 0xFF: a byte the host does not
// write differs between them. The key the host may move in one load is the
// caller's own again for the other. A size past kLongestWholeRecord is not
// asked for: nothing is seen.
SeenRecord LoadWholeRecord(uint32_t tag, DataKey key, int32_t size, uint32_t version);

}  // namespace hostdata
