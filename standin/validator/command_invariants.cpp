#include "standin/validator/command_invariants.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "hostdata/data_tag.h"

namespace standin::validator {
namespace {

using Key = std::tuple<uint32_t, int16_t, int16_t>;

Key KeyIn(const HostCall &call) { return {call.tag, call.itemIn, call.inciIn}; }

std::string Named(const HostCall &call) {
    return "'" + hostdata::TagText(call.tag) + "' (" + std::to_string(call.itemIn) + "," +
           std::to_string(call.inciIn) + ")";
}

// The most bytes a load gave: what the host copied, or what it said the
// record holds, but never more than the room the caller offered. A module
// that believes a host's word about a size makes nothing up.
int32_t BytesGiven(const HostCall &load) {
    const int32_t said = std::clamp(load.sizeOut, 0, std::max(load.sizeIn, 0));
    return std::max(static_cast<int32_t>(load.data.size()), said);
}

}  // namespace

std::vector<std::string> BrokenRules(const std::vector<HostCall> &calls, uint32_t answer) {
    std::vector<std::string> broken;
    if (answer != 1) {
        broken.push_back("FinaleExtensionInvoke answered " + std::to_string(answer) + ", not 1");
    }
    std::map<Key, int32_t> loaded;
    for (const HostCall &call : calls) {
        if (call.function == "FX_LoadEData" && call.result != 0) {
            loaded[KeyIn(call)] = BytesGiven(call);
            continue;
        }
        const bool save = call.function == "FX_SaveEData";
        if (!save && call.function != "FX_DeleteEData") continue;
        const auto found = loaded.find(KeyIn(call));
        if (found == loaded.end()) {
            broken.push_back(std::string(save ? "saved " : "deleted ") + Named(call) +
                             ", which it had not loaded");
        } else if (save && call.length < 0) {
            broken.push_back("saved " + Named(call) + " with a length of " +
                             std::to_string(call.length));
        } else if (save && call.length > found->second) {
            broken.push_back("saved " + std::to_string(call.length) + " bytes of " + Named(call) +
                             ", of which the host had given it " + std::to_string(found->second));
        }
    }
    return broken;
}

}  // namespace standin::validator
