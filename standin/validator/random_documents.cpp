#include "standin/validator/random_documents.h"

#include <algorithm>
#include <iterator>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/document/document_builder.h"
#include "standin/document/document_fields.h"
#include "standin/platform/text_output.h"
#include "standin/program/run_command.h"
#include "standin/validator/checks.h"
#include "standin/validator/host_misbehaviour.h"

namespace standin::validator {
namespace {

constexpr uint32_t kMostMeasures = 60;
// System counts: most scores have a few dozen to a few hundred systems, and
// a module's fixed tables end at a power of two; both are drawn often.
constexpr uint32_t kMostFewSystems = 24;
constexpr uint32_t kMostSystems = 1100;
constexpr uint32_t kSystemBoundaries[] = {32, 64, 128, 256, 1024};
constexpr uint32_t kMostFailingCall = 40;
constexpr uint32_t kBarlineStyles = 16;

Bytes RandomBytes(Random &random, std::size_t count) {
    Bytes bytes(count);
    for (uint8_t &byte : bytes) byte = static_cast<uint8_t>(random.Next());
    return bytes;
}

void AddMeasures(Random &random, Host &host, uint32_t count) {
    document_builder::AddMeasures(host, static_cast<int16_t>(count));
    for (uint32_t number = 1; number <= count; ++number) {
        const auto measure = static_cast<int16_t>(number);
        if (random.OneIn(8)) {
            host.PutMeasure(measure, RandomBytes(random, fields::kMeasureSize));
            continue;
        }
        if (random.OneIn(4)) {
            document_builder::SetBarlineStyle(host, measure,
                                              static_cast<int>(random.Below(kBarlineStyles)));
        }
        if (random.OneIn(6)) document_builder::SetShowsFullNames(host, measure);
    }
}

// Mostly a few systems, as the oddest documents are; now and then one of
// the real range, spread evenly over its scales; now and then one around a
// power of two. The larger ones cost the most time, and are drawn less.
uint32_t SystemCount(Random &random) {
    if (random.OneIn(32)) {
        const uint32_t boundary =
            kSystemBoundaries[random.Below(static_cast<uint32_t>(std::size(kSystemBoundaries)))];
        return boundary - 1 + random.Below(3);
    }
    if (random.OneIn(16)) {
        // From 25 to 1100, as many from 25 to 49 as from 50 to 99, ...
        const uint32_t from = (kMostFewSystems + 1) << random.Below(6);
        return std::min(from + random.Below(from), kMostSystems);
    }
    return random.Below(kMostFewSystems + 1);
}

// First measures in any order, some not laid out yet (0), some past the
// last measure.
void AddSystems(Random &random, Host &host, uint32_t count, uint32_t measures) {
    std::vector<int16_t> firstMeasures;
    for (uint32_t system = 0; system < count; ++system) {
        firstMeasures.push_back(static_cast<int16_t>(random.Below(measures + 3)));
    }
    document_builder::AddSystems(host, firstMeasures);
    for (uint32_t system = 0; system < count; ++system) {
        const auto item = static_cast<int16_t>(system + 1);
        Bytes &record = *host.Records().Find({hostdata::kStaffSystemTag, item, 0});
        hostdata::WriteU16(record.data(), fields::kSystemLeftIndent,
                           static_cast<uint16_t>(random.Next()));
        if (firstMeasures[system] == 0 && random.OneIn(2)) {
            host.Layout()[item] = static_cast<int16_t>(1 + random.Below(measures + 1));
        }
    }
}

// The page formats' other records: some missing, some of another length,
// their words anything.
void AddPageFormats(Random &random, Host &host) {
    document_builder::AddPageFormats(host);
    for (const fields::PageFormatRecord &record : fields::kPageFormatRecords) {
        if (random.OneIn(8)) {
            host.Records().Erase(record.Key());
        } else if (random.OneIn(8)) {
            host.Records().Put(record.Key(),
                               RandomBytes(random, random.Below(2 * fields::kOtherRecordSize)));
        } else if (random.OneIn(2)) {
            host.Records().Put(record.Key(), RandomBytes(random, fields::kOtherRecordSize));
        }
    }
}

std::optional<std::vector<uint8_t>> RandomSelection(Random &random, uint32_t measures) {
    if (random.OneIn(8)) return std::nullopt;
    if (random.OneIn(8)) return RandomBytes(random, kSelectionRecordSize);
    const auto record = SelectionRecord({static_cast<int16_t>(random.Below(measures + 2)),
                                         static_cast<int16_t>(random.Below(measures + 2))});
    return std::vector<uint8_t>(record.begin(), record.end());
}

}  // namespace

uint64_t Random::Next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

RandomRun MakeRandomRun(uint32_t seed, uint32_t number) {
    Random random(uint64_t{seed} << 32 | number);
    RandomRun run;
    const uint32_t measures = random.Below(kMostMeasures + 1);
    const uint32_t systems = SystemCount(random);
    AddMeasures(random, run.host, measures);
    AddSystems(random, run.host, systems, measures);
    AddPageFormats(random, run.host);
    if (!random.OneIn(8)) run.host.Slots()[1] = 1;
    const int32_t part = random.OneIn(2) ? 0 : static_cast<int32_t>(random.Next());
    run.host.SetCurrentPart(part);
    run.hostVersion = random.OneIn(2) ? random.Pick(BoundaryHostVersions())
                                      : static_cast<uint32_t>(random.Next());
    run.selection = RandomSelection(random, measures);
    run.commandPick = random.Below(0x10000);
    run.description = std::to_string(systems) + " systems, " + std::to_string(measures) +
                      " measures, host version " + Hex32(run.hostVersion) + ", part " +
                      Hex32(static_cast<uint32_t>(part)) + (run.selection ? "" : ", no selection");
    if (random.OneIn(8)) {
        const std::string &kind = random.Pick(RecordKindNames());
        const std::string &length =
            random.OneIn(2) ? random.Pick(ShorterLengthNames()) : random.Pick(LongerLengthNames());
        ResizeRecords(run.host, kind, length);
        run.description += ", " + kind + " records " + length;
    }
    if (random.OneIn(8)) {
        const std::string &report = random.Pick(SizeReportNames());
        MisreportSizes(run.host, report);
        run.description += ", sizes reported " + report;
    }
    if (random.OneIn(4)) {
        run.failingCall = 1 + random.Below(kMostFailingCall);
        run.description += ", call " + std::to_string(run.failingCall) + " fails";
    }
    return run;
}

}  // namespace standin::validator
