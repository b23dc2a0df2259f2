#include "framework/fc_base.h"

#include <cstring>
#include <memory>

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

__FCBaseData::~__FCBaseData() { ReleaseOwnedBuffer(); }

uint32_t __FCBaseData::GetDataVersion() const { return hostdata::kFrameworkDataVersion; }

void __FCBaseData::ReleaseOwnedBuffer() {
    if (bufferOwned) {
        delete[] recordBuffer;
        recordBuffer = nullptr;
        bufferOwned = false;
    }
}

void __FCBaseData::HoldCopyOf(const __FCBaseData &other) {
    const uint64_t recordSize = GetRecordSize();
    const uint64_t held = other.loadedSize;
    ReleaseOwnedBuffer();
    recordBuffer = static_cast<uint8_t *>(GetRecordBuffer());
    loadedSize = held > 0 && held < recordSize ? held : recordSize;
}

bool __FCBaseData::Load() {
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
    // A record of no bytes holds nothing, like a failed load.
    if (hostdata::LoadHostRecord(tag, &dataKey, recordBuffer, &size, version) == 0 || size <= 0) {
        loadedSize = 0;
        return false;
    }
    // A host reports the record's full size even when it copied only the
    // room it was offered; only the bytes copied are held. Behind a shorter
    // record the storage is cleared, so that no field reads what an earlier
    // record left there.
    const int32_t held = size < room ? size : room;
    std::memset(recordBuffer + held, 0, static_cast<std::size_t>(room - held));
    loadedSize = static_cast<uint64_t>(held);
    documentId = static_cast<int16_t>(hostdata::CurrentDocument());
    return true;
}

bool __FCBaseData::Save() {
    if (loadedSize == 0) return false;
    const uint32_t version = GetDataVersion();
    const auto length = static_cast<int32_t>(GetLoadedSize());
    const uint32_t tag = GetDataTag();
    return hostdata::SaveHostRecord(tag, &dataKey, recordBuffer, length, version) != 0;
}

bool __FCBaseData::Reload() { return loadedSize > 0 && Load(); }

bool __FCBaseData::DeleteData() {
    return hostdata::DeleteHostRecord(GetDataTag(), &dataKey, GetDataVersion()) != 0;
}

bool __FCBaseData::Delete() { return DeleteData(); }

bool __FCBaseData::LoadNext() {
    if (hostdata::NextHostRecord(GetDataTag(), &dataKey, GetDataVersion()) == 0) return false;
    return Load();
}

void __FCBaseData::CopyDataFrom(const __FCBaseData &other) {
    if (other.loadedSize == 0) return;
    // Allocated before anything is released, so that running out of memory
    // leaves this object as it was.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[other.loadedSize]);
    std::memcpy(copy.get(), other.recordBuffer, other.loadedSize);
    ReleaseOwnedBuffer();
    recordBuffer = copy.release();
    bufferOwned = true;
    loadedSize = other.loadedSize;
}

bool __FCOther::Reload() { return loadedSize > 0 && LoadItem(GetItemNo()); }

bool __FCOther::LoadFirst() { return LoadItem(1); }

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
