#include "standin/run_command.h"

#include <gtest/gtest.h>

#include "hostdata/record_bytes.h"
#include "standin/svg_picture.h"

namespace {

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

std::size_t Count(const std::string &text, const std::string &part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(SystemsPicture, DrawsEverySystemTwiceAndMarksOnlyTheChangedOnes) {
    standin::SystemChange kept, changed;
    kept.item = 1;
    kept.firstMeasureBefore = kept.firstMeasureAfter = 1;
    kept.indentBefore = kept.indentAfter = 144;
    changed.item = 2;
    changed.firstMeasureBefore = changed.firstMeasureAfter = 5;
    changed.indentAfter = 144;
    const std::string svg = standin::SystemsPicture({kept, changed}, "Final <Barlines> & more");

    EXPECT_EQ(svg.rfind("<svg ", 0), 0u);
    EXPECT_NE(svg.find(">Final &lt;Barlines&gt; &amp; more</text>"), std::string::npos);
    EXPECT_EQ(Count(svg, "stroke-width=\"0.8\""), 4u * 5u);  // four staves of five lines
    EXPECT_EQ(Count(svg, "indent 0 \xE2\x86\x92 144"), 1u);
    EXPECT_EQ(Count(svg, ">m. 5</text>"), 2u);
    EXPECT_EQ(Count(svg, "fill=\"#c0392b\">m. 5<"), 1u);  // after, not before
    EXPECT_EQ(Count(svg, "fill=\"#c0392b\">m. 1<"), 0u);
}

}  // namespace
