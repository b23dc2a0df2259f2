// Staff systems: one host record per line of music, numbered from 1.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/fc_base.h"
#include "framework/fc_collections.h"

class FCStaffSystem : public __FCNoInciOther {
public:
    static constexpr uint32_t kRecordSize = 28;

    FCStaffSystem() = default;

    // A collection makes one staff system per host record: their blocks
    // come from a pool rather than one by one from the heap. A derived
    // class of another size gets its own from the heap. The delete takes
    // the size, which tells the two apart: with an unsized one beside it,
    // the unsized one would be chosen.
    static void *operator new(std::size_t size);  // NOLINT(misc-new-delete-overloads)
    static void operator delete(void *object, std::size_t size);

    int32_t GetClassID() const override { return 97; }
    const char *GetClassName() const override;
    void *GetRecordBuffer() override { return record; }
    FCStaffSystem *CreateObject() const override { return new FCStaffSystem; }
    uint32_t GetDataTag() const override;
    uint32_t GetRecordSize() const override { return kRecordSize; }
    // Takes the other system's record, as much of it as the other held, or
    // the whole (zero) record when it held none.
    void CopyDataFrom(const __FCBaseData &other) override;

    // Signed: 0 until the host has laid the system out.
    int16_t GetFirstMeasure() const;
    uint16_t GetLeftIndent() const;
    void SetLeftIndent(uint16_t indent);
    // Whether the held record reaches the first measure: one the host
    // supplied short lacks it, and reads 0 there. (A record that holds its
    // first measure holds its left indent too.)
    bool HoldsFirstMeasure() const { return HoldsField(kFirstMeasureOffset, 2); }

private:
    static constexpr std::size_t kLeftIndentOffset = 2;
    static constexpr std::size_t kFirstMeasureOffset = 8;

    uint8_t record[kRecordSize] = {};
};

class FCStaffSystems : public __FCCollectionNoInciOther {
public:
    const char *GetClassName() const override;
    FCStaffSystem *CreateElement() const override { return new FCStaffSystem; }

    // Null outside 0 .. count - 1.
    FCStaffSystem *GetItemAt(int32_t index) const;
};
