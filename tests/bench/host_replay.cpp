#include "tests/bench/host_replay.h"

#include <map>

#include "standin/fx_exports.h"

namespace {

// Room for the largest record a load offers; the command's own buffers are
// never larger.
constexpr int32_t kLoadRoom = 256;

}  // namespace

HostReplay::HostReplay(const std::vector<standin::HostCall> &trace) {
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
    for (const standin::HostCall &traced : trace) {
        const auto found = functions.find(traced.function);
        if (found == functions.end() || (traced.hasSize && traced.sizeIn > kLoadRoom)) {
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
        calls_.push_back(std::move(call));
    }
}

void HostReplay::Run() const {
    uint8_t buffer[kLoadRoom];
    for (const Call &call : calls_) {
        FxDataKey key{call.item, call.inci};
        switch (call.function) {
        case Function::Load: {
            int32_t size = call.size;
            FX_LoadEData(call.tag, &key, buffer, &size, call.version);
            break;
        }
        case Function::Save:
            FX_SaveEData(call.tag, &key, call.data.data(), call.size, call.version);
            break;
        case Function::Create:
            FX_CreateEData(call.tag, &key, call.data.data(), call.size, call.version);
            break;
        case Function::Delete:
            FX_DeleteEData(call.tag, &key, call.version);
            break;
        case Function::Next:
            FX_NextEData(call.tag, &key, nullptr, nullptr, call.version);
            break;
        case Function::SlotToInst:
            FX_SlotToInst(static_cast<uint32_t>(call.first), static_cast<uint32_t>(call.second),
                          call.version);
            break;
        case Function::UpdateLayout:
            FX_UpdateLayout(call.first, call.second, call.version);
            break;
        case Function::CurrentDocument:
            FX_GetCurrentEnigmaDocument(call.version);
            break;
        case Function::CurrentPart:
            FX_GetCurrentPartID(call.version);
            break;
        }
    }
}

std::string TraceDifference(const std::vector<standin::HostCall> &expected,
                            const std::vector<standin::HostCall> &actual) {
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
