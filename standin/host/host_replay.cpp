#include "standin/host/host_replay.h"

#include <algorithm>
#include <map>

namespace standin {
namespace {

// A room larger than this is not a buffer any caller has.
constexpr int32_t kLargestReplayedRoom = 1 << 20;

}  // namespace

HostReplay::HostReplay(const std::vector<HostCall> &trace) {
    static const std::map<std::string, Function> functions{
        {"FX_LoadEData", Function::Load},
        {"FX_SaveEData", Function::Save},
        {"FX_CreateEData", Function::Create},
        {"FX_DeleteEData", Function::Delete},
        {"FX_NextEData", Function::Next},
        {"FX_SlotToInst", Function::SlotToInst},
        {"FX_UpdateLayout", Function::UpdateLayout},
        {"FX_GetCurrentEnigmaDocument", Function::CurrentDocument},
        {"FX_GetCurrentPartID", Function::CurrentPart},
    };
    calls_.reserve(trace.size());
    for (const HostCall &traced : trace) {
        const auto found = functions.find(traced.function);
        if (found == functions.end() || (traced.hasSize && traced.sizeIn > kLargestReplayedRoom)) {
            problem_ = "cannot replay " + traced.ToString();
            return;
        }
        Call call{found->second,
                  traced.tag,
                  static_cast<uint16_t>(traced.itemIn),
                  static_cast<uint16_t>(traced.inciIn),
                  traced.hasSize ? traced.sizeIn : traced.length,
                  traced.arguments.size() > 0 ? traced.arguments[0] : 0,
                  traced.arguments.size() > 1 ? traced.arguments[1] : 0,
                  traced.version,
                  {}};
        if (call.function == Function::Save || call.function == Function::Create) {
            call.data = traced.data;
        }
        if (call.function == Function::Load && call.size > 0) {
            largestRoom_ = std::max(largestRoom_, static_cast<std::size_t>(call.size));
        }
        calls_.push_back(std::move(call));
    }
}

void HostReplay::Run(Host &host) const {
    std::vector<uint8_t> buffer(largestRoom_);
    for (const Call &call : calls_) {
        FxDataKey key{call.item, call.inci};
        switch (call.function) {
            case Function::Load: {
                int32_t size = call.size;
                host.LoadEData(call.tag, &key, buffer.data(), &size, call.version);
                break;
            }
            case Function::Save:
                host.SaveEData(call.tag, &key, call.data.data(), call.size, call.version);
                break;
            case Function::Create:
                host.CreateEData(call.tag, &key, call.data.data(), call.size, call.version);
                break;
            case Function::Delete:
                host.DeleteEData(call.tag, &key, call.version);
                break;
            case Function::Next:
                host.NextEData(call.tag, &key, call.version);
                break;
            case Function::SlotToInst:
                host.SlotToInst(static_cast<uint32_t>(call.first),
                                static_cast<uint32_t>(call.second), call.version);
                break;
            case Function::UpdateLayout:
                host.UpdateLayout(call.first, call.second, call.version);
                break;
            case Function::CurrentDocument:
                host.GetCurrentEnigmaDocument(call.version);
                break;
            case Function::CurrentPart:
                host.GetCurrentPartID(call.version);
                break;
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

std::string ReplayDifference(const Host &document, const Host &byCommand) {
    const HostReplay replay(byCommand.Trace());
    if (!replay.Problem().empty()) return replay.Problem();
    Host byReplay = document;
    byReplay.ClearTrace();
    byReplay.SetTracing(true);
    replay.Run(byReplay);
    std::string difference = TraceDifference(byCommand.Trace(), byReplay.Trace());
    if (!difference.empty()) return difference;
    if (byCommand.Records().All() != byReplay.Records().All()) {
        return "the replay left another document than the command";
    }
    return {};
}

}  // namespace standin
