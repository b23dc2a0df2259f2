#include "framework/fc_pageformat.h"

#include <cstring>

#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"
#include "hostdata/versioned_field_maps.h"

namespace {

// Where a variant's three extra values sit among the six slots.
struct ExtraSlots {
    std::size_t value1, value2, value3;
};

constexpr ExtraSlots kScoreExtraSlots{8, 10, 2};
constexpr ExtraSlots kPartsExtraSlots{4, 6, 0};

const ExtraSlots &ExtraSlotsOf(uint16_t partsFlag) {
    return partsFlag == 0 ? kScoreExtraSlots : kPartsExtraSlots;
}

using ExtraBuffer = uint8_t[hostdata::kPageFormatExtraSize];

// All six slots as the host holds them now.
bool LoadExtraSlots(ExtraBuffer &slots, int32_t &size) {
    std::memset(slots, 0, sizeof slots);
    size = hostdata::kPageFormatExtraSize;
    return hostdata::AssemblePreferenceRecord(slots, &size, hostdata::PageFormatExtraFieldMap());
}

}  // namespace

bool __FCPrefsBase::Reload() { return loadedSize > 0 && LoadItem(dataKey.item); }

bool __FCPrefsBase::LoadFirst() { return LoadItem(1); }

bool __FCPrefsBase::LoadPrefsRecord(uint16_t itemNo) {
    dataKey.item = itemNo;
    const auto map = hostdata::FindVersionedFieldMap(GetDataTag(), itemNo);
    if (!map) return Load();
    // The assembly writes up to GetRecordSize bytes, which only the object's
    // own storage is sure to hold.
    ReleaseOwnedBuffer();
    recordBuffer = static_cast<uint8_t *>(GetRecordBuffer());
    auto size = static_cast<int32_t>(GetRecordSize());
    if (!hostdata::AssemblePreferenceRecord(recordBuffer, &size, *map)) {
        loadedSize = 0;
        return false;
    }
    loadedSize = static_cast<uint64_t>(size);
    return true;
}

bool __FCPrefsBase::SavePrefsRecord() {
    if (loadedSize == 0) return false;
    const auto map = hostdata::FindVersionedFieldMap(GetDataTag(), dataKey.item);
    if (!map) return __FCBaseData::Save();
    if (recordBuffer == nullptr) return false;
    // A map may leave gaps, so its fields can reach past the size it
    // reports: the scatter is told the room the record lies in.
    return hostdata::ScatterPreferenceRecord(recordBuffer, static_cast<int32_t>(HeldRoom()), *map);
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
    extraValue1 = source.extraValue1;
    extraValue2 = source.extraValue2;
    extraValue3 = source.extraValue3;
}

bool FCPageFormatPrefs::LoadItem(uint16_t partsFlag) {
    if (!LoadPrefsRecord(partsFlag)) return false;
    ExtraBuffer slots;
    int32_t size;
    if (!LoadExtraSlots(slots, size)) return false;
    const ExtraSlots &mine = ExtraSlotsOf(partsFlag);
    extraValue1 = hostdata::ReadI16(slots, mine.value1);
    extraValue2 = hostdata::ReadI16(slots, mine.value2);
    extraValue3 = hostdata::ReadI16(slots, mine.value3);
    return true;
}

bool FCPageFormatPrefs::Save() {
    if (!SavePrefsRecord()) return false;
    // The other variant's slots go back as the host holds them.
    ExtraBuffer slots;
    int32_t size;
    if (!LoadExtraSlots(slots, size)) return false;
    const ExtraSlots &mine = ExtraSlotsOf(dataKey.item);
    hostdata::WriteU16(slots, mine.value1, static_cast<uint16_t>(extraValue1));
    hostdata::WriteU16(slots, mine.value2, static_cast<uint16_t>(extraValue2));
    hostdata::WriteU16(slots, mine.value3, static_cast<uint16_t>(extraValue3));
    return hostdata::ScatterPreferenceRecord(slots, size, hostdata::PageFormatExtraFieldMap());
}

uint16_t FCPageFormatPrefs::GetSystemIndent() const {
    return hostdata::ReadU16(record, kSystemIndentOffset);
}

uint16_t FCPageFormatPrefs::GetFirstSystemIndent() const {
    return hostdata::ReadU16(record, kFirstSystemIndentOffset);
}
