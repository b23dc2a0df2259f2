// Preference records, addressed by a preference number kept as the item
// number of the data key, and the page format preferences of the score and
// of the parts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/fc_base.h"
#include "hostdata/supplied_words.h"

// The host keeps many preference records spread over other records, and
// may supply some of them and not others: such a record loads with the
// fields it got, and tells which (HoldsField).
class __FCPrefsBase : public __FCBaseData {
public:
    bool Reload() override;
    // Preference number 1; for page format preferences, the parts.
    bool LoadFirst() override;
    // Takes `other`'s record and which of its fields the host supplied.
    void CopyDataFrom(const __FCBaseData &other) override;
    // Only the fields the host supplied; the others keep the bytes the
    // record held before the load.
    bool HoldsField(std::size_t offset, std::size_t width) const override;

    virtual bool LoadItem(uint16_t preferenceNumber) = 0;

    // Loads the record with this number, field by field through the
    // preference's own field map when it has one, else whole. The inci is
    // left as it is. It has loaded when the host supplied any of it.
    bool LoadPrefsRecord(uint16_t itemNo);
    // Writes the held record back the way it was loaded, only the fields
    // the host supplied; a record loaded whole goes back only when the host
    // supplied all of it.
    bool SavePrefsRecord();

protected:
    // After a copy of `other`'s record: the fields it held, or the whole
    // record when it held nothing (the copy is then the caller's own).
    void HoldSuppliedOf(const __FCPrefsBase &other);

    hostdata::SuppliedWords supplied;
};

// Page format preferences: item number 0 is the score's, 1 the parts'.
// Besides the 48-byte record, each variant has three values that the host
// keeps elsewhere.
class FCPageFormatPrefs : public __FCPrefsBase {
public:
    static constexpr uint32_t kRecordSize = 48;

    FCPageFormatPrefs() = default;

    int32_t GetClassID() const override { return 68; }
    const char *GetClassName() const override;
    void *GetRecordBuffer() override { return record; }
    FCPageFormatPrefs *CreateObject() const override { return new FCPageFormatPrefs; }
    uint32_t GetDataTag() const override;
    uint32_t GetRecordSize() const override { return kRecordSize; }
    // Takes the other object's record whether or not it held one.
    void CopyDataFrom(const __FCBaseData &other) override;
    // The record, then the extra values of the loaded variant only.
    bool Save() override;
    // The record, and the variant's three extra values when the host
    // supplies all three (else they keep theirs, and the answer is false).
    bool LoadItem(uint16_t partsFlag) override;

    // Left indents, in the staff system record's units.
    uint16_t GetSystemIndent() const;
    uint16_t GetFirstSystemIndent() const;
    // Whether the host supplied them.
    bool HoldsSystemIndent() const { return HoldsField(kSystemIndentOffset, 2); }
    bool HoldsFirstSystemIndent() const { return HoldsField(kFirstSystemIndentOffset, 2); }

    int16_t GetExtraValue1() const { return extraValue1; }
    int16_t GetExtraValue2() const { return extraValue2; }
    int16_t GetExtraValue3() const { return extraValue3; }
    void SetExtraValue1(int16_t value) { extraValue1 = value; }
    void SetExtraValue2(int16_t value) { extraValue2 = value; }
    void SetExtraValue3(int16_t value) { extraValue3 = value; }

private:
    static constexpr std::size_t kSystemIndentOffset = 28;
    static constexpr std::size_t kFirstSystemIndentOffset = 46;

    uint8_t record[kRecordSize] = {};
    int16_t extraValue1 = 1536;
    int16_t extraValue2 = 100;
    int16_t extraValue3 = 0;
};
