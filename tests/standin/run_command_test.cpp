#include "standin/run_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <tuple>
#include <string>
#include <vector>

#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"
#include "standin/call_trace.h"
#include "standin/run_report.h"
#include "standin/svg_picture.h"

namespace {

using standin::MeasureRange;
using standin::Bytes;
using standin::UsageError;

TEST(RunCommand, MeasuresAreARangeOrOneNumber) {
    const MeasureRange range = standin::ParseMeasureRange("5-12");
    EXPECT_EQ(range.first, 5);
    EXPECT_EQ(range.last, 12);
    const MeasureRange one = standin::ParseMeasureRange("32767");
    EXPECT_EQ(one.first, 32767);
    EXPECT_EQ(one.last, 32767);
    EXPECT_EQ(standin::ParseMeasureRange("12-5").first, 12);  // the module decides what that does
    for (const char *bad : {"", "5-", "-5", "a-b", "5-12-13", "32768", "5 - 12", "+5"}) {
        EXPECT_THROW(standin::ParseMeasureRange(bad), UsageError) << bad;
    }
}

TEST(RunCommand, TheSelectionRecordHoldsBothPointsOfTheFirstSlot) {
    const auto record = standin::SelectionRecord({5, 300});
    ASSERT_EQ(record.size(), 20u);
    for (std::size_t point : {0u, 10u}) {
        EXPECT_EQ(hostdata::ReadU16(record.data(), point), 0);       // slot context
        EXPECT_EQ(hostdata::ReadU16(record.data(), point + 2), 1);   // slot
        EXPECT_EQ(hostdata::ReadU32(record.data(), point + 6), 0u);  // position
    }
    EXPECT_EQ(hostdata::ReadI16(record.data(), 4), 5);
    EXPECT_EQ(hostdata::ReadI16(record.data(), 14), 300);
}

standin::SystemChange System(int16_t item, int16_t measure, int16_t before, int16_t after,
                             bool selected) {
    standin::SystemChange system;
    system.item = item;
    system.firstMeasureBefore = system.firstMeasureAfter = measure;
    system.indentBefore = before;
    system.indentAfter = after;
    system.inSelection = selected;
    system.reason.text = "the final barline at measure " + std::to_string(measure - 1);
    return system;
}

TEST(RunReport, ScriptsGetEverySystemOrTheChangedOnesWithQuotedFields) {
    standin::RunResult result;
    result.menuIndex = 2;  // not offered: no menu text
    result.systems = {System(1, 1, 0, 0, false), System(2, 5, 0, 144, true)};
    result.systems[1].reason = {"full-names-unknown", 5, "flag at 5, which \"old\" hosts lack", 0};
    result.otherRecordsChanged = {{hostdata::MakeTag('o', 't', '7', '7'), -2, 3}};

    std::ostringstream csv;
    standin::PrintRunReport(result, standin::ReportFormat::Csv, true, csv);
    EXPECT_EQ(csv.str().substr(csv.str().find('\n') + 1),
              "2,5,5,0,144,true,false,full-names-unknown,5,0,false,"
              "\"flag at 5, which \"\"old\"\" hosts lack\"\n");

    std::ostringstream json;
    standin::PrintRunReport(result, standin::ReportFormat::Json, false, json);
    const auto report = nlohmann::json::parse(json.str());
    EXPECT_EQ(report["command"], nlohmann::json::parse(
                                     R"({"index": 2, "menuText": null, "offered": false})"));
    EXPECT_EQ(report["selection"], nullptr);
    EXPECT_EQ(report["systems"].size(), 2u);
    EXPECT_EQ(report["systemsChanged"], 1);
    EXPECT_EQ(report["systems"][1]["asExpected"], false);
    EXPECT_EQ(report["otherRecordsChanged"][0],
              nlohmann::json::parse(R"({"tag": "ot77", "item": -2, "inci": 3})"));
}

TEST(CallTrace, ASaveShowsEachRunOfBytesItChanged) {
    const std::tuple<Bytes, Bytes, const char *> cases[] = {
        {{1, 2, 3}, {1, 2, 3}, "no byte changed"},
        {{1, 2, 3, 4, 5}, {1, 9, 9, 4, 6}, "bytes 1-2: 02 03 -> 09 09; byte 4: 05 -> 06"},
        {{1, 2}, {1, 2, 0x0A}, "byte 2: none -> 0a"},
        {{1, 2, 3}, {1}, "bytes 1-2: 02 03 -> none"},
    };
    for (const auto &[before, after, text] : cases) {
        EXPECT_EQ(standin::ChangedBytes(before, after), text);
    }
    standin::HostCall save;
    save.function = "FX_SaveEData";
    save.result = 1;
    save.replaced = true;
    save.earlier = {1, 2};
    save.data = {1, 3};
    const std::string trace = standin::TraceText({save});
    EXPECT_EQ(trace.rfind("# function 'tag' (item,inci)", 0), 0u);
    EXPECT_NE(trace.find("FX_SaveEData v=0x00000000 -> 1\n    byte 1: 02 -> 03\n"), std::string::npos);
}

std::size_t Count(const std::string &text, const std::string &part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(SystemsPicture, DrawsEverySystemTwiceMarksTheChangedAndTheSelectedAndExplains) {
    const std::string svg =
        standin::SystemsPicture({System(1, 1, 144, 144, false), System(2, 5, 0, 144, true)},
                                "Final <Barlines> & more", "measures 5 to 12");

    EXPECT_EQ(svg.rfind("<svg ", 0), 0u);
    EXPECT_NE(svg.find(">Final &lt;Barlines&gt; &amp; more</text>"), std::string::npos);
    // Four staves of five lines, and the legend's red one.
    EXPECT_EQ(Count(svg, "stroke-width=\"0.8\""), 5u * 5u);
    EXPECT_EQ(Count(svg, "indent 0 \xE2\x86\x92 144: the final barline at measure 4<"), 1u);
    EXPECT_EQ(Count(svg, ">m. 5</text>"), 2u);
    EXPECT_EQ(Count(svg, "fill=\"#c0392b\">m. 5<"), 1u);  // after, not before
    EXPECT_EQ(Count(svg, "fill=\"#c0392b\">m. 1<"), 0u);
    EXPECT_EQ(Count(svg, "fill=\"#e8f0fa\""), 2u);  // the selected row, and the legend's
    for (const char *legend : {">red: the command changed the system's left indent<",
                               ">dashed line: left indent 0<",
                               ">shaded: in the selection (measures 5 to 12)<",
                               ">left indents in EVPUs (288 to the inch)"}) {
        EXPECT_EQ(Count(svg, legend), 1u) << legend;
    }
}

// The values of every coordinate and size in the picture.
std::vector<std::string> Coordinates(const std::string &svg) {
    std::vector<std::string> values;
    for (const char *name : {" x=\"", " y=\"", " x1=\"", " y1=\"", " x2=\"", " y2=\"",
                             " width=\"", " height=\"", " viewBox=\""}) {
        const std::size_t length = std::string(name).size();
        for (auto at = svg.find(name); at != std::string::npos; at = svg.find(name, at + 1)) {
            values.push_back(svg.substr(at + length, svg.find('"', at + length) - at - length));
        }
    }
    return values;
}

TEST(SystemsPicture, KeepsWholePixelsAndDistinctStaffLinesAtTheMostSystems) {
    std::vector<standin::SystemChange> systems;
    for (int16_t item = 1; item < 32767; ++item) {
        systems.push_back(System(item, item, static_cast<int16_t>(item % 7 * 1000 - 3000),
                                 static_cast<int16_t>(item % 5 * 77), item % 2 == 0));
    }
    systems.push_back(System(32767, 32767, -32768, 32767, true));
    const std::string svg = standin::SystemsPicture(systems, "all", "measures 1 to 32767");
    for (const std::string &value : Coordinates(svg)) {
        if (value == "100%") continue;
        ASSERT_EQ(value.find_first_not_of("-0123456789 "), std::string::npos) << value;
    }
    // The last system's staff: its start line, then five lines, each at a
    // height of its own.
    std::size_t at = svg.rfind(">m. 32767</text>");
    ASSERT_NE(at, std::string::npos);
    std::set<std::string> heights;
    for (int line = 0; line < 6; ++line) {
        at = svg.find("y1=\"", at + 1);
        ASSERT_NE(at, std::string::npos);
        heights.insert(svg.substr(at + 4, svg.find('"', at + 4) - at - 4));
    }
    EXPECT_EQ(heights.size(), 5u);
}

}  // namespace
