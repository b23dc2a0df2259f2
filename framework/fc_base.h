// The root of the object framework, and the data objects: an object bound to
// one host record, which it loads, saves, steps through and copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

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
    // none is passed over, as the host holds more after it.
    virtual bool LoadNext();
    // Whether the held record supplies the field at `offset`, `width` bytes
    // wide: a record the host supplied short lacks the fields past its end.
    virtual bool HoldsField(std::size_t offset, std::size_t width) const;

    // Loads the record at the current key into the object's own storage.
    // A record of no bytes holds nothing: the load fails.
    bool Load();

    // The held record: null before the first load or copy, and meaningful
    // for GetLoadedSize bytes.
    uint8_t *HeldBytes() { return recordBuffer; }
    const uint8_t *HeldBytes() const { return recordBuffer; }
    bool IsBufferOwned() const { return ownedBlock != nullptr; }

    hostdata::DataKey GetDataKey() const { return dataKey; }
    void SetDataKey(hostdata::DataKey key) { dataKey = key; }
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
    void HoldCopyOf(const __FCBaseData &other);
    void ReleaseOwnedBuffer();
    // The bytes recordBuffer has room for: an owned copy just what it
    // copied, the object's own storage a whole record.
    uint64_t HeldRoom() const { return ownedBlock ? loadedSize : GetRecordSize(); }

    int16_t documentId = 0;
    uint8_t *recordBuffer = nullptr;
    // The heap block recordBuffer points into after the generic copy.
    std::unique_ptr<uint8_t[]> ownedBlock;
    uint64_t loadedSize = 0;
    hostdata::DataKey dataKey{0, 0};
    LoadAnswer lastAnswer = LoadAnswer::kNoRecord;

private:
    // The bytes a save hands the host: as many as were loaded, or as far as
    // the last field of a preference record whose field map leaves gaps.
    int32_t SaveLength() const;
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
    virtual uint16_t GetItemNo() const { return dataKey.item; }
};

class __FCNoInciOther : public __FCOther {};
