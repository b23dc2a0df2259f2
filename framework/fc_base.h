// The root of the object framework, and the data objects: an object bound to
// one host record, which it loads, saves, steps through and copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "hostdata/host_calls.h"

class __FCBase {
public:
    __FCBase() = default;
    __FCBase(const __FCBase &) = delete;
    __FCBase &operator=(const __FCBase &) = delete;

    // A class that has no identifier of its own answers 0.
    virtual int32_t GetClassID() const { return 0; }

    // One text per class: two objects of the same class answer the same
    // address, which is what IsSameClass compares.
    virtual const char *GetClassName() const;

    virtual ~__FCBase() = default;

    // False for null; otherwise whether both name texts are the same object.
    virtual bool IsSameClass(const __FCBase *other) const;
};

// An object bound to the host record (GetDataTag, data key). The record's
// bytes live in the concrete class's own storage (GetRecordBuffer), or in a
// heap block this object owns after the generic CopyDataFrom.
class __FCBaseData : public __FCBase {
public:
    __FCBaseData() = default;

    int32_t GetClassID() const override = 0;
    const char *GetClassName() const override;

    virtual void *GetRecordBuffer() = 0;
    // Called by Load when MustResetBeforeLoad asked it to drop the buffer.
    virtual void OnBufferReset() {}
    virtual bool MustResetBeforeLoad() const { return false; }
    // A new, empty heap object of the same concrete class, owned by the caller.
    virtual __FCBaseData *CreateObject() const = 0;
    virtual uint32_t GetDataTag() const = 0;
    virtual uint32_t GetDataVersion() const;
    virtual uint32_t GetRecordSize() const = 0;
    virtual uint64_t GetLoadedSize() const { return loadedSize; }
    // `other` is of this object's class; callers guarantee it.
    virtual void CopyDataFrom(const __FCBaseData &other);
    virtual bool Save();
    virtual bool Reload();
    virtual bool DeleteData();
    virtual bool Delete();
    virtual bool LoadFirst() = 0;
    // Steps to the next record of the tag that holds any bytes: a record of
    // none is passed over, as the host holds more after it. A walk (the
    // steps since the last other load or key set) ends at a key it has
    // stood on before, so that a host whose next does not move on, or moves
    // back, cannot keep it going.
    virtual bool LoadNext();
    // Whether the held record supplies the field at `offset`, `width` bytes
    // wide: a record the host supplied short lacks the fields past its end.
    virtual bool HoldsField(std::size_t offset, std::size_t width) const;

    // Loads the record at the current key into the object's own storage.
    // A record of no bytes holds nothing: the load fails. A record the host
    // reports longer than the storage is asked for again in full: held
    // whole when the host is seen to hold all of it, else read only as far
    // as it was seen and never saved (IsSaveable).
    bool Load();

    // False for a record whose bytes past the storage could not be told:
    // saved, it would lose them or hand the host bytes it never wrote.
    bool IsSaveable() const { return !heldInPart; }

    // The held record's storage: null before the first load or copy, and
    // meaningful for GetLoadedSize bytes or the storage, whichever is less;
    // a record held whole beyond the storage keeps the rest apart.
    uint8_t *HeldBytes() { return recordBuffer; }
    const uint8_t *HeldBytes() const { return recordBuffer; }
    bool IsBufferOwned() const { return ownedBlock != nullptr; }

    hostdata::DataKey GetDataKey() const { return dataKey; }
    void SetDataKey(hostdata::DataKey key) {
        dataKey = key;
        walkKeys.clear();
    }
    int16_t GetDocumentID() const { return documentId; }
    void SetDocumentID(int16_t id) { documentId = id; }

protected:
    // What the host answered the last load: its record, a record of no
    // bytes, or nothing.
    enum class LoadAnswer { kRecord, kEmptyRecord, kNoRecord };

    // Load, telling an empty record from none; `supplied`, when given,
    // receives the words of the record that the host supplied.
    LoadAnswer LoadFromHost(hostdata::SuppliedWords *supplied);

    // Points recordBuffer at the object's own storage, as a concrete class's
    // copy does once it has copied `other`'s record there. The copy holds as
    // many bytes as `other` held, or the whole record when `other` held
    // nothing, so that a save never hands the host more than was loaded.
    void HoldCopyOf(const __FCBaseData &other) {
        HoldCopyOf(other, GetRecordBuffer(), GetRecordSize());
    }
    // The same, for a class that names its own storage and record size, as
    // its copy has just asked them.
    void HoldCopyOf(const __FCBaseData &other, void *storage, uint64_t recordSize);
    void ReleaseOwnedBuffer();
    // The bytes recordBuffer has room for: an owned copy just what it
    // copied, the object's own storage a whole record.
    uint64_t HeldRoom() const { return ownedBlock ? loadedSize : GetRecordSize(); }
    // A load that is no step of a walk begins a new one.
    void BeginWalk() { walkKeys.clear(); }

    int16_t documentId = 0;
    uint8_t *recordBuffer = nullptr;
    // The heap block recordBuffer points into after the generic copy.
    std::unique_ptr<uint8_t[]> ownedBlock;
    uint64_t loadedSize = 0;
    hostdata::DataKey dataKey{0, 0};
    LoadAnswer lastAnswer = LoadAnswer::kNoRecord;
    // Of a record held whole beyond the object's own storage, the bytes
    // past it (GetLoadedSize - GetRecordSize of them).
    std::unique_ptr<uint8_t[]> heldTail;
    bool heldInPart = false;

private:
    // After a load the host reported as `size` bytes, more than the room:
    // asks for the record again in full and holds what it learns. Answers
    // the bytes held.
    uint64_t HoldLongRecord(hostdata::DataKey asked, int32_t size);
    // Takes the tail of `other`, a record held whole beyond the storage of
    // `recordSize` bytes.
    void HoldTailOf(const __FCBaseData &other, uint64_t recordSize);
    // Notes a key the walk stands on; false when it stood there before.
    bool StepOnto(hostdata::DataKey key);

    // The bytes a save hands the host: as many as were loaded, or as far as
    // the last field of a preference record whose field map leaves gaps.
    // `tag` is GetDataTag, which the save has asked already.
    int32_t SaveLength(uint32_t tag) const;
    // Saves a record held whole beyond the object's own storage. Apart from
    // Save, whose every other record is short, so that theirs stays short.
    bool SaveWhole(uint32_t tag, uint32_t version);

    // The keys the current walk has stood on, each item * 65536 + inci,
    // in ascending order.
    std::vector<uint32_t> walkKeys;
};

// Records addressed by an item number alone; the inci is always 0.
class __FCOther : public __FCBaseData {
public:
    bool Reload() override;
    bool LoadFirst() override;

    virtual bool LoadItem(uint16_t itemNo);
    virtual bool SaveAsItem(uint16_t itemNo);
    virtual bool SaveAs(uint16_t itemNo);
    // Adds the held record as a new host record; the host picks the key.
    virtual bool SaveNew();
    virtual uint16_t GetItemNo() const { return static_cast<uint16_t>(dataKey.item); }
};

class __FCNoInciOther : public __FCOther {};
