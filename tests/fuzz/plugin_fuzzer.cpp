// Drives the plug-in's seven exports, in any order, against a hostile
// stand-in host, and checks after every command what the user's document
// may have suffered.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "hostdata/host_binding.h"
#include "hostdata/host_version.h"
#include "interface/data_tag.h"
#include "interface/finale_extension.h"
#include "interface/record_bytes.h"
#include "tests/fuzz/hostile_host.h"

namespace {

void Fail(const char *what, const standin::HostCall &call) {
    std::fprintf(stderr, "invariant broken: %s\n  at %s\n", what, call.ToString().c_str());
    std::abort();
}

uint32_t HostVersion(FuzzedDataProvider &input) {
    constexpr uint32_t kThresholds[] = {0x0FFFFFFF, 0x10000000, 0x11FFFFFF,
                                        0x12000000, 0x19000000, 0x80000000};
    if (input.ConsumeBool()) return kThresholds[input.ConsumeIntegralInRange<int>(0, 5)];
    return input.ConsumeIntegral<uint32_t>();
}

std::vector<uint8_t> Selection(FuzzedDataProvider &input) {
    std::vector<uint8_t> record(20, 0);
    if (input.ConsumeBool()) {
        const auto bytes = input.ConsumeBytes<uint8_t>(20);
        std::copy(bytes.begin(), bytes.end(), record.begin());
    } else {
        hostdata::WriteU16(record.data(), 4, input.ConsumeIntegralInRange<uint16_t>(0, 40));
        hostdata::WriteU16(record.data(), 14, input.ConsumeIntegralInRange<uint16_t>(0, 40));
    }
    return record;
}

// The bytes of a load that the host supplied: those it copied, as far as
// the size it reported; none when it reported more than it copied, since
// the plug-in then cannot tell its bytes from any others.
std::optional<std::size_t> SuppliedBytes(const standin::HostCall &load) {
    if (load.result == 0 || load.sizeOut <= 0) return 0;
    const auto reported = static_cast<std::size_t>(load.sizeOut);
    if (reported > load.data.size() && load.data.size() < static_cast<std::size_t>(load.sizeIn)) {
        return std::nullopt;
    }
    return std::min(reported, load.data.size());
}

// The indents a command may write: the words at the places the page format
// takes its indents from (score: 'ot17' word 1, 'ot03' word 1; parts:
// 'ot77' inci 2 word 2, inci 3 word 5), as the host supplied them during
// the command.
std::set<uint16_t> SuppliedIndents(const std::vector<standin::HostCall> &trace,
                                   std::size_t firstCall) {
    struct Place {
        char c1, c2;
        int16_t inci;
        std::size_t offset;
    };
    constexpr Place kPlaces[] = {
        {'1', '7', 0, 2}, {'0', '3', 0, 2}, {'7', '7', 2, 4}, {'7', '7', 3, 10}};
    std::set<uint16_t> indents;
    for (std::size_t i = firstCall; i < trace.size(); ++i) {
        const standin::HostCall &call = trace[i];
        if (call.function != "FX_LoadEData") continue;
        for (const Place &place : kPlaces) {
            const bool there =
                call.tag == hostdata::OtherTag(place.c1, place.c2) && call.inciIn == place.inci;
            if (!there) continue;
            const auto supplied = SuppliedBytes(call);
            if (supplied && *supplied >= place.offset + 2) {
                indents.insert(hostdata::ReadU16(call.data.data(), place.offset));
            }
        }
    }
    return indents;
}

struct LoadedSystem {
    standin::Bytes bytes;
    std::optional<std::size_t> supplied;
};

// During a command the host is written to only by staff system saves, each
// carrying what was loaded under that key but for the left indent, which
// holds an indent the host supplied. A system whose record was empty, or
// too short for its first measure, is never saved.
void CheckCommand(const hostile::HostileHost &hostile, std::size_t firstCall) {
    constexpr std::size_t kFirstMeasureEnd = 10;
    const auto &trace = hostile.host.Trace();
    const std::set<uint16_t> indents = SuppliedIndents(trace, firstCall);
    std::map<std::pair<int16_t, int16_t>, LoadedSystem> loaded;
    for (std::size_t i = firstCall; i < trace.size(); ++i) {
        const standin::HostCall &call = trace[i];
        const bool staffSystem = call.tag == hostdata::kStaffSystemTag;
        if (call.function == "FX_LoadEData" && staffSystem && call.result != 0) {
            loaded[{call.itemIn, call.inciIn}] = {call.data, SuppliedBytes(call)};
        }
        if (call.function == "FX_CreateEData" || call.function == "FX_DeleteEData") {
            Fail("a command created or deleted a record", call);
        }
        if (call.function != "FX_SaveEData") continue;
        if (!staffSystem) Fail("a command saved something other than a staff system", call);
        const auto found = loaded.find({call.itemIn, call.inciIn});
        if (found == loaded.end()) Fail("a staff system was saved that was never loaded", call);
        const std::optional<std::size_t> supplied = found->second.supplied;
        if (supplied && *supplied < kFirstMeasureEnd) {
            Fail("a staff system without its first measure was saved", call);
        }
        if (hostile.sizeReport != hostile::SizeReport::Honest || hostile.host.DrewAnswers())
            continue;
        const standin::Bytes &before = found->second.bytes;
        if (call.data.size() != before.size()) Fail("a save changed a record's size", call);
        for (std::size_t at = 0; at < before.size(); ++at) {
            if ((at == 2 || at == 3) || call.data[at] == before[at]) continue;
            Fail("a save changed a byte outside the left indent", call);
        }
        const uint16_t indent = hostdata::ReadU16(call.data.data(), 2);
        if (indent != hostdata::ReadU16(before.data(), 2) && indents.count(indent) == 0) {
            Fail("a left indent is no word the host supplied", call);
        }
    }
}

void FailFree(const char *what, const hostile::LoggedSave &save) {
    std::fprintf(stderr, "invariant broken: %s\n  at the save of 'SOSS' (%d,%d), %zu bytes\n", what,
                 save.item, save.inci, save.bytes.size());
    std::abort();
}

// Whatever the host answered: a staff system goes back as long as the host
// last reported it, with every byte but the left indent as the host wrote
// it, or 0 where it reported a byte it did not write (within the room: one
// load cannot tell, and the cleared room keeps it no other record's).
void CheckAgainstWhatTheHostDid(const hostile::FreeHost &host) {
    for (const hostile::LoggedSave &save : host.Saves()) {
        if (save.tag != hostdata::kStaffSystemTag) continue;
        const hostile::LoggedLoad *last = nullptr;
        for (std::size_t i = 0; i < save.loadsBefore; ++i) {
            const hostile::LoggedLoad &load = host.Loads()[i];
            if (load.tag == save.tag && load.item == save.item && load.inci == save.inci &&
                load.succeeded && load.reported > 0) {
                last = &load;
            }
        }
        if (last == nullptr) FailFree("a staff system was saved that was never loaded", save);
        if (save.bytes.size() < static_cast<std::size_t>(last->reported)) {
            FailFree("a record was saved shorter than the host reported it", save);
        }
        if (save.bytes.size() > static_cast<std::size_t>(last->reported)) {
            FailFree("a record was saved longer than the host reported it", save);
        }
        for (std::size_t at = 0; at < save.bytes.size(); ++at) {
            if (at == 2 || at == 3) continue;
            const uint8_t expected = at < last->written.size() ? last->written[at] : 0;
            if (save.bytes[at] != expected)
                FailFree("a save holds a byte the host did not supply", save);
        }
    }
}

void CheckEnumeration(const std::vector<uint8_t> &record, std::size_t written, uint8_t fill) {
    for (std::size_t at = written; at < record.size(); ++at) {
        if (record[at] != fill) {
            std::fprintf(stderr, "invariant broken: enumeration wrote byte %zu\n", at);
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    hostile::HostileHost hostile;
    fake_platform::Reset(hostile::BuildHost(input, hostile));
    hostdata::ForgetHostBinding();
    hostdata::ForgetHostVersion();

    const int calls = input.ConsumeIntegralInRange<int>(1, 6);
    for (int i = 0; i < calls; ++i) {
        const uint16_t index = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint16_t>(0, 2)
                                                   : input.ConsumeIntegral<uint16_t>();
        switch (input.ConsumeIntegralInRange<int>(0, 6)) {
            case 0:
                FinaleExtensionVersion(HostVersion(input));
                break;
            case 1: {
                uint32_t word = input.ConsumeIntegral<uint32_t>();
                FinaleExtensionInit(nullptr, &word);
                break;
            }
            case 2: {
                std::vector<uint8_t> record(FINALE_MENU_RECORD_FLAG_OFFSET + 4 + 8, 0xA5);
                const bool filled = FinaleExtensionEnumerate(nullptr, index, record.data()) != 0;
                CheckEnumeration(record, filled ? FINALE_MENU_RECORD_FLAG_OFFSET + 4 : 0, 0xA5);
                break;
            }
            case 3: {
                std::vector<uint8_t> record(FINALE_MENU_RECORD_UTF16_FLAG_OFFSET + 4 + 8, 0x5A);
                const bool filled =
                    FinaleExtensionEnumerate_UTF16(nullptr, index, record.data()) != 0;
                CheckEnumeration(record, filled ? FINALE_MENU_RECORD_UTF16_FLAG_OFFSET + 4 : 0,
                                 0x5A);
                break;
            }
            case 4:
                FinaleExtensionGetMenuStatus();
                FinaleExtensionTerminate();
                break;
            default: {
                const std::vector<uint8_t> selection = Selection(input);
                const bool withSelection = input.ConsumeIntegralInRange<int>(0, 7) != 0;
                const std::size_t firstCall = hostile.host.Trace().size();
                hostile.host.BeginCommand();
                if (FinaleExtensionInvoke(nullptr, index,
                                          withSelection ? selection.data() : nullptr) != 1) {
                    std::fprintf(stderr, "invariant broken: Invoke did not answer 1\n");
                    std::abort();
                }
                hostile.host.EndCommand();
                CheckCommand(hostile, firstCall);
                CheckAgainstWhatTheHostDid(hostile.host);
                break;
            }
        }
    }
    standin::Host::SetCurrent(nullptr);
    return 0;
}
