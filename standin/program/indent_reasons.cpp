#include "standin/program/indent_reasons.h"

#include <map>
#include <string>

#include "interface/data_tag.h"
#include "interface/host_version_words.h"
#include "interface/record_bytes.h"
#include "standin/document/document_fields.h"
#include "standin/platform/text_output.h"

namespace standin {
namespace {

constexpr uint16_t kFinalBarlineStyle = 5;

std::optional<int16_t> PageFormatValue(const RecordStore &records, bool parts, const char *name) {
    for (const auto &word : fields::kPageFormatWords) {
        if (std::string(word.variant) != (parts ? "parts" : "score") ||
            std::string(word.name) != name) {
            continue;
        }
        const Bytes *record = records.Find(word.Key());
        if (record == nullptr || record->size() < word.Offset() + 2) return std::nullopt;
        return hostdata::ReadI16(record->data(), word.Offset());
    }
    return std::nullopt;
}

// A word of a measure's record as the host keeps it; none when the module
// could not read it: the record is missing or too short to hold the word.
// The record is kept in the 30-byte layout, and the 26-byte one drops bytes
// 4 to 7 only, so a word the long record holds reaches the module in either.
std::optional<uint16_t> MeasureWord(const RecordStore &records, int measure, std::size_t offset) {
    const Bytes *record = records.Find({hostdata::kMeasureTag, static_cast<int16_t>(measure), 0});
    if (record == nullptr || record->size() < offset + 2) return std::nullopt;
    return hostdata::ReadU16(record->data(), offset);
}

// One indent of the page format in view; none when the host lacks the
// record it is in, or holds it too short to reach it.
struct Indent {
    std::optional<int16_t> value;
    const char *name;
};

struct Indents {
    Indent firstSystem, system;
};

Indents PageFormatIndents(const RecordStore &records, bool parts) {
    return {{PageFormatValue(records, parts, "firstSystemIndent"), "first-system indent"},
            {PageFormatValue(records, parts, "systemIndent"), "system indent"}};
}

IndentReason Reason(const char *code, int measure, std::string text,
                    std::optional<int16_t> indent) {
    return {code, measure, std::move(text), indent};
}

// A reason that gives an indent; the command leaves the system alone when
// the host did not supply that indent.
IndentReason Reason(const char *code, int measure, std::string text, const Indent &indent) {
    if (!indent.value) {
        return Reason("page-format-unreadable", 0,
                      std::string("the page format's ") + indent.name + " could not be read",
                      std::nullopt);
    }
    return Reason(code, measure, std::move(text), indent.value);
}

std::string At(int measure) { return " at measure " + std::to_string(measure); }

IndentReason AfterFinalBarline(const RecordStore &records, int first, const Indents &indents) {
    if (first == 1)
        return Reason("first-measure", 1, "the first measure of the piece", indents.firstSystem);
    if (first < 1)
        return Reason("before-first-measure", 0, "starts before measure 1", indents.system);
    const std::optional<uint16_t> barline =
        MeasureWord(records, first - 1, fields::kMeasureBarline);
    if (!barline) {
        return Reason("measure-unreadable", first - 1,
                      "measure " + std::to_string(first - 1) + " could not be read", std::nullopt);
    }
    const bool final = ((*barline & fields::kBarlineStyleMask) >> fields::kBarlineStyleShift) ==
                       kFinalBarlineStyle;
    return final ? Reason("final-barline", first - 1, "the final barline" + At(first - 1),
                          indents.firstSystem)
                 : Reason("no-final-barline", first - 1, "no final barline" + At(first - 1),
                          indents.system);
}

// A measure that cannot be read matters only where its flag decides: not
// for the first measure of the piece, and not on hosts without the flag.
IndentReason ForFullNames(const RecordStore &records, int first, bool known,
                          const Indents &indents) {
    const std::optional<uint16_t> flags =
        first != 0 ? MeasureWord(records, first, fields::kMeasureFlags) : std::nullopt;
    const bool flag = flags && (*flags & fields::kFullNamesBit) != 0;
    if (flag && known) {
        return Reason("full-names", first, "the full-names flag" + At(first), indents.firstSystem);
    }
    if (first == 1)
        return Reason("first-measure", 1, "the first measure of the piece", indents.firstSystem);
    if (first == 0)
        return Reason("before-first-measure", 0, "starts before measure 1", indents.system);
    if (known && !flags) {
        return Reason("measure-unreadable", first,
                      "measure " + std::to_string(first) + " could not be read", std::nullopt);
    }
    if (flag) {
        return Reason("full-names-unknown", first,
                      "the full-names flag" + At(first) + ", which hosts before " +
                          Hex32(hostdata::kFullNamesHostVersion) + " do not have",
                      indents.system);
    }
    return Reason("no-full-names", first, "no full-names flag" + At(first), indents.system);
}

// The reason under the rule of the command that ran. A rule added to
// shell::FirstSystemRule without its case here is a compile warning.
IndentReason ByCommandsRule(const IndentRule &rule, const RecordStore &records, int first,
                            const Indents &indents) {
    switch (shell::EntryOf(rule.command).rule) {
        case shell::FirstSystemRule::FullNamesFlag:
            return ForFullNames(records, first, rule.fullNamesKnown, indents);
        case shell::FirstSystemRule::AfterFinalBarline:
            break;
    }
    return AfterFinalBarline(records, first, indents);
}

}  // namespace

shell::Command InvokedCommand(uint16_t menuIndex) {
    return shell::InvokedCommand(menuIndex).command;
}

void ExplainIndents(const RecordStore &before, const IndentRule &rule,
                    std::vector<SystemChange> &systems) {
    const Indents indents = PageFormatIndents(before, rule.partViewed);
    std::map<int, int16_t> firstAtMeasure;  // measure -> the system that takes part
    for (SystemChange &system : systems) {
        const int first = system.firstMeasureAfter;
        if (!rule.selection || first < rule.selection->first || first > rule.selection->last) {
            system.reason =
                Reason("not-selected", 0, rule.selection ? "not in the selection" : "no selection",
                       std::nullopt);
            continue;
        }
        system.inSelection = true;
        const auto earlier = firstAtMeasure.emplace(first, system.item);
        if (!earlier.second) {
            system.reason = Reason(
                "same-start", first,
                "system " + std::to_string(earlier.first->second) + " also starts" + At(first),
                std::nullopt);
            continue;
        }
        if (!indents.firstSystem.value && !indents.system.value) {
            system.reason = Reason("page-format-unreadable", 0, "the page format could not be read",
                                   std::nullopt);
            continue;
        }
        system.reason = ByCommandsRule(rule, before, first, indents);
    }
}

}  // namespace standin
