// The stand-in host: an in-memory document and the host's side of the nine
// data functions over it, with a trace of every call and failure injection.
// The exported FX_ functions (fx_exports.cpp) serve the current host.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "interface/fx_host_api.h"
#include "standin/host/call_trace.h"
#include "standin/host/record_store.h"

namespace standin {

// Marks the time the host spends inside one of its FX_ functions, so that a
// test can tell the host's own work (its allocations, say) from the
// plug-in's.
class HostCallScope {
public:
    HostCallScope() { ++depth_; }
    ~HostCallScope() { --depth_; }
    HostCallScope(const HostCallScope &) = delete;
    HostCallScope &operator=(const HostCallScope &) = delete;

    static bool Active() { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

class Host {
public:
    Host() = default;
    Host(const Host &) = default;
    Host(Host &&) = default;
    Host &operator=(const Host &) = default;
    Host &operator=(Host &&) = default;
    virtual ~Host() = default;

    // Full size of a staff system record, and where its first measure is.
    static constexpr std::size_t kStaffSystemSize = 28;
    static constexpr std::size_t kFirstMeasureOffset = 8;

    RecordStore &Records() { return records_; }
    const RecordStore &Records() const { return records_; }

    // Measure records are kept once, in the 30-byte layout; callers that ask
    // with an older version see and save the 26-byte layout.
    void PutMeasure(int16_t number, Bytes longLayout);

    // Staff slot -> staff number, for FX_SlotToInst.
    std::map<uint16_t, int16_t> &Slots() { return slots_; }

    // System item number -> first measure once laid out, for FX_UpdateLayout.
    std::map<int16_t, int16_t> &Layout() { return layout_; }

    void SetCurrentPart(int32_t part) { currentPart_ = part; }
    int32_t CurrentPart() const { return currentPart_; }
    void SetDocumentId(int16_t id) { documentId_ = id; }

    // A call for which the predicate answers true fails (answers 0) and
    // changes nothing; it is traced with its failed result.
    void FailCallsWhere(std::function<bool(const HostCall &)> predicate) {
        failWhere_ = std::move(predicate);
    }
    // From now on every call fails, as a host with nothing more to give
    // answers; for good.
    void RefuseEveryCall() { refusing_ = true; }
    bool RefusesEveryCall() const { return refusing_; }

    // After a load that succeeded, the size reported to the caller is
    // whatever `bend` makes of it, given the room offered: a host that
    // misreports sizes.
    void BendLoadSizes(std::function<void(int32_t room, int32_t *size)> bend) {
        bendLoadSizes_ = std::move(bend);
    }

    // Each call, as the trace takes it, also goes to `watcher`: a caller
    // that may not live to read the trace still sees every call.
    void WatchCalls(std::function<void(const HostCall &)> watcher) {
        watcher_ = std::move(watcher);
    }

    const std::vector<HostCall> &Trace() const { return trace_; }
    void ClearTrace() { trace_.clear(); }
    // A host that keeps no trace does only a real host's work; on by default.
    void SetTracing(bool on) { tracing_ = on; }

    // The host's side of each function of fx_host_api.h, with its exact
    // signature. A host that answers from elsewhere (a recording) overrides
    // them all.
#define STANDIN_HOST_FUNCTION(name, result, parameters, arguments, shape) \
    virtual result name parameters;
    FX_HOST_FUNCTIONS(STANDIN_HOST_FUNCTION)
#undef STANDIN_HOST_FUNCTION

    // The host the exported FX_ functions serve; null makes them fail.
    static Host *Current();
    static void SetCurrent(Host *host);

protected:
    // Takes the call into the trace (and to the watcher); answers its result.
    int32_t Record(HostCall call);

private:
    bool ShouldFail(const HostCall &call) const {
        return refusing_ || (failWhere_ && failWhere_(call));
    }

    RecordStore records_;
    std::map<uint16_t, int16_t> slots_;
    std::map<int16_t, int16_t> layout_;
    int32_t currentPart_ = 0;
    int16_t documentId_ = 1;
    std::function<bool(const HostCall &)> failWhere_;
    std::function<void(int32_t, int32_t *)> bendLoadSizes_;
    std::function<void(const HostCall &)> watcher_;
    std::vector<HostCall> trace_;
    bool tracing_ = true;
    bool refusing_ = false;
};

// The measure record a caller sees at a data version, from the stored
// 30-byte record, and the stored record after a caller saved `bytes`.
Bytes MeasureInLayout(const Bytes &longLayout, uint32_t version);
Bytes MeasureFromLayout(const Bytes &saved, uint32_t version, const Bytes &longLayout);

}  // namespace standin
