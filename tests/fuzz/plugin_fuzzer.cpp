// Drives the plug-in's seven exports, in any order, against a hostile
// stand-in host, and checks after every command what the user's document
// may have suffered.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "hostdata/data_tag.h"
#include "hostdata/host_binding.h"
#include "hostdata/host_version.h"
#include "hostdata/record_bytes.h"
#include "shell/finale_extension.h"
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

// Every value a system's left indent may be given by a command: a word of
// an other record the host holds whole, as the page formats are made of
// them. No indent is ever made up from a record the host lacks.
std::set<uint16_t> IndentsOnOffer(const standin::Host &host) {
    std::set<uint16_t> values;
    for (const auto &[key, bytes] : host.Records().All()) {
        if ((key.tag >> 16) != ('o' << 8 | 't') || bytes.size() < 12) continue;
        for (std::size_t at = 0; at < 12; at += 2) {
            values.insert(hostdata::ReadU16(bytes.data(), at));
        }
    }
    return values;
}

// During a command the host is written to only by staff system saves, each
// carrying what was loaded under that key but for the left indent, which
// holds a value of the page format.
void CheckCommand(const hostile::HostileHost &hostile, std::size_t firstCall) {
    const auto &trace = hostile.host.Trace();
    const std::set<uint16_t> indents = IndentsOnOffer(hostile.host);
    std::map<std::pair<int16_t, int16_t>, standin::Bytes> loaded;
    for (std::size_t i = firstCall; i < trace.size(); ++i) {
        const standin::HostCall &call = trace[i];
        const bool staffSystem = call.tag == hostdata::kStaffSystemTag;
        if (call.function == "FX_LoadEData" && staffSystem && call.result != 0) {
            loaded[{call.itemIn, call.inciIn}] = call.data;
        }
        if (call.function == "FX_CreateEData" || call.function == "FX_DeleteEData") {
            Fail("a command created or deleted a record", call);
        }
        if (call.function != "FX_SaveEData") continue;
        if (!staffSystem) Fail("a command saved something other than a staff system", call);
        const auto found = loaded.find({call.itemIn, call.inciIn});
        if (found == loaded.end()) Fail("a staff system was saved that was never loaded", call);
        if (call.data.size() > 28) Fail("a save handed the host more than a staff system", call);
        if (hostile.sizeReport != hostile::SizeReport::Honest) continue;
        const standin::Bytes &before = found->second;
        if (call.data.size() != before.size()) Fail("a save changed a record's size", call);
        for (std::size_t at = 0; at < before.size(); ++at) {
            if ((at == 2 || at == 3) || call.data[at] == before[at]) continue;
            Fail("a save changed a byte outside the left indent", call);
        }
        if (before.size() >= 4) {
            const uint16_t indent = hostdata::ReadU16(call.data.data(), 2);
            if (indent != hostdata::ReadU16(before.data(), 2) && indents.count(indent) == 0) {
                Fail("a left indent came from nowhere", call);
            }
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
            case 0: FinaleExtensionVersion(HostVersion(input)); break;
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
                const bool filled = FinaleExtensionEnumerate_UTF16(nullptr, index, record.data()) != 0;
                CheckEnumeration(record, filled ? FINALE_MENU_RECORD_UTF16_FLAG_OFFSET + 4 : 0, 0x5A);
                break;
            }
            case 4: FinaleExtensionGetMenuStatus(); FinaleExtensionTerminate(); break;
            default: {
                const std::vector<uint8_t> selection = Selection(input);
                const bool withSelection = input.ConsumeIntegralInRange<int>(0, 7) != 0;
                const std::size_t firstCall = hostile.host.Trace().size();
                if (FinaleExtensionInvoke(nullptr, index, withSelection ? selection.data() : nullptr) != 1) {
                    std::fprintf(stderr, "invariant broken: Invoke did not answer 1\n");
                    std::abort();
                }
                CheckCommand(hostile, firstCall);
                break;
            }
        }
    }
    standin::Host::SetCurrent(nullptr);
    return 0;
}
