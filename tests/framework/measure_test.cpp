#include <gtest/gtest.h>

#include <memory>

#include "framework/fc_measure.h"
#include "hostdata/host_version.h"
#include "interface/record_bytes.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

// A measure as the host stores it, in the 30-byte layout: every word holds
// 0x0101 times its offset, except the flags and barline words.
standin::Bytes StoredMeasure(uint16_t flags, uint16_t barline) {
    standin::Bytes record(30, 0);
    for (std::size_t offset = 0; offset < 30; offset += 2) {
        hostdata::WriteU16(record.data(), offset, static_cast<uint16_t>(0x0101 * offset));
    }
    hostdata::WriteU16(record.data(), 12, flags);
    hostdata::WriteU16(record.data(), 14, barline);
    return record;
}

class Measures : public HostTest {
protected:
    Measures() { host.PutMeasure(3, StoredMeasure(0x0840, 0x0050)); }
    FCMeasure measure;
};

TEST_F(Measures, TheHostVersionChoosesTheLayoutComparedUnsigned) {
    const std::pair<uint32_t, const char *> layouts[] = {
        {0x11FFFFFF, "FX_LoadEData 'SOMS' (3,0) room 26 v=0x0A000000 -> 1 size 26"},
        {0x12000000, "FX_LoadEData 'SOMS' (3,0) room 30 v=0x12000000 -> 1 size 30"},
        {0x80000000, "FX_LoadEData 'SOMS' (3,0) room 30 v=0x12000000 -> 1 size 30"}};
    for (const auto &[version, load] : layouts) {
        hostdata::SetHostVersion(version);
        host.ClearTrace();
        ASSERT_TRUE(measure.LoadItem(3));
        EXPECT_EQ(Calls().front(), load);
        EXPECT_TRUE(measure.ShowsFullNames());
        EXPECT_EQ(measure.BarlineStyle(), FCMeasure::kFinalBarlineStyle);
    }
}

TEST_F(Measures, OnlyBitsFourToSevenOfTheBarlineWordMakeTheStyle) {
    const std::pair<uint16_t, int> cases[] = {{0x0040, 4}, {0x0060, 6}, {0xFF5F, 5}};
    for (const auto &[word, style] : cases) {
        host.PutMeasure(4, StoredMeasure(0x00C0, word));
        ASSERT_TRUE(measure.LoadItem(4));
        EXPECT_EQ(measure.BarlineStyle(), style);
        EXPECT_FALSE(measure.ShowsFullNames());
    }
}

TEST_F(Measures, LoadItemZeroChangesNothingAndAnyOtherDropsTheAttachments) {
    const auto attach = [this] {
        measure.SetFirstAttachment(std::make_unique<FCMeasureFirstAttachment>());
        measure.SetSecondAttachment(std::make_unique<FCMeasureSecondAttachment>());
        measure.SetThirdAttachment(std::make_unique<FCMeasureThirdAttachment>());
    };
    const auto attached = [this] {
        return measure.GetFirstAttachment() != nullptr &&
               measure.GetSecondAttachment() != nullptr && measure.GetThirdAttachment() != nullptr;
    };
    const auto detached = [this] {
        return measure.GetFirstAttachment() == nullptr &&
               measure.GetSecondAttachment() == nullptr && measure.GetThirdAttachment() == nullptr;
    };
    ASSERT_TRUE(measure.LoadItem(3));
    attach();
    host.ClearTrace();
    EXPECT_FALSE(measure.LoadItem(0));
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(attached());
    EXPECT_EQ(measure.GetItemNo(), 3);
    EXPECT_EQ(measure.GetLoadedSize(), 30u);
    EXPECT_TRUE(measure.Reload());
    EXPECT_TRUE(detached()) << "a reload is a load";
    attach();
    EXPECT_FALSE(measure.LoadItem(9));
    EXPECT_TRUE(detached());
}

// A record the host supplies short lacks the words past its end; those it
// holds are read as ever.
TEST_F(Measures, AShortRecordHoldsOnlyTheWordsItReaches) {
    struct Case {
        uint32_t version;
        std::size_t stored;  // bytes of the stored 30-byte record
        bool flags, barline;
    };
    // The 26-byte layout has no bytes 4 to 7: a stored record of n bytes
    // from 8 on reaches n - 4 bytes.
    for (const Case &c : {Case{0x12000000, 13, false, false}, Case{0x12000000, 14, true, false},
                          Case{0x12000000, 15, true, false}, Case{0x12000000, 16, true, true},
                          Case{0x11FFFFFF, 13, false, false}, Case{0x11FFFFFF, 14, true, false},
                          Case{0x11FFFFFF, 16, true, true}}) {
        hostdata::SetHostVersion(c.version);
        standin::Bytes stored = StoredMeasure(0x0800, 0x0050);
        stored.resize(c.stored);
        host.PutMeasure(5, stored);
        ASSERT_TRUE(measure.LoadItem(5));
        EXPECT_EQ(measure.HoldsFlags(), c.flags) << c.version << " " << c.stored;
        EXPECT_EQ(measure.HoldsBarline(), c.barline) << c.version << " " << c.stored;
        EXPECT_EQ(measure.ShowsFullNames(), c.flags);
    }
}

TEST_F(Measures, SaveWritesTheAttachmentsIntoTheLayoutInForce) {
    // The 30-byte layout puts the words from offset 4 on four bytes further.
    // Each layout starts from the record as stored, which holds none of the
    // values written.
    const std::pair<uint32_t, std::size_t> layouts[] = {{0x12000000, 4}, {0x11FFFFFF, 0}};
    for (const auto &[version, shift] : layouts) {
        hostdata::SetHostVersion(version);
        host.PutMeasure(3, StoredMeasure(0x0840, 0x0050));
        ASSERT_TRUE(measure.LoadItem(3));
        auto first = std::make_unique<FCMeasureFirstAttachment>();
        first->word = 0xA1A1;
        auto second = std::make_unique<FCMeasureSecondAttachment>();
        second->firstWord = 0xB1B1;
        second->secondWord = 0xB2B2;
        second->flagsBit0080 = true;
        // Each layout holds a different one of the two values.
        auto third = std::make_unique<FCMeasureThirdAttachment>();
        third->firstWord = 0xC1C1;
        third->secondWord = 0xC2C2;
        third->keepFirstWord = shift != 0;
        third->keepSecondWord = shift == 0;
        third->bit0002 = true;
        measure.SetFirstAttachment(std::move(first));
        measure.SetSecondAttachment(std::move(second));
        measure.SetThirdAttachment(std::move(third));
        ASSERT_TRUE(measure.Save());
        const standin::HostCall &save = host.Trace().back();
        EXPECT_EQ(save.length, shift ? 30 : 26);
        EXPECT_EQ(save.version, shift ? 0x12000000u : 0x0A000000u);
        const uint8_t *saved = save.data.data();
        EXPECT_EQ(hostdata::ReadU16(saved, 2), 0xA1A1);
        EXPECT_EQ(hostdata::ReadU16(saved, 4 + shift), 0xB1B1);
        EXPECT_EQ(hostdata::ReadU16(saved, 6 + shift), 0xB2B2);
        EXPECT_EQ(hostdata::ReadU16(saved, 8 + shift), 0x0880);
        EXPECT_EQ(hostdata::ReadU16(saved, 12 + shift), shift ? 0x1010 : 0xC1C1);
        EXPECT_EQ(hostdata::ReadU16(saved, 14 + shift), shift ? 0xC2C2 : 0x1212);
        EXPECT_EQ(hostdata::ReadU16(saved, 16 + shift), 0x1414 | 0x0002);
        EXPECT_EQ(hostdata::ReadU16(saved, 22 + shift), 0x1A1A);
    }
}

TEST_F(Measures, WithoutAttachmentsTheRecordIsSavedAsLoaded) {
    ASSERT_TRUE(measure.LoadItem(3));
    ASSERT_TRUE(measure.Save());
    EXPECT_EQ(host.Trace().back().data, StoredMeasure(0x0840, 0x0050));
}

TEST_F(Measures, CopyFromANewMeasureHoldsZeroBytesOfTheLayoutInForce) {
    hostdata::SetHostVersion(0x11FFFFFF);
    ASSERT_TRUE(measure.LoadItem(3));
    FCMeasure fresh;
    measure.CopyDataFrom(fresh);
    EXPECT_EQ(measure.GetItemNo(), 3);
    EXPECT_EQ(standin::Bytes(measure.HeldBytes(), measure.HeldBytes() + measure.GetLoadedSize()),
              standin::Bytes(26, 0));
}

TEST_F(Measures, ACopyHoldsOnlyWhatItsSourceLoaded) {
    host.PutMeasure(4, standin::Bytes(12, 0x44));
    FCMeasure source;
    ASSERT_TRUE(source.LoadItem(4));
    measure.CopyDataFrom(source);
    EXPECT_EQ(measure.GetLoadedSize(), 12u);
    EXPECT_EQ(measure.HeldBytes(), measure.GetRecordBuffer());
    EXPECT_FALSE(measure.HoldsFlags());
}

}  // namespace
