#include "framework/fc_base.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "hostdata/field_map.h"
#include "hostdata/host_version.h"

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

void __FCBaseData::HoldCopyOf(const __FCBaseData &other) {
    const uint64_t recordSize = GetRecordSize();
    const uint64_t held = other.loadedSize;
    ReleaseOwnedBuffer();
    recordBuffer = static_cast<uint8_t *>(GetRecordBuffer());
    loadedSize = held > 0 && held < recordSize ? held : recordSize;
}

bool __FCBaseData::Load() { return LoadFromHost(nullptr) == LoadAnswer::kRecord; }

__FCBaseData::LoadAnswer __FCBaseData::LoadFromHost(hostdata::SuppliedWords *supplied) {
    const bool reset = recordBuffer != nullptr && MustResetBeforeLoad();
    // The host is offered GetRecordSize bytes of room, which only the
    // object's own storage is sure to have: an owned copy may be smaller.
    ReleaseOwnedBuffer();
    if (reset) OnBufferReset();
    recordBuffer = static_cast<uint8_t *>(GetRecordBuffer());
    const int32_t room = static_cast<int32_t>(GetRecordSize());
    int32_t size = room;
    const uint32_t version = GetDataVersion();
    const uint32_t tag = GetDataTag();
    const bool found =
        hostdata::LoadHostRecord(tag, &dataKey, recordBuffer, &size, version, supplied) != 0;
    if (!found || size <= 0) {
        loadedSize = 0;
        lastAnswer = found ? LoadAnswer::kEmptyRecord : LoadAnswer::kNoRecord;
        return lastAnswer;
    }
    // A host reports the record's full size even when it copied only the
    // room it was offered; only the bytes copied are held. Behind a shorter
    // record the storage is cleared, so that no field reads what an earlier
    // record left there; but a field map may fill more than the size it
    // reports, and what it filled stays.
    const int32_t held = size < room ? size : room;
    const int32_t mapped = std::min(room, hostdata::FieldMapExtent(tag, dataKey.item));
    const int32_t filled = std::max(held, mapped);
    std::memset(recordBuffer + filled, 0, static_cast<std::size_t>(room - filled));
    loadedSize = static_cast<uint64_t>(held);
    documentId = static_cast<int16_t>(hostdata::CurrentDocument());
    lastAnswer = LoadAnswer::kRecord;
    return lastAnswer;
}

int32_t __FCBaseData::SaveLength() const {
    const auto mapped = static_cast<uint64_t>(hostdata::FieldMapExtent(GetDataTag(), dataKey.item));
    return static_cast<int32_t>(std::min(std::max(GetLoadedSize(), mapped), HeldRoom()));
}

bool __FCBaseData::Save() {
    if (loadedSize == 0) return false;
    const uint32_t version = GetDataVersion();
    const int32_t length = SaveLength();
    const uint32_t tag = GetDataTag();
    return hostdata::SaveHostRecord(tag, &dataKey, recordBuffer, length, version) != 0;
}

bool __FCBaseData::HoldsField(std::size_t offset, std::size_t width) const {
    return loadedSize >= offset + width;
}

bool __FCBaseData::Reload() { return loadedSize > 0 && Load(); }

bool __FCBaseData::DeleteData() {
    return hostdata::DeleteHostRecord(GetDataTag(), &dataKey, GetDataVersion()) != 0;
}

bool __FCBaseData::Delete() { return DeleteData(); }

bool __FCBaseData::LoadNext() {
    while (hostdata::NextHostRecord(GetDataTag(), &dataKey, GetDataVersion()) != 0) {
        if (LoadFromHost(nullptr) != LoadAnswer::kEmptyRecord) return loadedSize > 0;
    }
    return false;
}

void __FCBaseData::CopyDataFrom(const __FCBaseData &other) {
    if (other.loadedSize == 0) return;
    // Allocated before anything is released, so that running out of memory
    // leaves this object as it was.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[other.loadedSize]);
    std::memcpy(copy.get(), other.recordBuffer, other.loadedSize);
    ownedBlock = std::move(copy);
    recordBuffer = ownedBlock.get();
    loadedSize = other.loadedSize;
}

bool __FCOther::Reload() { return loadedSize > 0 && LoadItem(GetItemNo()); }

bool __FCOther::LoadFirst() {
    if (LoadItem(1)) return true;
    // The host holds a first record, but an empty one: the walk goes on.
    return lastAnswer == LoadAnswer::kEmptyRecord && LoadNext();
}

bool __FCOther::LoadItem(uint16_t itemNo) {
    dataKey = {itemNo, 0};
    return Load();
}

bool __FCOther::SaveAsItem(uint16_t itemNo) {
    dataKey = {itemNo, 0};
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
