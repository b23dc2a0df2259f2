#include "standin/host/trace_reissue.h"

#include <algorithm>

namespace standin {
namespace {

using hostdata::CallShape;

// A room larger than this is not a buffer any caller has.
constexpr int32_t kLargestReissuedRoom = 1 << 20;

template <typename Method>
struct FirstParameter;
template <typename Result, typename First, typename... Rest>
struct FirstParameter<Result (Host::*)(First, Rest...)> {
    using type = First;
};

}  // namespace

TraceReissue::TraceReissue(const std::vector<HostCall> &trace) {
    calls_.reserve(trace.size());
    for (const HostCall &traced : trace) {
        const hostdata::HostFunctionFacts *facts = hostdata::FindHostFunction(traced.function);
        if (facts == nullptr || (traced.hasSize && traced.sizeIn > kLargestReissuedRoom)) {
            problem_ = "cannot replay " + traced.ToString();
            return;
        }
        Call call{hostdata::FunctionOf(*facts),
                  traced.tag,
                  traced.itemIn,
                  traced.inciIn,
                  traced.hasSize ? traced.sizeIn : traced.length,
                  traced.arguments.size() > 0 ? traced.arguments[0] : 0,
                  traced.arguments.size() > 1 ? traced.arguments[1] : 0,
                  traced.version,
                  {}};
        if (facts->shape == CallShape::TakesBuffer) {
            call.data = traced.data;
        }
        if (facts->shape == CallShape::FillsBuffer && call.size > 0) {
            largestRoom_ = std::max(largestRoom_, static_cast<std::size_t>(call.size));
        }
        calls_.push_back(std::move(call));
    }
}

template <CallShape shape, typename Method>
void TraceReissue::Make(Host &host, Method method, const Call &call, uint8_t *buffer) {
    FxDataKey key{call.item, call.inci};
    if constexpr (shape == CallShape::FillsBuffer) {
        int32_t size = call.size;
        (host.*method)(call.tag, &key, buffer, &size, call.version);
    } else if constexpr (shape == CallShape::TakesBuffer) {
        (host.*method)(call.tag, &key, call.data.data(), call.size, call.version);
    } else if constexpr (shape == CallShape::Keyed) {
        (host.*method)(call.tag, &key, call.version);
    } else if constexpr (shape == CallShape::Steps) {
        (host.*method)(call.tag, &key, nullptr, nullptr, call.version);
    } else if constexpr (shape == CallShape::TwoNumbers) {
        // Unsigned numbers travel in the trace as the 32 bits they are.
        using First = typename FirstParameter<Method>::type;
        (host.*method)(static_cast<First>(call.first), static_cast<First>(call.second),
                       call.version);
    } else {
        (host.*method)(call.version);
    }
}

void TraceReissue::Run(Host &host) const {
    std::vector<uint8_t> buffer(largestRoom_);
    for (const Call &call : calls_) {
        switch (call.function) {
#define STANDIN_REPLAY_CALL(name, result, parameters, arguments, shape) \
    case hostdata::HostFunction::name:                                  \
        Make<CallShape::shape>(host, &Host::name, call, buffer.data()); \
        break;
            FX_HOST_FUNCTIONS(STANDIN_REPLAY_CALL)
#undef STANDIN_REPLAY_CALL
        }
    }
}

std::string TraceDifference(const std::vector<HostCall> &expected,
                            const std::vector<HostCall> &actual) {
    for (std::size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        if (expected[i].ToString() != actual[i].ToString() || expected[i].data != actual[i].data) {
            return "call " + std::to_string(i + 1) + ": expected " + expected[i].ToString() +
                   ", made " + actual[i].ToString();
        }
    }
    if (expected.size() != actual.size()) {
        return std::to_string(expected.size()) + " calls expected, " +
               std::to_string(actual.size()) + " made";
    }
    return {};
}

std::string ReissueDifference(const Host &document, const Host &byCommand) {
    const TraceReissue reissue(byCommand.Trace());
    if (!reissue.Problem().empty()) return reissue.Problem();
    Host byReissue = document;
    byReissue.ClearTrace();
    byReissue.SetTracing(true);
    reissue.Run(byReissue);
    std::string difference = TraceDifference(byCommand.Trace(), byReissue.Trace());
    if (!difference.empty()) return difference;
    if (byCommand.Records().All() != byReissue.Records().All()) {
        return "the replay left another document than the command";
    }
    return {};
}

}  // namespace standin
