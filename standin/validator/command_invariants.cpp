#include "standin/validator/command_invariants.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "interface/data_tag.h"
#include "standin/platform/byte_text.h"

namespace standin::validator {
namespace {

using Key = std::tuple<uint32_t, int16_t, int16_t>;

Key KeyIn(const HostCall &call) { return {call.tag, call.itemIn, call.inciIn}; }

std::string Named(const HostCall &call, int16_t item, int16_t inci) {
    return "'" + hostdata::TagText(call.tag) + "' (" + std::to_string(item) + "," +
           std::to_string(inci) + ")";
}

std::string Named(const HostCall &call) { return Named(call, call.itemIn, call.inciIn); }

// What a load gave, as the bounds of a save of it. At most: what the host
// copied, or what it said the record holds if that is more, but never more
// than the room the caller offered. At least: what it said the record
// holds, even past the room: a save of less cuts the user's record short,
// and a module that cannot learn the rest must not save it at all.
// The version word says in which layout the bytes are: a save must speak
// of the layout they were loaded in.
struct Given {
    int32_t most = 0, fewest = 0;
    uint32_t version = 0;
};

Given BytesGiven(const HostCall &load) {
    const auto copied = static_cast<int32_t>(load.data.size());
    const int32_t said = std::max(load.sizeOut, 0);
    return {std::max(copied, std::min(said, std::max(load.sizeIn, 0))), said, load.version};
}

// Where a save of a record carries bytes the host wrote nothing into when
// it loaded that record (past what it copied), and they are those another
// record held before that load, as the host loaded it or the module saved
// it, that record is named: a module that keeps its room from one record
// to the next hands one record's bytes to another. A room cleared to zeros
// is never taken for another record's, nor are bytes the same record held
// there before.
std::string OtherRecordsBytes(const std::vector<HostCall> &calls, const HostCall &load,
                              const HostCall &save) {
    const std::size_t from = load.data.size();
    const auto to = static_cast<std::size_t>(save.length);
    if (to <= from || save.data.size() < to) return {};
    const auto span = [&](const Bytes &bytes) {
        return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                     bytes.begin() + static_cast<std::ptrdiff_t>(to));
    };
    const Bytes saved = span(save.data);
    if (std::all_of(saved.begin(), saved.end(), [](uint8_t byte) { return byte == 0; })) return {};
    const HostCall *source = nullptr;
    for (const HostCall &earlier : calls) {
        if (&earlier == &load) break;
        const bool held = (earlier.function == "FX_LoadEData" && earlier.result != 0) ||
                          earlier.function == "FX_SaveEData";
        if (!held || earlier.data.size() < to || span(earlier.data) != saved) continue;
        if (KeyIn(earlier) == KeyIn(load)) return {};
        source = &earlier;
    }
    if (source == nullptr) return {};
    return "saved bytes " + std::to_string(from) + "-" + std::to_string(to - 1) + " of " +
           Named(save) + ", which the host had not written when it loaded it, as " +
           Named(*source) + " held them: another record's bytes over the user's";
}

}  // namespace

std::vector<std::string> BrokenRules(const std::vector<HostCall> &calls, uint32_t answer) {
    std::vector<std::string> broken;
    if (answer != 1) {
        broken.push_back("FinaleExtensionInvoke answered " + std::to_string(answer) + ", not 1");
    }
    std::map<Key, Given> loaded;
    std::map<Key, const HostCall *> lastLoad;
    // Records the module had the host create, under the keys the host
    // chose; what is still there when the command returns is a record the
    // user never made (a phantom staff system on the page after every
    // command). One deleted again was the module's scratch.
    std::map<Key, const HostCall *> created;
    for (const HostCall &call : calls) {
        if (call.function == "FX_LoadEData" && call.result != 0) {
            loaded[KeyIn(call)] = BytesGiven(call);
            lastLoad[KeyIn(call)] = &call;
            continue;
        }
        if (call.function == "FX_CreateEData") {
            if (call.result != 0) created[{call.tag, call.itemOut, call.inciOut}] = &call;
            continue;
        }
        const bool save = call.function == "FX_SaveEData";
        if (!save && call.function != "FX_DeleteEData") continue;
        if (created.count(KeyIn(call)) != 0) {
            if (!save && call.result != 0) created.erase(KeyIn(call));
            continue;
        }
        const auto found = loaded.find(KeyIn(call));
        if (found == loaded.end()) {
            broken.push_back(std::string(save ? "saved " : "deleted ") + Named(call) +
                             ", which it had not loaded");
        } else if (save && call.length < 0) {
            broken.push_back("saved " + Named(call) + " with a length of " +
                             std::to_string(call.length));
        } else if (save && call.length > found->second.most) {
            broken.push_back("saved " + std::to_string(call.length) + " bytes of " + Named(call) +
                             ", of which the host had given it " +
                             std::to_string(found->second.most));
        } else if (save && call.length < found->second.fewest) {
            broken.push_back("saved only " + std::to_string(call.length) + " bytes of " +
                             Named(call) + ", of which the host had given it " +
                             std::to_string(found->second.fewest) +
                             ": the rest of the user's record is lost");
        } else if (save && call.version != found->second.version) {
            broken.push_back("saved " + Named(call) + " with the version word " +
                             Hex32(call.version) + ", having loaded it with " +
                             Hex32(found->second.version) +
                             ": the host takes the bytes in the other version's layout");
        } else if (save) {
            const std::string stale = OtherRecordsBytes(calls, *lastLoad[KeyIn(call)], call);
            if (!stale.empty()) broken.push_back(stale);
        }
    }
    for (const auto &[key, create] : created) {
        broken.push_back("created " + Named(*create, std::get<1>(key), std::get<2>(key)) +
                         " and left it in the document: a record the user never made");
    }
    return broken;
}

}  // namespace standin::validator
