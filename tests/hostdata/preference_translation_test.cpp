#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "hostdata/field_map.h"
#include "hostdata/host_calls.h"
#include "hostdata/whole_record.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

using Lines = std::vector<std::string>;
using hostdata::OtherTag;

constexpr uint32_t kVersion = 0x19000000;
const uint32_t kPageFormat = hostdata::kPageFormatTag;

uint32_t Pf(char c1, char c2) { return hostdata::MakeTag('p', 'f', c1, c2); }

class PreferenceTranslation : public HostTest {
protected:
    // Every other record of the score page format, word k of record r
    // holding 0x0r0k.
    void PutScorePageFormat() {
        const char *records[] = {"14", "15", "39", "16", "02", "17", "01", "13", "03"};
        for (uint16_t r = 0; r < 9; ++r) {
            std::array<uint16_t, 6> words;
            for (uint16_t k = 0; k < 6; ++k) words[k] = static_cast<uint16_t>((r + 1) << 8 | k);
            PutOther(records[r][0], records[r][1], 0, words);
        }
    }

    int16_t Load(uint32_t tag, uint16_t item, void *buffer, int32_t *size) {
        hostdata::DataKey key{static_cast<int16_t>(item), 0};
        return hostdata::LoadHostRecord(tag, &key, buffer, size, kVersion);
    }

    int16_t Save(uint32_t tag, uint16_t item, const void *buffer, int32_t length,
                 uint32_t version = kVersion) {
        hostdata::DataKey key{static_cast<int16_t>(item), 0};
        return hostdata::SaveHostRecord(tag, &key, buffer, length, version);
    }

    std::array<uint8_t, 48> record{};
    int32_t size = 48;
};

// The score page format: field maps inside load and save host record.

TEST_F(PreferenceTranslation, ScorePageFormatLoadsItsNineOtherRecordsOnceEach) {
    PutScorePageFormat();
    EXPECT_EQ(Load(kPageFormat, 0, record.data(), &size), 1);
    EXPECT_EQ(size, 48);
    EXPECT_EQ(Calls(), (Lines{
                           "FX_LoadEData 'ot14' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot15' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot39' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot16' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot02' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot17' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot01' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot13' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot03' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                       }));
    EXPECT_EQ(hostdata::ReadU32(record.data(), 0), 0x01000101u);  // 'ot14' words 0, 1
    EXPECT_EQ(hostdata::ReadU16(record.data(), 28), 0x0601);      // system indent
    EXPECT_EQ(hostdata::ReadU16(record.data(), 30), 0x0603);
    EXPECT_EQ(hostdata::ReadU16(record.data(), 46), 0x0901);  // first-system indent
}

TEST_F(PreferenceTranslation, SizeQueriesAndUnusableBuffersAskNoHost) {
    EXPECT_EQ(Load(kPageFormat, 0, nullptr, &size), 1);
    EXPECT_EQ(size, 48);
    size = 0;
    EXPECT_EQ(Load(kPageFormat, 1, nullptr, &size), 1);
    EXPECT_EQ(size, 48);
    EXPECT_EQ(Load(kPageFormat, 0, record.data(), nullptr), 0);
    EXPECT_EQ(Load(kPageFormat, 1, record.data(), nullptr), 0);
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 43), 0) << "two bytes per row";
    EXPECT_EQ(Save(kPageFormat, 0, nullptr, 48), 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PreferenceTranslation, SavingAnUnchangedRecordWritesNothing) {
    PutScorePageFormat();
    Load(kPageFormat, 0, record.data(), &size);
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 48), 1);
    EXPECT_EQ(CallsOf("FX_LoadEData").size(), 9u);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
}

TEST_F(PreferenceTranslation, SavingChangedFieldsWritesEachOfTheirOtherRecordsOnce) {
    PutScorePageFormat();
    Load(kPageFormat, 0, record.data(), &size);
    hostdata::WriteU16(record.data(), 46, 144);  // 'ot03' word 1
    hostdata::WriteU16(record.data(), 28, 28);   // 'ot17' word 1
    hostdata::WriteU16(record.data(), 30, 30);   // 'ot17' word 3
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 48), 1);
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              (Lines{"FX_SaveEData 'ot17' (-2,0) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot03' (-2,0) length 12 v=0x19000000 -> 1"}));
    EXPECT_EQ(OtherWord('1', '7', 0, 1), 28);
    EXPECT_EQ(OtherWord('1', '7', 0, 3), 30);
    EXPECT_EQ(OtherWord('1', '7', 0, 2), 0x0602);
    EXPECT_EQ(OtherWord('0', '3', 0, 1), 144);
    EXPECT_EQ(OtherWord('0', '3', 0, 0), 0x0900);

    host.FailCallsWhere([](const standin::HostCall &call) {
        return call.function == "FX_SaveEData" && call.tag == OtherTag('1', '7');
    });
    hostdata::WriteU16(record.data(), 28, 29);
    hostdata::WriteU16(record.data(), 46, 145);
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 48), 0) << "'ot17' was not written";
    EXPECT_EQ(OtherWord('0', '3', 0, 1), 145) << "the others still are";

    hostdata::WriteU32(record.data(), 0, 0x00030004);
    Save(kPageFormat, 0, record.data(), 48);
    EXPECT_EQ(OtherWord('1', '4', 0, 0), 0x0003) << "high word first";
    EXPECT_EQ(OtherWord('1', '4', 0, 1), 0x0004);
    EXPECT_EQ(OtherWord('1', '4', 0, 2), 0x0102);
}

TEST_F(PreferenceTranslation, SavesBelowTheVersionBoundGoToTheHostUntranslated) {
    Save(kPageFormat, 0, record.data(), 48, 0x07FFFFFF);
    EXPECT_EQ(Calls(), Lines{"FX_SaveEData 'pfPF' (0,0) length 48 v=0x07FFFFFF -> 1"});
    host.ClearTrace();
    Save(kPageFormat, 0, record.data(), 48, 0x08000000);
    EXPECT_EQ(CallsOf("FX_LoadEData").size(), 9u);
    EXPECT_TRUE(CallsOf("FX_SaveEData 'pfPF'").empty());
}

// Conversions: an inverted flag and a low byte, in the miscellaneous map.
class Conversions : public PreferenceTranslation {
protected:
    std::array<uint8_t, 104> misc{};
    int32_t miscSize = 104;
    const uint32_t kMisc = Pf('M', 'S');
};

TEST_F(Conversions, AnInvertedFlagReadsAndWritesOneForZero) {
    PutOther('3', '6', 0, {0, 0, 0, 0, 0, 0});
    Load(kMisc, 0, misc.data(), &miscSize);
    EXPECT_EQ(hostdata::ReadU16(misc.data(), 12), 1);
    hostdata::WriteU16(misc.data(), 12, 0);
    Save(kMisc, 0, misc.data(), 104);
    EXPECT_EQ(OtherWord('3', '6', 0, 1), 1);
    hostdata::WriteU16(misc.data(), 12, 9);
    Save(kMisc, 0, misc.data(), 104);
    EXPECT_EQ(OtherWord('3', '6', 0, 1), 0);
    PutOther('3', '6', 0, {0, 5, 0, 0, 0, 0});
    Load(kMisc, 0, misc.data(), &miscSize);
    EXPECT_EQ(hostdata::ReadU16(misc.data(), 12), 0);
}

TEST_F(Conversions, ALowByteReadsZeroExtendedAndWritesOnlyTheLowByte) {
    PutOther('1', '9', 0, {0, 0, 0, 0, 200, 300});
    Load(kMisc, 0, misc.data(), &miscSize);
    EXPECT_EQ(hostdata::ReadU16(misc.data(), 52), 200);
    EXPECT_EQ(hostdata::ReadU16(misc.data(), 54), 44);
    host.ClearTrace();
    Save(kMisc, 0, misc.data(), 104);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty()) << "an unchanged low byte is no change";
    hostdata::WriteU16(misc.data(), 54, 0xFF07);
    Save(kMisc, 0, misc.data(), 104);
    EXPECT_EQ(OtherWord('1', '9', 0, 5), 0x0107);
}

TEST_F(Conversions, WideFieldsLowWordFirstOrNotCopiedAtAll) {
    const hostdata::FieldMapRow rows[] = {
        {{'5', '0'}, 0, 0, 0, 0, 4, hostdata::kLowWordFirst},
        {{'5', '0'}, 0, 0, 4, 2, 4, hostdata::kPlainCopy},
    };
    const hostdata::FieldMap map{rows, 2};
    PutOther('5', '0', 0, {1, 2, 3, 4, 0, 0});
    std::array<uint8_t, 8> wide;
    int32_t room = 8;
    hostdata::AssemblePreferenceRecord(wide.data(), &room, map);
    EXPECT_EQ(hostdata::ReadU32(wide.data(), 0), 0x00020001u);
    EXPECT_EQ(hostdata::ReadU32(wide.data(), 4), 0u);

    hostdata::WriteU32(wide.data(), 0, 0x00050006);
    hostdata::ScatterPreferenceRecord(wide.data(), 8, map);
    EXPECT_EQ(OtherWord('5', '0', 0, 0), 6);
    EXPECT_EQ(OtherWord('5', '0', 0, 1), 5);

    host.ClearTrace();
    hostdata::WriteU32(wide.data(), 4, 7);
    hostdata::ScatterPreferenceRecord(wide.data(), 8, map);
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 1u) << "a nonzero uncopied field still counts";
    EXPECT_EQ(OtherWord('5', '0', 0, 2), 3);
    EXPECT_EQ(OtherWord('5', '0', 0, 3), 4);
}

// Maps whose fields leave gaps reach beyond their reported size: the
// buffer a caller states must reach the last field, loading and saving.

TEST_F(PreferenceTranslation, AGappedMapNeedsABufferThatReachesItsLastField) {
    const uint32_t styles = Pf('S', 'S');
    PutRecordsOf(*hostdata::FindFieldMap(styles, 0));
    std::array<uint8_t, 108> buffer;
    buffer.fill(0xEE);
    int32_t room = 96;
    EXPECT_EQ(Load(styles, 0, buffer.data(), &room), 0);
    EXPECT_EQ(room, 96);
    room = 107;
    EXPECT_EQ(Load(styles, 0, buffer.data(), &room), 0) << "one byte short";
    EXPECT_EQ(Save(styles, 0, buffer.data(), 107), 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xEE; }));

    room = 108;
    EXPECT_EQ(Load(styles, 0, buffer.data(), &room), 1);
    EXPECT_EQ(room, 96);
    EXPECT_EQ(buffer[30], 0xEE) << "the byte after a low-byte field belongs to no field";
    hostdata::WriteU16(buffer.data(), 104, 7);  // the last field: 'ot97' inci 1
    EXPECT_EQ(Save(styles, 0, buffer.data(), 108), 1);
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              Lines{"FX_SaveEData 'ot97' (-2,1) length 12 v=0x19000000 -> 1"});
}

// Record redirection: a preference record that is a run of other records.

TEST_F(PreferenceTranslation, PartsPageFormatIsFourConsecutiveOtherRecords) {
    for (int16_t inci = 0; inci < 4; ++inci) {
        PutOther('7', '7', inci, {static_cast<uint16_t>(inci + 1), 0, 0, 0, 0, 0x5555});
    }
    EXPECT_EQ(Load(kPageFormat, 1, record.data(), &size), 1);
    EXPECT_EQ(size, 48);
    EXPECT_EQ(Calls(), (Lines{
                           "FX_LoadEData 'ot77' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot77' (-2,1) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot77' (-2,2) room 12 v=0x19000000 -> 1 size 12",
                           "FX_LoadEData 'ot77' (-2,3) room 12 v=0x19000000 -> 1 size 12",
                       }));
    EXPECT_EQ(hostdata::ReadU16(record.data(), 36), 4);
    EXPECT_EQ(hostdata::ReadU16(record.data(), 46), 0x5555);

    host.ClearTrace();
    hostdata::WriteU16(record.data(), 12, 9);
    EXPECT_EQ(Save(kPageFormat, 1, record.data(), 48), 1);
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 4u);
    EXPECT_EQ(OtherWord('7', '7', 1, 0), 9);

    host.FailCallsWhere([](const standin::HostCall &call) {
        return call.function == "FX_SaveEData" && call.inciIn == 1;
    });
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 1, record.data(), 48), 0) << "a record was not written";
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 4u) << "the others still are";
}

TEST_F(PreferenceTranslation, NumberedRecordsServeOnlyTheirOwnItemNumbers) {
    std::array<uint8_t, 12> name{};
    int32_t room = 12;
    PutOther('4', '0', 4, {});
    EXPECT_EQ(Load(Pf('S', 'N'), 5, name.data(), &room), 1);
    EXPECT_EQ(Calls(), Lines{"FX_LoadEData 'ot40' (-2,4) room 12 v=0x19000000 -> 1 size 12"});
    host.ClearTrace();
    EXPECT_EQ(Load(Pf('S', 'N'), 0, name.data(), &room), 0);
    EXPECT_EQ(Load(Pf('S', 'N'), 129, name.data(), &room), 0);
    EXPECT_EQ(Load(Pf('S', 'N'), 0xFFFF, name.data(), &room), 0);
    EXPECT_EQ(Load(kPageFormat, 2, record.data(), &size), 0);
    EXPECT_EQ(Save(kPageFormat, 2, record.data(), 48), 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PreferenceTranslation, ARunNeedsRoomForAllItsRecords) {
    size = 47;
    EXPECT_EQ(Load(kPageFormat, 1, record.data(), &size), 0);
    EXPECT_EQ(size, 47);
    EXPECT_EQ(Save(kPageFormat, 1, record.data(), 47), 0);
    EXPECT_EQ(Save(kPageFormat, 1, nullptr, 48), 0);
    EXPECT_TRUE(Calls().empty());
}

// So do preference tags that neither table knows, and any tag without a
// key to go by.
TEST_F(PreferenceTranslation, OtherTagsGoToTheHostUnchanged) {
    std::array<uint8_t, 12> other{};
    int32_t room = 12;
    Load(OtherTag('7', '7'), 3, other.data(), &room);
    Load(Pf('Z', 'Z'), 0, other.data(), &room);
    Save(Pf('Z', 'Z'), 0, other.data(), 12);
    hostdata::LoadHostRecord(kPageFormat, nullptr, record.data(), &size, kVersion);
    hostdata::SaveHostRecord(kPageFormat, nullptr, record.data(), 48, kVersion);
    EXPECT_EQ(Calls(), (Lines{"FX_LoadEData 'ot77' (3,0) room 12 v=0x19000000 -> 0",
                              "FX_LoadEData 'pfZZ' (0,0) room 12 v=0x19000000 -> 0",
                              "FX_SaveEData 'pfZZ' (0,0) length 12 v=0x19000000 -> 1",
                              "FX_LoadEData 'pfPF' room 48 v=0x19000000 -> 0",
                              "FX_SaveEData 'pfPF' length 48 v=0x19000000 -> 0"}));
}

// Other records the host supplies whole, long, short or not at all. A
// preference field is never made up: it is filled only where the host
// supplied its words (a short record supplies the whole words it holds),
// and keeps the buffer's bytes elsewhere. The plain load of a preference
// record fails unless every field was supplied; a caller that asks which
// words were supplied gets any record the host supplied part of. A save
// neither patches nor writes an other record the host does not supply whole.

enum class Supply { kWhole, kLonger, kShorter, kMissing, kRefused };

struct SupplyCase {
    const char *name;
    Supply supply;
    bool whole;
    int wordsSupplied;  // of the six
};

class OtherRecordSupply : public PreferenceTranslation,
                          public ::testing::WithParamInterface<SupplyCase> {
protected:
    // Offers the other record with these words the way the case says.
    void Supply(char c1, char c2, int16_t inci, std::array<uint16_t, 6> words) {
        const standin::RecordKey key{OtherTag(c1, c2), -2, inci};
        PutOther(c1, c2, inci, words);
        standin::Bytes bytes = *host.Records().Find(key);
        switch (GetParam().supply) {
            case Supply::kWhole:
                return;
            case Supply::kLonger:
                bytes.resize(20, 0x77);
                break;
            // One whole word and half of the next.
            case Supply::kShorter:
                bytes.resize(3);
                break;
            case Supply::kMissing:
                host.Records().Erase(key);
                return;
            case Supply::kRefused:
                host.FailCallsWhere([key](const standin::HostCall &call) {
                    return call.function == "FX_LoadEData" && call.tag == key.tag &&
                           call.inciIn == key.inci;
                });
                return;
        }
        host.Records().Put(key, bytes);
    }

    // 48 bytes of record, then guard bytes that no load may touch.
    std::array<uint8_t, 56> guarded;
    int32_t room = 48;
    bool Unwritten(std::size_t from, std::size_t to) const {
        return std::all_of(guarded.begin() + from, guarded.begin() + to,
                           [](uint8_t b) { return b == 0xEE; });
    }

    int16_t LoadSupplied(uint16_t item, hostdata::SuppliedWords &supplied) {
        hostdata::DataKey key{static_cast<int16_t>(item), 0};
        return hostdata::LoadHostRecord(kPageFormat, &key, guarded.data(), &room, kVersion,
                                        &supplied);
    }
};

TEST_P(OtherRecordSupply, FillsAMappedFieldOnlyWithWordsTheHostSupplied) {
    PutScorePageFormat();
    // 'ot03' words 0 and 1 are the fields at offsets 44 and 46.
    Supply('0', '3', 0, {0x0900, 0x0901, 0, 0, 0, 0});
    guarded.fill(0xEE);
    EXPECT_EQ(Load(kPageFormat, 0, guarded.data(), &room), GetParam().whole ? 1 : 0);
    EXPECT_EQ(CallsOf("FX_LoadEData").size(), 9u);
    EXPECT_EQ(hostdata::ReadU16(guarded.data(), 28), 0x0601) << "the other fields are filled";
    const int words = GetParam().wordsSupplied;
    EXPECT_EQ(hostdata::ReadU16(guarded.data(), 44), words >= 1 ? 0x0900 : 0xEEEE);
    EXPECT_EQ(hostdata::ReadU16(guarded.data(), 46), words >= 2 ? 0x0901 : 0xEEEE);
    EXPECT_TRUE(Unwritten(48, 56));

    hostdata::SuppliedWords supplied;
    guarded.fill(0xEE);
    room = 48;
    EXPECT_EQ(LoadSupplied(0, supplied), 1);
    EXPECT_EQ(room, 48);
    EXPECT_TRUE(supplied.Covers(0, 44));
    EXPECT_EQ(supplied.Covers(44, 2), words >= 1);
    EXPECT_EQ(supplied.Covers(46, 2), words >= 2);
}

TEST_P(OtherRecordSupply, FillsARunOnlyWithWordsTheHostSupplied) {
    for (int16_t inci = 0; inci < 3; ++inci) PutOther('7', '7', inci, {1, 2, 3, 4, 5, 6});
    Supply('7', '7', 3, {7, 8, 9, 10, 11, 12});
    guarded.fill(0xEE);
    EXPECT_EQ(Load(kPageFormat, 1, guarded.data(), &room), GetParam().whole ? 1 : 0);
    EXPECT_EQ(CallsOf("FX_LoadEData").size(), 4u);
    EXPECT_EQ(hostdata::ReadU16(guarded.data(), 24), 1) << "the other records are copied";
    const auto supplied = static_cast<std::size_t>(2 * GetParam().wordsSupplied);
    EXPECT_EQ(hostdata::ReadU16(guarded.data(), 36), supplied > 0 ? 7 : 0xEEEE);
    EXPECT_TRUE(Unwritten(36 + supplied, 56));

    hostdata::SuppliedWords words;
    EXPECT_EQ(LoadSupplied(1, words), 1);
    EXPECT_EQ(words, hostdata::SuppliedWords::FirstBytes(36 + static_cast<int64_t>(supplied)));
}

TEST_P(OtherRecordSupply, AreSavedOnlyWhenTheHostSuppliesThemWhole) {
    PutScorePageFormat();
    Load(kPageFormat, 0, record.data(), &size);
    hostdata::WriteU16(record.data(), 28, 28);  // 'ot17'
    hostdata::WriteU16(record.data(), 46, 46);  // 'ot03'
    Supply('0', '3', 0, {0x0900, 0x0901, 0, 0, 0, 0});
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 48), GetParam().whole ? 1 : 0);
    Lines saves{"FX_SaveEData 'ot17' (-2,0) length 12 v=0x19000000 -> 1"};
    // A longer record goes back whole, never cut to its six words.
    const bool longer = GetParam().supply == Supply::kLonger;
    if (GetParam().whole) {
        saves.push_back(std::string("FX_SaveEData 'ot03' (-2,0) length ") + (longer ? "20" : "12") +
                        " v=0x19000000 -> 1");
    }
    EXPECT_EQ(CallsOf("FX_SaveEData"), saves);
    if (longer) {
        const standin::Bytes &stored = *host.Records().Find({OtherTag('0', '3'), -2, 0});
        EXPECT_EQ(hostdata::ReadU16(stored.data(), 2), 46);
        EXPECT_EQ(standin::Bytes(stored.begin() + 12, stored.end()), standin::Bytes(8, 0x77));
    }
}

// A run's records are written whatever the host holds of them, but one it
// holds longer than 12 bytes keeps its bytes past them.
TEST_P(OtherRecordSupply, ARunKeepsWhatTheHostHoldsPastEachRecord) {
    for (int16_t inci = 0; inci < 3; ++inci) PutOther('7', '7', inci, {1, 2, 3, 4, 5, 6});
    Supply('7', '7', 3, {7, 8, 9, 10, 11, 12});
    record.fill(0);
    hostdata::WriteU16(record.data(), 36, 37);
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 1, record.data(), 48), 1);
    const bool longer = GetParam().supply == Supply::kLonger;
    EXPECT_EQ(CallsOf("FX_SaveEData").back(), std::string("FX_SaveEData 'ot77' (-2,3) length ") +
                                                  (longer ? "20" : "12") + " v=0x19000000 -> 1");
    const standin::Bytes &stored = *host.Records().Find({OtherTag('7', '7'), -2, 3});
    EXPECT_EQ(hostdata::ReadU16(stored.data(), 0), 37);
    if (longer) {
        EXPECT_EQ(standin::Bytes(stored.begin() + 12, stored.end()), standin::Bytes(8, 0x77));
    }
}

TEST_F(PreferenceTranslation, ARunRecordReportedLongerThanTheHostHoldsIsNotSaved) {
    for (int16_t inci = 0; inci < 4; ++inci) PutOther('7', '7', inci, {1, 2, 3, 4, 5, 6});
    host.BendLoadSizes([](int32_t, int32_t *reported) { *reported = 20; });
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 1, record.data(), 48), 0);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
}

// A host that reports an other record longer than it holds: what lies past
// the sixth word cannot be told, and the record is not saved.
TEST_F(PreferenceTranslation, AnOtherRecordReportedLongerThanTheHostHoldsIsNotSaved) {
    PutScorePageFormat();
    Load(kPageFormat, 0, record.data(), &size);
    hostdata::WriteU16(record.data(), 46, 46);  // 'ot03'
    host.BendLoadSizes([](int32_t, int32_t *reported) { *reported = 20; });
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 48), 0);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());

    // Past the bound the host is not even asked again.
    host.BendLoadSizes(
        [](int32_t, int32_t *reported) { *reported = hostdata::kLongestWholeRecord + 1; });
    host.ClearTrace();
    EXPECT_EQ(Save(kPageFormat, 0, record.data(), 48), 0);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
    for (const std::string &call : Calls()) EXPECT_NE(call.find("room 12"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Supplies, OtherRecordSupply,
    ::testing::Values(SupplyCase{"Whole", Supply::kWhole, true, 6},
                      SupplyCase{"LongerThanTwelveBytes", Supply::kLonger, true, 6},
                      SupplyCase{"ShorterThanTwelveBytes", Supply::kShorter, false, 1},
                      SupplyCase{"Missing", Supply::kMissing, false, 0},
                      SupplyCase{"RefusedByTheHost", Supply::kRefused, false, 0}),
    [](const ::testing::TestParamInfo<SupplyCase> &info) { return info.param.name; });

// A 32-bit field takes two words: a record that holds the first alone does
// not supply it.
TEST_F(PreferenceTranslation, AWideFieldNeedsBothItsWords) {
    PutScorePageFormat();
    host.Records().Put({OtherTag('1', '5'), -2, 0}, standin::Bytes(6, 0x15));  // words 0 to 2
    record.fill(0xEE);
    hostdata::SuppliedWords supplied;
    hostdata::DataKey key{0, 0};
    EXPECT_EQ(
        hostdata::LoadHostRecord(kPageFormat, &key, record.data(), &size, kVersion, &supplied), 1);
    EXPECT_FALSE(supplied.Covers(4, 2) || supplied.Covers(6, 2));
    EXPECT_EQ(hostdata::ReadU32(record.data(), 4), 0xEEEEEEEEu);
    EXPECT_TRUE(supplied.Covers(0, 4) && supplied.Covers(8, 40));
}

TEST_F(PreferenceTranslation, ARecordOfWhichTheHostSuppliedNothingHasNotLoaded) {
    hostdata::SuppliedWords supplied = hostdata::SuppliedWords::FirstBytes(4);
    const auto load = [&](uint16_t item, void *buffer) {
        hostdata::DataKey key{static_cast<int16_t>(item), 0};
        return hostdata::LoadHostRecord(kPageFormat, &key, buffer, &size, kVersion, &supplied);
    };
    EXPECT_EQ(load(0, record.data()), 0);
    EXPECT_TRUE(supplied.None());
    EXPECT_EQ(load(1, record.data()), 0);
    supplied = hostdata::SuppliedWords::FirstBytes(4);
    EXPECT_EQ(load(2, record.data()), 0) << "refused";
    EXPECT_TRUE(supplied.None());
    EXPECT_EQ(load(2, nullptr), 0);
    EXPECT_EQ(load(0, nullptr), 1) << "a size query";
}

// Records that are not preferences supply the whole words the host copied.
TEST_F(PreferenceTranslation, AHostRecordSuppliesTheWordsCopiedIntoTheRoom) {
    const uint32_t kSoss = hostdata::kStaffSystemTag;
    std::array<uint8_t, 28> system{};
    for (const auto &[stored, words] : {std::pair{40, 14}, {28, 14}, {5, 2}, {0, 0}}) {
        host.Records().Put({kSoss, 1, 0}, standin::Bytes(static_cast<std::size_t>(stored), 1));
        hostdata::SuppliedWords supplied = hostdata::SuppliedWords::FirstBytes(60);
        hostdata::DataKey key{1, 0};
        int32_t room = 28;
        EXPECT_EQ(hostdata::LoadHostRecord(kSoss, &key, system.data(), &room, kVersion, &supplied),
                  1);
        EXPECT_EQ(supplied, hostdata::SuppliedWords::FirstBytes(2 * words)) << stored;
    }
    hostdata::SuppliedWords supplied = hostdata::SuppliedWords::FirstBytes(60);
    hostdata::DataKey key{9, 0};
    int32_t room = 28;
    EXPECT_EQ(hostdata::LoadHostRecord(kSoss, &key, system.data(), &room, kVersion, &supplied), 0);
    EXPECT_TRUE(supplied.None());
}

// The words a supplied set holds: whole 16-bit words only, within its reach.
TEST(SuppliedWords, HoldWholeWordsWithinTheirReach) {
    using hostdata::SuppliedWords;
    const SuppliedWords five = SuppliedWords::FirstBytes(5);
    EXPECT_TRUE(five.Covers(0, 4));
    EXPECT_FALSE(five.Covers(2, 4)) << "half a word is no word";
    EXPECT_TRUE(SuppliedWords::FirstBytes(-3).None());
    SuppliedWords fields;
    fields.Add(8, 4);
    fields.Add(SuppliedWords::kMaxBytes - 2, 4);
    EXPECT_TRUE(fields.Covers(8, 2) && fields.Covers(10, 2) && fields.Covers(8, 4));
    EXPECT_FALSE(fields.Covers(6, 4) || fields.Covers(12, 2));
    EXPECT_TRUE(fields.Covers(SuppliedWords::kMaxBytes - 2, 2));
    EXPECT_FALSE(fields.Covers(SuppliedWords::kMaxBytes - 2, 4)) << "beyond its reach";
    EXPECT_EQ(SuppliedWords::FirstBytes(SuppliedWords::kMaxBytes + 10),
              SuppliedWords::FirstBytes(SuppliedWords::kMaxBytes));
    EXPECT_NE(fields, SuppliedWords{});
}

}  // namespace
