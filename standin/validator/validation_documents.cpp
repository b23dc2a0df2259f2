#include "standin/validator/validation_documents.h"

#include <array>

#include "interface/host_version_words.h"
#include "interface/record_bytes.h"
#include "standin/document/document_builder.h"
#include "standin/document/generated_document.h"
#include "standin/program/run_command.h"

namespace standin::validator {
namespace {

constexpr uint32_t kCurrentHost = hostdata::kFrameworkDataVersion;
// A host before the 30-byte measure records, after full names.
constexpr uint32_t kOlderHost = 0x11000000;
constexpr int32_t kFirstPart = 1;
constexpr int kFinalBarlineStyle = 5;
constexpr int16_t kShortLastMeasure = 20;
constexpr generated_document::Size kLongSize{400, 2000};

// Systems at measures 1, 4, 8, 11 and 15; a final barline ends measure 7;
// measure 11 shows full names.
Host ShortDocument(bool laidOut) {
    Host host;
    const std::vector<int16_t> firstMeasures{1, 4, 8, 11, 15};
    document_builder::AddMeasures(host, kShortLastMeasure);
    document_builder::SetBarlineStyle(host, 7, kFinalBarlineStyle);
    document_builder::SetShowsFullNames(host, 11);
    document_builder::AddSystems(
        host, laidOut ? firstMeasures : std::vector<int16_t>(firstMeasures.size(), 0));
    if (!laidOut) {
        for (std::size_t system = 0; system < firstMeasures.size(); ++system) {
            host.Layout()[static_cast<int16_t>(system + 1)] = firstMeasures[system];
        }
    }
    document_builder::AddPageFormats(host);
    return host;
}

ValidationDocument Built(const std::string &name) {
    if (name == "short") return {ShortDocument(true), kCurrentHost, kShortLastMeasure};
    if (name == "long") {
        return {generated_document::Generate(kLongSize), kCurrentHost,
                static_cast<int16_t>(kLongSize.measures)};
    }
    if (name == "part-view") {
        ValidationDocument document{ShortDocument(true), kCurrentHost, kShortLastMeasure};
        document.host.SetCurrentPart(kFirstPart);
        return document;
    }
    if (name == "not-laid-out") return {ShortDocument(false), kCurrentHost, kShortLastMeasure};
    if (name == "older-host") return {ShortDocument(true), kOlderHost, kShortLastMeasure};
    throw UsageError("no document '" + name +
                     "' (the documents are short, long, part-view, "
                     "not-laid-out, older-host)");
}

std::vector<uint8_t> Range(int16_t first, int16_t last) {
    const auto record = SelectionRecord({first, last});
    return {record.begin(), record.end()};
}

}  // namespace

const std::vector<std::string> &DocumentNames() {
    static const std::vector<std::string> names{"short", "long", "part-view", "not-laid-out",
                                                "older-host"};
    return names;
}

ValidationDocument BuildDocument(const std::string &name) {
    ValidationDocument document = Built(name);
    document.host.Slots()[1] = 1;
    return document;
}

const std::vector<std::string> &UnusualSelectionNames() {
    static const std::vector<std::string> names{"reversed",        "measure-zero", "past-the-end",
                                                "largest-measure", "slot-zero",    "all-zeros",
                                                "all-ones"};
    return names;
}

const std::vector<std::string> &PartialSelectionNames() {
    static const std::vector<std::string> names{"start", "middle", "end"};
    return names;
}

std::optional<std::vector<uint8_t>> BuildSelection(const std::string &name, int16_t lastMeasure) {
    const auto quarter = static_cast<int16_t>(lastMeasure / 4 > 0 ? lastMeasure / 4 : 1);
    const auto threeQuarters =
        static_cast<int16_t>(3 * (lastMeasure / 4) > 0 ? 3 * (lastMeasure / 4) : 1);
    if (name == "none") return std::nullopt;
    if (name == "all") return Range(1, lastMeasure);
    if (name == "inner") return Range(quarter, threeQuarters);
    // Eight measures, or the whole of a shorter document.
    const auto span = static_cast<int16_t>(lastMeasure < 8 ? lastMeasure : 8);
    const auto middle = static_cast<int16_t>((lastMeasure - span) / 2 + 1);
    if (name == "start") return Range(1, span);
    if (name == "middle") return Range(middle, static_cast<int16_t>(middle + span - 1));
    if (name == "end") return Range(static_cast<int16_t>(lastMeasure - span + 1), lastMeasure);
    if (name == "reversed") return Range(threeQuarters, quarter);
    if (name == "measure-zero") return Range(0, 0);
    if (name == "past-the-end") return Range(static_cast<int16_t>(lastMeasure + 100), 32767);
    if (name == "largest-measure") return Range(32767, 32767);
    if (name == "slot-zero") {
        std::vector<uint8_t> record = Range(1, lastMeasure);
        hostdata::WriteU16(record.data(), 2, 0);
        hostdata::WriteU16(record.data(), 12, 0);
        return record;
    }
    if (name == "all-zeros") return std::vector<uint8_t>(kSelectionRecordSize, 0x00);
    if (name == "all-ones") return std::vector<uint8_t>(kSelectionRecordSize, 0xFF);
    throw UsageError("no selection '" + name + "'");
}

}  // namespace standin::validator
