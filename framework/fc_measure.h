// Measures: one host record per measure, addressed by its number, in the
// layout that the host version calls for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/fc_base.h"

// Values a measure writes into its record when it is saved.
class FCMeasureFirstAttachment : public __FCBase {
public:
    const char *GetClassName() const override;

    uint16_t word = 0;  // the record's word at offset 2
};

class FCMeasureSecondAttachment : public __FCBase {
public:
    const char *GetClassName() const override;

    // The record's words at offsets 4 and 6 (8 and 10 in the longer
    // layout), and two bits of the measure flags.
    uint16_t firstWord = 0;
    uint16_t secondWord = 0;
    bool flagsBit0080 = false;
    bool flagsBit0040 = false;
};

class FCMeasureThirdAttachment : public __FCBase {
public:
    const char *GetClassName() const override;

    // The record's words at offsets 12 and 14 (16 and 18 in the longer
    // layout), unless kept as loaded, and bit 0x0002 of the word after them.
    uint16_t firstWord = 0;
    uint16_t secondWord = 0;
    bool keepFirstWord = false;
    bool keepSecondWord = false;
    bool bit0002 = false;
};

class FCMeasure : public __FCNoInciOther {
public:
    static constexpr uint32_t kShortRecordSize = 26;
    static constexpr uint32_t kLongRecordSize = 30;
    static constexpr int kFinalBarlineStyle = 5;

    FCMeasure() = default;
    ~FCMeasure() override;

    int32_t GetClassID() const override { return 49; }
    const char *GetClassName() const override;
    void *GetRecordBuffer() override;
    FCMeasure *CreateObject() const override { return new FCMeasure; }
    uint32_t GetDataTag() const override;
    uint32_t GetDataVersion() const override;
    uint32_t GetRecordSize() const override;
    // Takes the other measure's record of the layout in force, held or not.
    void CopyDataFrom(const __FCBaseData &other) override;
    // Writes the attachments' values into the record, then saves it.
    bool Save() override;
    // Measure 0 does not exist: refused without touching anything.
    bool LoadItem(uint16_t measureNumber) override;

    // Bit 0x0800 of the measure flags: show full staff and group names.
    bool ShowsFullNames() const;
    // The style of the barline that ends the measure, 0 to 15.
    int BarlineStyle() const;
    // Whether the held record reaches the measure flags and the barline
    // word: one the host supplied short lacks them, and reads 0 there.
    bool HoldsFlags() const;
    bool HoldsBarline() const;

    void SetFirstAttachment(std::unique_ptr<FCMeasureFirstAttachment> attachment);
    void SetSecondAttachment(std::unique_ptr<FCMeasureSecondAttachment> attachment);
    void SetThirdAttachment(std::unique_ptr<FCMeasureThirdAttachment> attachment);
    const FCMeasureFirstAttachment *GetFirstAttachment() const { return attachment1.get(); }
    const FCMeasureSecondAttachment *GetSecondAttachment() const { return attachment2.get(); }
    const FCMeasureThirdAttachment *GetThirdAttachment() const { return attachment3.get(); }

private:
    // Offsets in the 26-byte layout; the 30-byte layout puts everything from
    // offset 4 on four bytes further.
    static constexpr std::size_t kAttachment1Offset = 2;
    static constexpr std::size_t kAttachment2FirstOffset = 4;
    static constexpr std::size_t kAttachment2SecondOffset = 6;
    static constexpr std::size_t kFlagsOffset = 8;
    static constexpr std::size_t kBarlineOffset = 10;
    static constexpr std::size_t kAttachment3FirstOffset = 12;
    static constexpr std::size_t kAttachment3SecondOffset = 14;
    static constexpr std::size_t kAttachment3FlagOffset = 16;
    static constexpr std::size_t kLongLayoutGapOffset = 4;
    static constexpr std::size_t kLongLayoutGapBytes = 4;

    static bool UsesShortLayout();
    static std::size_t LayoutOffset(std::size_t shortLayoutOffset);
    uint8_t *Storage() { return UsesShortLayout() ? shortRecord : longRecord; }
    const uint8_t *Storage() const { return UsesShortLayout() ? shortRecord : longRecord; }
    void DropAttachments();
    void WriteBackAttachments();

    std::unique_ptr<FCMeasureFirstAttachment> attachment1;
    std::unique_ptr<FCMeasureSecondAttachment> attachment2;
    std::unique_ptr<FCMeasureThirdAttachment> attachment3;
    uint8_t shortRecord[kShortRecordSize] = {};
    uint8_t longRecord[kLongRecordSize] = {};
};
