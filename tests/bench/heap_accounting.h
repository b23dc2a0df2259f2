// The plug-in's own heap use, told apart from the host's: the benchmark
// binary replaces the global allocation functions, and every block remembers
// whether the plug-in asked for it while it was running outside a host call.
// The benchmark is single-threaded, so the accounts need no locks.
#pragma once

#include <cstdint>

namespace heap_accounting {

struct PlugInHeap {
    uint64_t liveBytes = 0;
    uint64_t peakBytes = 0;
    uint64_t allocations = 0;
};

const PlugInHeap &PlugIn();

// Starts a new peak at the bytes live now.
void RestartPeak();

// Allocations inside a scope are the plug-in's, unless the host is at work
// in one of its FX_ functions (standin::HostCallScope).
class PlugInScope {
public:
    PlugInScope();
    ~PlugInScope();
    PlugInScope(const PlugInScope &) = delete;
    PlugInScope &operator=(const PlugInScope &) = delete;
};

}  // namespace heap_accounting
