// The host's share of a command: the calls the command made, as the host's
// trace recorded them, made again with the same arguments in the same order
// and nothing around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interface/host_functions.h"
#include "standin/host/call_trace.h"
#include "standin/host/host.h"

namespace standin {

class TraceReissue {
public:
    explicit TraceReissue(const std::vector<HostCall> &trace);

    // Empty when every call can be made again; otherwise the first that
    // cannot.
    const std::string &Problem() const { return problem_; }
    std::size_t CallCount() const { return calls_.size(); }

    // Makes the calls on `host`, as its FX_ functions would.
    void Run(Host &host) const;

private:
    struct Call {
        hostdata::HostFunction function;
        uint32_t tag;
        int16_t item, inci;
        int32_t size;  // room offered to a load, length of a save or create
        int32_t first, second;
        uint32_t version;
        std::vector<uint8_t> data;
    };
    template <hostdata::CallShape shape, typename Method>
    static void Make(Host &host, Method method, const Call &call, uint8_t *buffer);

    std::vector<Call> calls_;
    std::size_t largestRoom_ = 0;
    std::string problem_;
};

// The first difference between two traces, or empty when they are the same
// calls with the same bytes and results.
std::string TraceDifference(const std::vector<HostCall> &expected,
                            const std::vector<HostCall> &actual);

// Makes the calls `byCommand` recorded again on a copy of `document`, the
// host the command started from, and answers how the replay differs from
// the command: a call that cannot be made again, another call, or another
// document in the end; empty when it is the same.
std::string ReissueDifference(const Host &document, const Host &byCommand);

}  // namespace standin
