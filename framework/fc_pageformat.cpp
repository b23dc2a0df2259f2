#include "framework/fc_pageformat.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "hostdata/versioned_field_maps.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"

namespace {

// Where a variant's extra values 1, 2 and 3 sit among the six slots.
using ExtraSlots = std::array<std::size_t, 3>;

constexpr ExtraSlots kScoreExtraSlots{8, 10, 2};
constexpr ExtraSlots kPartsExtraSlots{4, 6, 0};

const ExtraSlots &ExtraSlotsOf(uint16_t partsFlag) {
    return partsFlag == 0 ? kScoreExtraSlots : kPartsExtraSlots;
}

using ExtraBuffer = uint8_t[hostdata::kPageFormatExtraSize];

// All six slots as the host holds them now; `supplied` tells which it has.
int32_t LoadExtraSlots(ExtraBuffer &slots, hostdata::SuppliedWords &supplied) {
    std::memset(slots, 0, sizeof slots);
    int32_t size = hostdata::kPageFormatExtraSize;
    hostdata::AssemblePreferenceRecord(slots, &size, hostdata::PageFormatExtraFieldMap(),
                                       &supplied);
    return size;
}

}  // namespace

bool __FCPrefsBase::Reload() { return loadedSize > 0 && LoadItem(dataKey.item); }

bool __FCPrefsBase::LoadFirst() { return LoadItem(1); }

void __FCPrefsBase::CopyDataFrom(const __FCBaseData &other) {
    if (other.GetLoadedSize() == 0) return;
    __FCBaseData::CopyDataFrom(other);
    HoldSuppliedOf(static_cast<const __FCPrefsBase &>(other));
}

bool __FCPrefsBase::HoldsField(std::size_t offset, std::size_t width) const {
    return supplied.Covers(static_cast<int>(offset), static_cast<int>(width));
}

void __FCPrefsBase::HoldSuppliedOf(const __FCPrefsBase &other) {
    supplied = other.loadedSize > 0 ? other.supplied
                                    : hostdata::SuppliedWords::FirstBytes(GetRecordSize());
}

bool __FCPrefsBase::LoadPrefsRecord(uint16_t itemNo) {
    dataKey.item = static_cast<int16_t>(itemNo);
    BeginWalk();
    const auto map = hostdata::FindVersionedFieldMap(GetDataTag(), itemNo);
    if (!map) return LoadFromHost(&supplied) == LoadAnswer::kRecord;
    // The assembly writes up to GetRecordSize bytes, which only the object's
    // own storage is sure to hold.
    ReleaseOwnedBuffer();
    recordBuffer = static_cast<uint8_t *>(GetRecordBuffer());
    auto size = static_cast<int32_t>(GetRecordSize());
    hostdata::AssemblePreferenceRecord(recordBuffer, &size, *map, &supplied);
    loadedSize = supplied.None() ? 0 : static_cast<uint64_t>(size);
    return loadedSize > 0;
}

bool __FCPrefsBase::SavePrefsRecord() {
    if (loadedSize == 0) return false;
    const auto map = hostdata::FindVersionedFieldMap(GetDataTag(), dataKey.item);
    if (!map) {
        // Saved whole, a record the host supplied only in part would give
        // it words that nobody supplied.
        if (supplied != hostdata::SuppliedWords::FirstBytes(static_cast<int64_t>(loadedSize))) {
            return false;
        }
        return __FCBaseData::Save();
    }
    // A map may leave gaps, so its fields can reach past the size it
    // reports: the scatter is told the room the record lies in.
    return hostdata::ScatterPreferenceRecord(recordBuffer, static_cast<int32_t>(HeldRoom()), *map,
                                             &supplied);
}

const char *FCPageFormatPrefs::GetClassName() const {
    static const char name[] = "FCPageFormatPrefs";
    return name;
}

uint32_t FCPageFormatPrefs::GetDataTag() const { return hostdata::kPageFormatTag; }

void FCPageFormatPrefs::CopyDataFrom(const __FCBaseData &other) {
    const auto &source = static_cast<const FCPageFormatPrefs &>(other);
    std::memmove(record, source.record, kRecordSize);
    HoldCopyOf(other);
    HoldSuppliedOf(source);
    extraValue1 = source.extraValue1;
    extraValue2 = source.extraValue2;
    extraValue3 = source.extraValue3;
}

bool FCPageFormatPrefs::LoadItem(uint16_t partsFlag) {
    if (!LoadPrefsRecord(partsFlag)) return false;
    ExtraBuffer slots;
    hostdata::SuppliedWords extras;
    LoadExtraSlots(slots, extras);
    const ExtraSlots &mine = ExtraSlotsOf(partsFlag);
    if (!std::all_of(mine.begin(), mine.end(), [&extras](std::size_t slot) {
            return extras.Covers(static_cast<int>(slot), 2);
        })) {
        return false;
    }
    extraValue1 = hostdata::ReadI16(slots, mine[0]);
    extraValue2 = hostdata::ReadI16(slots, mine[1]);
    extraValue3 = hostdata::ReadI16(slots, mine[2]);
    return true;
}

bool FCPageFormatPrefs::Save() {
    if (!SavePrefsRecord()) return false;
    // The other variant's slots go back as the host holds them, and only
    // those it supplies.
    ExtraBuffer slots;
    hostdata::SuppliedWords held;
    const int32_t size = LoadExtraSlots(slots, held);
    const ExtraSlots &mine = ExtraSlotsOf(dataKey.item);
    for (const auto &[offset, value] :
         {std::pair{mine[0], extraValue1}, std::pair{mine[1], extraValue2},
          std::pair{mine[2], extraValue3}}) {
        hostdata::WriteU16(slots, offset, static_cast<uint16_t>(value));
        held.Add(static_cast<int>(offset), 2);
    }
    return hostdata::ScatterPreferenceRecord(slots, size, hostdata::PageFormatExtraFieldMap(),
                                             &held);
}

uint16_t FCPageFormatPrefs::GetSystemIndent() const {
    return hostdata::ReadU16(record, kSystemIndentOffset);
}

uint16_t FCPageFormatPrefs::GetFirstSystemIndent() const {
    return hostdata::ReadU16(record, kFirstSystemIndentOffset);
}
