#include "standin/program/indent_reasons.h"

#include <gtest/gtest.h>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/document/document_fields.h"

namespace {

using shell::Command;
using standin::Bytes;
using standin::IndentRule;
using standin::SystemChange;

constexpr Command kFinalBarlines = Command::IndentAfterFinalBarlines;
constexpr Command kFullNames = Command::IndentForFullNames;

constexpr int16_t kFirstSystemIndent = 144, kSystemIndent = 12;
constexpr int16_t kPartsFirstSystemIndent = 72, kPartsSystemIndent = 24;

// Measures 2 to 9 (1 and 8 are missing): a final barline at 4, full names
// at 5 and 7; and both page formats, with every record they are made of.
standin::RecordStore Document() {
    standin::RecordStore records;
    for (const auto &record : standin::fields::kPageFormatRecords) {
        records.Put(record.Key(), Bytes(standin::fields::kOtherRecordSize, 0));
    }
    for (int16_t number = 2; number <= 9; ++number) {
        if (number == 8) continue;
        Bytes measure(standin::fields::kMeasureSize, 0);
        if (number == 4)
            hostdata::WriteU16(measure.data(), standin::fields::kMeasureBarline, 0x0050);
        if (number == 5 || number == 7) {
            hostdata::WriteU16(measure.data(), standin::fields::kMeasureFlags, 0x0800);
        }
        records.Put({hostdata::kMeasureTag, number, 0}, measure);
    }
    for (const auto &word : standin::fields::kPageFormatWords) {
        Bytes *record = records.Find(word.Key());
        if (record == nullptr) {
            records.Put(word.Key(), Bytes(standin::fields::kOtherRecordSize, 0));
            record = records.Find(word.Key());
        }
        const bool parts = std::string(word.variant) == "parts";
        const bool first = std::string(word.name) == "firstSystemIndent";
        const int16_t value = parts ? (first ? kPartsFirstSystemIndent : kPartsSystemIndent)
                                    : (first ? kFirstSystemIndent : kSystemIndent);
        if (std::string(word.name).find("Indent") != std::string::npos) {
            hostdata::WriteU16(record->data(), word.Offset(), static_cast<uint16_t>(value));
        }
    }
    return records;
}

struct Case {
    const char *what;
    IndentRule rule;
    int firstMeasure;
    const char *code;
    int measure;
    std::string text;
    std::optional<int16_t> expected;
};

IndentRule Rule(Command command, bool known = true, bool parts = false) {
    return {command, known, standin::MeasureRange{1, 9}, parts};
}

TEST(IndentReasons, EachSystemGetsTheReasonTheCommandsRuleGivesIt) {
    IndentRule noSelection = Rule(kFinalBarlines);
    noSelection.selection.reset();
    const Case cases[] = {
        {"no selection", noSelection, 5, "not-selected", 0, "no selection", std::nullopt},
        {"outside the selection",
         {kFinalBarlines, true, standin::MeasureRange{6, 9}, false},
         5,
         "not-selected",
         0,
         "not in the selection",
         std::nullopt},
        {"first of the piece", Rule(kFinalBarlines), 1, "first-measure", 1,
         "the first measure of the piece", kFirstSystemIndent},
        {"after a final barline", Rule(kFinalBarlines), 5, "final-barline", 4,
         "the final barline at measure 4", kFirstSystemIndent},
        {"after another barline", Rule(kFinalBarlines), 6, "no-final-barline", 5,
         "no final barline at measure 5", kSystemIndent},
        {"after a measure not there", Rule(kFinalBarlines), 9, "measure-unreadable", 8,
         "measure 8 could not be read", std::nullopt},
        {"in a part", Rule(kFinalBarlines, true, true), 5, "final-barline", 4,
         "the final barline at measure 4", kPartsFirstSystemIndent},
        {"not laid out",
         {kFinalBarlines, true, standin::MeasureRange{0, 9}, false},
         0,
         "before-first-measure",
         0,
         "starts before measure 1",
         kSystemIndent},
        {"full names", Rule(kFullNames), 7, "full-names", 7, "the full-names flag at measure 7",
         kFirstSystemIndent},
        {"no full names", Rule(kFullNames), 6, "no-full-names", 6,
         "no full-names flag at measure 6", kSystemIndent},
        {"full names at the first measure", Rule(kFullNames), 1, "first-measure", 1,
         "the first measure of the piece", kFirstSystemIndent},
        {"full names an older host does not have", Rule(kFullNames, false), 5, "full-names-unknown",
         5, "the full-names flag at measure 5, which hosts before 0x10000000 do not have",
         kSystemIndent},
        {"full names of a measure not there", Rule(kFullNames), 8, "measure-unreadable", 8,
         "measure 8 could not be read", std::nullopt},
        {"full names of a first measure not there", Rule(kFullNames), 1, "first-measure", 1,
         "the first measure of the piece", kFirstSystemIndent},
        {"full names of a measure not there, on an older host", Rule(kFullNames, false), 8,
         "no-full-names", 8, "no full-names flag at measure 8", kSystemIndent},
    };
    const standin::RecordStore records = Document();
    for (const Case &one : cases) {
        SCOPED_TRACE(one.what);
        std::vector<SystemChange> systems(1);
        systems[0].item = 1;
        systems[0].firstMeasureAfter = static_cast<int16_t>(one.firstMeasure);
        standin::ExplainIndents(records, one.rule, systems);
        EXPECT_EQ(systems[0].reason.code, one.code);
        EXPECT_EQ(systems[0].reason.measure, one.measure);
        EXPECT_EQ(systems[0].reason.text, one.text);
        EXPECT_EQ(systems[0].reason.expectedIndent, one.expected);
        EXPECT_EQ(systems[0].inSelection, std::string(one.code) != "not-selected");
    }
}

TEST(IndentReasons, OfSystemsAtOneMeasureOnlyTheFirstCountsAndStrayingShows) {
    std::vector<SystemChange> systems(3);
    for (int16_t i = 0; i < 3; ++i) {
        systems[i].item = static_cast<int16_t>(i + 1);
        systems[i].firstMeasureAfter = 5;
    }
    systems[1].indentAfter = kFirstSystemIndent;  // a module that indents the second too
    standin::ExplainIndents(Document(), Rule(kFinalBarlines), systems);
    EXPECT_EQ(systems[0].reason.code, "final-barline");
    EXPECT_TRUE(systems[0].Unexpected());  // left at 0, not indented
    for (int i : {1, 2}) {
        EXPECT_EQ(systems[i].reason.text, "system 1 also starts at measure 5");
        EXPECT_EQ(systems[i].reason.expectedIndent, std::nullopt);
    }
    EXPECT_TRUE(systems[1].Unexpected());
    EXPECT_FALSE(systems[2].Unexpected());
}

// An indent is expected only where the host holds it; a record neither
// indent is in does not matter.
TEST(IndentReasons, WithoutTheChosenIndentNothingIsExpectedToChange) {
    // The system at measure 5 follows the final barline at 4.
    const standin::RecordKey firstSystemIndent = standin::fields::kPageFormatWords[1].Key();
    const standin::RecordKey unused{hostdata::OtherTag('3', '9'), -2, 0};
    for (const auto &[key, size] :
         {std::pair{firstSystemIndent, 0}, {firstSystemIndent, 3}, {unused, 0}}) {
        standin::RecordStore records = Document();
        if (size == 0) {
            records.Erase(key);
        } else {
            records.Put(key, Bytes(size, 0));
        }
        std::vector<SystemChange> systems(1);
        systems[0].item = 1;
        systems[0].firstMeasureAfter = 5;
        standin::ExplainIndents(records, Rule(kFinalBarlines), systems);
        if (key == unused) {
            EXPECT_NE(systems[0].reason.expectedIndent, std::nullopt);
            continue;
        }
        EXPECT_EQ(systems[0].reason.code, "page-format-unreadable") << key.tag << " " << size;
        EXPECT_EQ(systems[0].reason.text,
                  "the page format's first-system indent could not be read");
        EXPECT_EQ(systems[0].reason.expectedIndent, std::nullopt);
    }
}

// A measure the host holds short still decides by the words it holds, as
// the module reads them; only a word past its end cannot be read.
TEST(IndentReasons, AShortMeasureDecidesByTheWordsItHolds) {
    struct ShortCase {
        std::size_t size;
        Command command;
        const char *code;
    };
    const std::size_t flagsEnd = standin::fields::kMeasureFlags + 2;
    const std::size_t barlineEnd = standin::fields::kMeasureBarline + 2;
    for (const ShortCase &one : {ShortCase{barlineEnd, kFinalBarlines, "final-barline"},
                                 ShortCase{barlineEnd - 1, kFinalBarlines, "measure-unreadable"},
                                 ShortCase{flagsEnd, kFullNames, "full-names"},
                                 ShortCase{flagsEnd - 1, kFullNames, "measure-unreadable"}}) {
        const bool fullNames = one.command == kFullNames;
        SCOPED_TRACE(std::to_string(one.size) + (fullNames ? " full names" : " barline"));
        standin::RecordStore records = Document();
        Bytes measure(standin::fields::kMeasureSize, 0);
        hostdata::WriteU16(measure.data(), standin::fields::kMeasureBarline, 0x0050);
        hostdata::WriteU16(measure.data(), standin::fields::kMeasureFlags, 0x0800);
        measure.resize(one.size);
        records.Put({hostdata::kMeasureTag, 3, 0}, measure);
        std::vector<SystemChange> systems(1);
        systems[0].item = 1;
        systems[0].firstMeasureAfter = fullNames ? 3 : 4;
        standin::ExplainIndents(records, Rule(one.command), systems);
        EXPECT_EQ(systems[0].reason.code, one.code);
    }
}

}  // namespace
