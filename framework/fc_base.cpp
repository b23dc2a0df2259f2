#include "framework/fc_base.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "hostdata/field_map.h"
#include "hostdata/host_version.h"
#include "hostdata/whole_record.h"
#include "interface/data_tag.h"

namespace {

// Keys a walk has room for before its first growth: a short piece's systems
// all fit.
constexpr std::size_t kFirstWalkRoom = 64;

}  // namespace

const char *__FCBase::GetClassName() const {
    static const char name[] = "__FCBase";
    return name;
}

bool __FCBase::IsSameClass(const __FCBase *other) const {
    return other != nullptr && other->GetClassName() == GetClassName();
}

const char *__FCBaseData::GetClassName() const {
    static const char name[] = "__FCBaseData";
    return name;
}

uint32_t __FCBaseData::GetDataVersion() const { return hostdata::kFrameworkDataVersion; }

void __FCBaseData::ReleaseOwnedBuffer() {
    if (ownedBlock) {
        ownedBlock.reset();
        recordBuffer = nullptr;
    }
}

void __FCBaseData::HoldCopyOf(const __FCBaseData &other, void *storage, uint64_t recordSize) {
    const uint64_t held = other.loadedSize;
    ReleaseOwnedBuffer();
    recordBuffer = static_cast<uint8_t *>(storage);
    loadedSize = held > 0 && held < recordSize ? held : recordSize;
    // The long-record state goes with the bytes: the tail, or that the
    // record cannot be saved.
    heldInPart = other.heldInPart;
    heldTail.reset();
    if (other.heldTail) HoldTailOf(other, recordSize);
}

void __FCBaseData::HoldTailOf(const __FCBaseData &other, uint64_t recordSize) {
    const uint64_t tailSize = other.loadedSize - recordSize;
    heldTail.reset(new uint8_t[tailSize]);
    std::memcpy(heldTail.get(), other.heldTail.get(), tailSize);
    loadedSize = other.loadedSize;
}

bool __FCBaseData::Load() {
    BeginWalk();
    return LoadFromHost(nullptr) == LoadAnswer::kRecord;
}

__FCBaseData::LoadAnswer __FCBaseData::LoadFromHost(hostdata::SuppliedWords *supplied) {
    const bool reset = recordBuffer != nullptr && MustResetBeforeLoad();
    // The host is offered GetRecordSize bytes of room, which only the
    // object's own storage is sure to have: an owned copy may be smaller.
    ReleaseOwnedBuffer();
    if (reset) OnBufferReset();
    heldTail.reset();
    heldInPart = false;
    recordBuffer = static_cast<uint8_t *>(GetRecordBuffer());
    const int32_t room = static_cast<int32_t>(GetRecordSize());
    int32_t size = room;
    const uint32_t version = GetDataVersion();
    const uint32_t tag = GetDataTag();
    // A preference record keeps the bytes its host did not supply (the
    // object tells which it holds); any other record holds all the bytes up
    // to the size reported, so that none the host left unwritten is an
    // earlier record's.
    const bool plain = !hostdata::IsPreferenceTag(tag);
    if (plain) std::memset(recordBuffer, 0, static_cast<std::size_t>(room));
    const hostdata::DataKey asked = dataKey;
    const bool found =
        hostdata::LoadHostRecord(tag, &dataKey, recordBuffer, &size, version, supplied) != 0;
    // A load names the record it wants; a host that moves the key in it
    // does not make the record another's.
    dataKey = asked;
    const uint64_t held = !found || size <= 0    ? 0
                          : plain && size > room ? HoldLongRecord(asked, size)
                                                 : static_cast<uint64_t>(std::min(size, room));
    if (held == 0) {
        loadedSize = 0;
        lastAnswer = found ? LoadAnswer::kEmptyRecord : LoadAnswer::kNoRecord;
        return lastAnswer;
    }
    // Behind a shorter record the storage is cleared, so that no field
    // reads what an earlier record left there; but a field map may fill
    // more than the size it reports, and what it filled stays.
    const auto stored = static_cast<int32_t>(std::min<uint64_t>(held, room));
    const int32_t mapped = std::min(room, hostdata::FieldMapExtent(tag, dataKey.item));
    const int32_t filled = std::max(stored, mapped);
    if (filled < room) {
        std::memset(recordBuffer + filled, 0, static_cast<std::size_t>(room - filled));
    }
    loadedSize = held;
    documentId = static_cast<int16_t>(hostdata::CurrentDocument());
    lastAnswer = LoadAnswer::kRecord;
    return lastAnswer;
}

uint64_t __FCBaseData::HoldLongRecord(hostdata::DataKey asked, int32_t size) {
    const std::size_t room = GetRecordSize();
    if (size > hostdata::kLongestWholeRecord) {
        // Not asked again: read as far as the room, which was cleared
        // before the load, and never saved.
        heldInPart = true;
        return room;
    }
    const hostdata::SeenRecord seen =
        hostdata::LoadWholeRecord(GetDataTag(), asked, size, GetDataVersion());
    // What the two loads wrote alike is what the host holds; the first
    // load's bytes past that may be anything it left behind.
    const std::size_t stored = std::min(seen.bytes.size(), room);
    std::memcpy(recordBuffer, seen.bytes.data(), stored);
    std::memset(recordBuffer + stored, 0, room - stored);
    if (!seen.whole) {
        heldInPart = true;
        return stored;
    }
    const std::size_t tailSize = seen.bytes.size() - room;
    heldTail.reset(new uint8_t[tailSize]);
    std::memcpy(heldTail.get(), seen.bytes.data() + room, tailSize);
    return seen.bytes.size();
}

int32_t __FCBaseData::SaveLength(uint32_t tag) const {
    const auto mapped = static_cast<uint64_t>(hostdata::FieldMapExtent(tag, dataKey.item));
    return static_cast<int32_t>(std::min(std::max(GetLoadedSize(), mapped), HeldRoom()));
}

bool __FCBaseData::Save() {
    if (loadedSize == 0 || heldInPart) return false;
    const uint32_t version = GetDataVersion();
    const uint32_t tag = GetDataTag();
    if (heldTail) return SaveWhole(tag, version);
    const int32_t length = SaveLength(tag);
    return hostdata::SaveHostRecord(tag, &dataKey, recordBuffer, length, version) != 0;
}

bool __FCBaseData::SaveWhole(uint32_t tag, uint32_t version) {
    // The record goes back whole: the storage, then the bytes past it as
    // the host wrote them.
    const std::size_t room = GetRecordSize();
    std::vector<uint8_t> whole(recordBuffer, recordBuffer + room);
    whole.insert(whole.end(), heldTail.get(), heldTail.get() + (loadedSize - room));
    const auto length = static_cast<int32_t>(whole.size());
    return hostdata::SaveHostRecord(tag, &dataKey, whole.data(), length, version) != 0;
}

bool __FCBaseData::HoldsField(std::size_t offset, std::size_t width) const {
    return loadedSize >= offset + width;
}

bool __FCBaseData::Reload() { return loadedSize > 0 && Load(); }

bool __FCBaseData::DeleteData() {
    return hostdata::DeleteHostRecord(GetDataTag(), &dataKey, GetDataVersion()) != 0;
}

bool __FCBaseData::Delete() { return DeleteData(); }

bool __FCBaseData::StepOnto(hostdata::DataKey key) {
    const uint32_t number =
        uint32_t{static_cast<uint16_t>(key.item)} << 16 | static_cast<uint16_t>(key.inci);
    // A host walks its records in ascending order, as a rule: then every
    // key is past the last and goes at the end, with no search.
    if (walkKeys.empty()) walkKeys.reserve(kFirstWalkRoom);
    if (walkKeys.empty() || number > walkKeys.back()) {
        walkKeys.push_back(number);
        return true;
    }
    // Not past the last key: some key is at or above it.
    const auto place = std::lower_bound(walkKeys.begin(), walkKeys.end(), number);
    if (*place == number) return false;
    walkKeys.insert(place, number);
    return true;
}

bool __FCBaseData::LoadNext() {
    if (walkKeys.empty()) StepOnto(dataKey);
    while (hostdata::NextHostRecord(GetDataTag(), &dataKey, GetDataVersion()) != 0 &&
           StepOnto(dataKey)) {
        // A load that moves the key may start the next step elsewhere, but
        // every key a step lands on is noted, so the walk still ends.
        if (LoadFromHost(nullptr) != LoadAnswer::kEmptyRecord) return loadedSize > 0;
    }
    return false;
}

void __FCBaseData::CopyDataFrom(const __FCBaseData &other) {
    if (other.loadedSize == 0) return;
    // Allocated before anything is released, so that running out of memory
    // leaves this object as it was. A record held whole beyond its storage
    // is copied whole.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[other.loadedSize]);
    const uint64_t stored = std::min<uint64_t>(other.loadedSize, other.HeldRoom());
    std::memcpy(copy.get(), other.recordBuffer, stored);
    if (other.heldTail) {
        std::memcpy(copy.get() + stored, other.heldTail.get(), other.loadedSize - stored);
    }
    ownedBlock = std::move(copy);
    recordBuffer = ownedBlock.get();
    loadedSize = other.loadedSize;
    heldTail.reset();
    heldInPart = other.heldInPart;
}

bool __FCOther::Reload() { return loadedSize > 0 && LoadItem(GetItemNo()); }

bool __FCOther::LoadFirst() {
    if (LoadItem(1)) return true;
    // The host holds a first record, but an empty one: the walk goes on.
    return lastAnswer == LoadAnswer::kEmptyRecord && LoadNext();
}

bool __FCOther::LoadItem(uint16_t itemNo) {
    dataKey = {static_cast<int16_t>(itemNo), 0};
    return Load();
}

bool __FCOther::SaveAsItem(uint16_t itemNo) {
    dataKey = {static_cast<int16_t>(itemNo), 0};
    return Save();
}

bool __FCOther::SaveAs(uint16_t itemNo) { return SaveAsItem(itemNo); }

bool __FCOther::SaveNew() {
    if (loadedSize == 0) return false;
    dataKey = {hostdata::kNewRecordKeyPart, hostdata::kNewRecordKeyPart};
    const auto length = static_cast<int32_t>(GetLoadedSize());
    return hostdata::CreateHostRecord(GetDataTag(), &dataKey, recordBuffer, length,
                                      GetDataVersion()) != 0;
}
