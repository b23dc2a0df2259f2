#include "tests/fuzz/hostile_host.h"

#include <string>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "tests/support/page_format_loads.h"

namespace hostile {
namespace {

constexpr const char *kHostFunctions[] = {
    "FX_LoadEData",        "FX_SaveEData",  "FX_CreateEData",  "FX_DeleteEData",
    "FX_NextEData",        "FX_SlotToInst", "FX_UpdateLayout", "FX_GetCurrentEnigmaDocument",
    "FX_GetCurrentPartID",
};

// Record sizes around the real ones, so that short, exact and long records
// all occur.
standin::Bytes RandomRecord(FuzzedDataProvider &input, std::size_t usualSize) {
    std::size_t size = usualSize;
    switch (input.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
            size = input.ConsumeIntegralInRange<std::size_t>(0, usualSize + 8);
            break;
        case 1:
            size = usualSize + 4;
            break;
        default:
            break;
    }
    standin::Bytes bytes = input.ConsumeBytes<uint8_t>(size);
    bytes.resize(size, 0);
    return bytes;
}

// Measure and system numbers mostly small, so that systems and measures meet.
int16_t SmallNumber(FuzzedDataProvider &input) {
    if (input.ConsumeIntegralInRange<int>(0, 15) == 0) return input.ConsumeIntegral<int16_t>();
    return input.ConsumeIntegralInRange<int16_t>(-2, 40);
}

void AddSystems(FuzzedDataProvider &input, standin::Host &host) {
    const int count = input.ConsumeIntegralInRange<int>(0, 24);
    for (int16_t item = 1; item <= count; ++item) {
        standin::Bytes record = RandomRecord(input, 28);
        if (record.size() >= 10)
            hostdata::WriteU16(record.data(), 8, static_cast<uint16_t>(SmallNumber(input)));
        host.Records().Put({hostdata::kStaffSystemTag, item, 0}, record);
        if (input.ConsumeBool()) host.Layout()[item] = SmallNumber(input);
    }
}

void AddMeasures(FuzzedDataProvider &input, standin::Host &host) {
    const int count = input.ConsumeIntegralInRange<int>(0, 40);
    for (int16_t number = 1; number <= count; ++number) {
        host.PutMeasure(number, RandomRecord(input, 30));
    }
}

void AddOtherRecords(FuzzedDataProvider &input, standin::Host &host) {
    for (const std::string &tag : page_format_loads::AllOthersAtInciZero()) {
        if (input.ConsumeIntegralInRange<int>(0, 7) != 0) {
            host.Records().Put({hostdata::OtherTag(tag[0], tag[1]), -2, 0},
                               RandomRecord(input, 12));
        }
    }
    for (int16_t inci = 0; inci <= 4; ++inci) {
        if (input.ConsumeIntegralInRange<int>(0, 7) != 0) {
            host.Records().Put({hostdata::OtherTag('7', '7'), -2, inci}, RandomRecord(input, 12));
        }
    }
}

void ChooseFailures(FuzzedDataProvider &input, standin::Host &host) {
    if (input.ConsumeBool()) return;
    const std::string function = kHostFunctions[input.ConsumeIntegralInRange<int>(0, 8)];
    const int16_t item = SmallNumber(input);
    const bool everyCall = input.ConsumeBool();
    host.FailCallsWhere([function, item, everyCall](const standin::HostCall &call) {
        return call.function == function && (everyCall || call.itemIn == item);
    });
}

}  // namespace

fake_platform::Setup BuildHost(FuzzedDataProvider &input, HostileHost &hostile) {
    standin::Host::SetCurrent(&hostile.host);
    fake_platform::Setup setup;
    switch (input.ConsumeIntegralInRange<int>(0, 15)) {
        case 0:
            setup.programName = "FINDEMO.EXE";
            break;
        case 1:
            setup.programName = "OTHER.EXE";
            break;
        default:
            break;
    }
    const auto absent = input.ConsumeIntegral<uint16_t>();
    for (int i = 0; i < 9; ++i) {
        // Each function goes missing in about one host in eight.
        if ((absent >> i & 1) && (absent >> 9 & 7) == 0)
            setup.absentFunctions.insert(kHostFunctions[i]);
    }
    hostile.host.SetCurrentPart(input.ConsumeBool() ? 0 : input.ConsumeIntegral<int32_t>());
    hostile.host.SetDocumentId(input.ConsumeIntegral<int16_t>());
    hostile.sizeReport = static_cast<SizeReport>(input.ConsumeIntegralInRange<int>(0, 15) % 4 == 0
                                                     ? input.ConsumeIntegralInRange<int>(1, 3)
                                                     : 0);
    const int32_t noise = input.ConsumeIntegral<int32_t>();
    hostile.host.BendLoadSizes([report = hostile.sizeReport, noise](int32_t room, int32_t *size) {
        switch (report) {
            case SizeReport::Honest:
                break;
            case SizeReport::RoomPlusMore:
                *size = room + 1 + (noise & 0xFFFF);
                break;
            case SizeReport::Negative:
                *size = -1 - (noise & 0x7FFFFFFF);
                break;
            case SizeReport::Random:
                *size = noise;
                break;
        }
    });
    AddSystems(input, hostile.host);
    AddMeasures(input, hostile.host);
    AddOtherRecords(input, hostile.host);
    hostile.host.Slots()[1] = 1;
    ChooseFailures(input, hostile.host);
    hostile.host.SetAnswers(
        input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 64)));
    return setup;
}

}  // namespace hostile
