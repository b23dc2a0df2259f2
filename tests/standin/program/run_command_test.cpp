#include "standin/program/run_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/host/call_trace.h"
#include "standin/program/run_report.h"
#include "standin/program/svg_picture.h"

namespace {

using standin::Bytes;
using standin::MeasureRange;
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
    EXPECT_EQ(report["command"],
              nlohmann::json::parse(R"({"index": 2, "menuText": null, "offered": false})"));
    EXPECT_EQ(report["selection"], nullptr);
    EXPECT_EQ(report["systems"].size(), 2u);
    EXPECT_EQ(report["systemsChanged"], 1);
    EXPECT_EQ(report["systems"][1]["asExpected"], false);
    EXPECT_EQ(report["otherRecordsChanged"][0],
              nlohmann::json::parse(R"({"tag": "ot77", "item": -2, "inci": 3})"));
}

// The rows of the table: from the line after its header to the count.
std::vector<std::string> TableRows(const std::string &report) {
    std::vector<std::string> rows;
    std::istringstream lines(report.substr(report.find("\nsystem ") + 1));
    for (std::string line; std::getline(lines, line) && line.find(" of ") == std::string::npos;) {
        rows.push_back(line);
    }
    return rows;
}

TEST(RunReport, TheTablesColumnsLineUpAtTheWidestValuesAndListWhatTheRunChanged) {
    standin::RunResult result;
    result.systems = {System(1, 1, 0, 144, true), System(2, 32767, -32768, -500, true),
                      System(3, 9, 36, 36, true), System(4, 0, 0, 0, false)};
    result.systems[3].firstMeasureAfter = 12;  // laid out by the run, its indent left alone
    std::ostringstream table;
    standin::PrintRunReport(result, standin::ReportFormat::Table, false, table);
    const std::vector<std::string> rows = TableRows(table.str());
    ASSERT_EQ(rows.size(), 5u) << table.str();
    const std::size_t indents = rows[0].find("left indent");
    const std::size_t arrow = rows[1].find(" -> ", indents);
    const std::size_t changedWord = rows[1].find("changed");
    const std::size_t reason = rows[0].find("reason");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i]);
        EXPECT_EQ(rows[i].find(" -> ", indents), arrow);
        if (result.systems[i - 1].IndentChanged()) {
            EXPECT_EQ(rows[i].find("changed"), changedWord);
        }
        EXPECT_EQ(rows[i].find(result.systems[i - 1].reason.text), reason);
    }

    std::ostringstream changed;
    standin::PrintRunReport(result, standin::ReportFormat::Csv, true, changed);
    std::vector<std::string> listed;
    std::istringstream lines(changed.str());
    for (std::string line; std::getline(lines, line);) listed.push_back(line.substr(0, 2));
    EXPECT_EQ(listed, (std::vector<std::string>{"sy", "1,", "2,", "4,"}));
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
    EXPECT_NE(trace.find("FX_SaveEData v=0x00000000 -> 1\n    byte 1: 02 -> 03\n"),
              std::string::npos);
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
    for (const char *legend :
         {">red: the command changed the system's left indent<", ">dashed line: left indent 0<",
          ">shaded: in the selection (measures 5 to 12)<",
          ">left indents in EVPUs (288 to the inch)"}) {
        EXPECT_EQ(Count(svg, legend), 1u) << legend;
    }
}

// The value of the first `name` attribute after `at`.
long Attribute(const std::string &svg, std::size_t at, const std::string &name) {
    const std::size_t start = svg.find(" " + name + "=\"", at) + name.size() + 3;
    return std::stol(svg.substr(start, svg.find('"', start) - start));
}

// Text takes some 6.5 pixels a character in the viewers' sans-serif faces:
// 7 is a bound that a picture must leave room for.
long Characters(const std::string &text) {
    long count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

TEST(SystemsPicture, LeavesRoomForLongLabelsAndReasonsAndShowsItsScale) {
    std::vector<standin::SystemChange> systems = {System(1, -32768, -32768, -32768, false),
                                                  System(2, 32767, 0, 144, true)};
    systems[1].reason.text = std::string(150, 'r');
    const std::string svg = standin::SystemsPicture(systems, std::string(120, 'c'), "all");
    const long width = Attribute(svg, 0, "width");
    for (std::size_t at = svg.find("<text"); at != std::string::npos;
         at = svg.find("<text", at + 1)) {
        const std::size_t start = svg.find('>', at) + 1;
        const std::string text = svg.substr(start, svg.find('<', start) - start);
        SCOPED_TRACE(text);
        const bool caption =
            svg.compare(svg.find('"', svg.find(" fill=", at) + 7) + 1, 14, " font-size=\"14") == 0;
        EXPECT_LE(Attribute(svg, at, "x") + Characters(text) * (caption ? 9 : 7), width);
        if (text.rfind("m. ", 0) != 0) continue;
        // A label ends before its staff starts, however far left that is.
        EXPECT_LE(Attribute(svg, at, "x") + Characters(text) * 7,
                  Attribute(svg, svg.find("<line", at), "x1"));
    }
    // A round length at the picture's scale: at most 300 indent units
    // across, half a pixel each.
    const std::string small = standin::SystemsPicture({System(1, 1, 0, 144, true)}, "c", "all");
    const std::size_t bar = small.find(">200 EVPUs<");
    ASSERT_NE(bar, std::string::npos);
    const std::size_t start = small.rfind("<line", small.rfind("stroke-width=\"1.5\"", bar));
    EXPECT_EQ(Attribute(small, start, "x2") - Attribute(small, start, "x1"), 100);
}

// Where the staff after the command starts, in pixels right of the dashed
// line of left indent 0, for the system whose first measure is `measure`.
long DrawnIndentAfter(const std::string &svg, int measure) {
    const std::string label = ">m. " + std::to_string(measure) + "</text>";
    const std::size_t after = svg.find(label, svg.find(label) + 1);
    const std::size_t zero = svg.find("stroke-dasharray", svg.find("stroke-dasharray") + 1);
    return Attribute(svg, svg.find("<line", after), "x1") -
           Attribute(svg, svg.rfind("<line", zero), "x1");
}

// One huge indent would scale every other to nothing: the axis skips the
// stretch no indent lies in, at the same scale on either side, and says so.
TEST(SystemsPicture, KeepsSmallChangesVisibleBesideAHugeIndent) {
    const std::vector<standin::SystemChange> systems = {
        System(1, 1, 144, 144, true), System(2, 5, 0, 144, true), System(3, 9, 0, 32767, true)};
    const std::string svg = standin::SystemsPicture(systems, "c", "all");
    EXPECT_EQ(DrawnIndentAfter(svg, 5), 72);  // half a pixel per unit
    EXPECT_EQ(DrawnIndentAfter(svg, 9), 72 + 16);
    EXPECT_EQ(Count(svg,
                    ">zigzag: the axis skips from 144 to 32767 EVPUs, which no indent lies "
                    "between; the scale holds on either side<"),
              1u);
    // Indents spread over the axis keep it whole.
    const std::string spread = standin::SystemsPicture(
        {System(1, 1, 0, 1000, true), System(2, 5, 0, 2000, true), System(3, 9, 0, 3000, true)},
        "c", "all");
    EXPECT_EQ(DrawnIndentAfter(spread, 5), 100);
    EXPECT_EQ(Count(spread, "zigzag"), 0u);
}

// The values of every coordinate and size in the picture.
std::vector<std::string> Coordinates(const std::string &svg) {
    std::vector<std::string> values;
    for (const char *name : {" x=\"", " y=\"", " x1=\"", " y1=\"", " x2=\"", " y2=\"", " width=\"",
                             " height=\"", " viewBox=\""}) {
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
    // Pages of 800 rows side by side: no taller than viewers take.
    EXPECT_LE(Attribute(svg, 0, "height"), 32767);
    EXPECT_EQ(Count(svg, ">page 41 of 41: rows 32001 to 32767<"), 1u);
    EXPECT_EQ(Count(svg, ">before<"), 41u);
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
