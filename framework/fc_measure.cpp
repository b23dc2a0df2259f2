#include "framework/fc_measure.h"

#include <cstring>
#include <utility>

#include "hostdata/host_version.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"

namespace {

// Data versions that name the two layouts to the host.
constexpr uint32_t kShortLayoutVersion = 0x0A000000;
constexpr uint32_t kLongLayoutVersion = 0x12000000;

constexpr uint16_t kFullNamesBit = 0x0800;
constexpr uint16_t kSecondAttachmentFirstBit = 0x0080;
constexpr uint16_t kSecondAttachmentSecondBit = 0x0040;
constexpr uint16_t kThirdAttachmentBit = 0x0002;

void WriteBit(uint8_t *record, std::size_t offset, uint16_t bit, bool set) {
    const uint16_t word = hostdata::ReadU16(record, offset);
    hostdata::WriteU16(record, offset, static_cast<uint16_t>(set ? (word | bit) : (word & ~bit)));
}

}  // namespace

const char *FCMeasureFirstAttachment::GetClassName() const {
    static const char name[] = "FCMeasureFirstAttachment";
    return name;
}

const char *FCMeasureSecondAttachment::GetClassName() const {
    static const char name[] = "FCMeasureSecondAttachment";
    return name;
}

const char *FCMeasureThirdAttachment::GetClassName() const {
    static const char name[] = "FCMeasureThirdAttachment";
    return name;
}

FCMeasure::~FCMeasure() { DropAttachments(); }

const char *FCMeasure::GetClassName() const {
    static const char name[] = "FCMeasure";
    return name;
}

bool FCMeasure::UsesShortLayout() {
    return hostdata::HostVersion() < hostdata::kLongMeasureHostVersion;
}

std::size_t FCMeasure::LayoutOffset(std::size_t shortLayoutOffset) {
    if (UsesShortLayout() || shortLayoutOffset < kLongLayoutGapOffset) return shortLayoutOffset;
    return shortLayoutOffset + kLongLayoutGapBytes;
}

void *FCMeasure::GetRecordBuffer() { return Storage(); }

uint32_t FCMeasure::GetDataTag() const { return hostdata::kMeasureTag; }

uint32_t FCMeasure::GetDataVersion() const {
    return UsesShortLayout() ? kShortLayoutVersion : kLongLayoutVersion;
}

uint32_t FCMeasure::GetRecordSize() const {
    return UsesShortLayout() ? kShortRecordSize : kLongRecordSize;
}

void FCMeasure::CopyDataFrom(const __FCBaseData &other) {
    const uint32_t size = GetRecordSize();
    std::memcpy(Storage(), static_cast<const FCMeasure &>(other).Storage(), size);
    HoldCopyOf(other);
}

bool FCMeasure::Save() {
    WriteBackAttachments();
    return __FCNoInciOther::Save();
}

bool FCMeasure::LoadItem(uint16_t measureNumber) {
    if (measureNumber == 0) return false;
    DropAttachments();
    return __FCNoInciOther::LoadItem(measureNumber);
}

bool FCMeasure::ShowsFullNames() const {
    return (hostdata::ReadU16(Storage(), LayoutOffset(kFlagsOffset)) & kFullNamesBit) != 0;
}

int FCMeasure::BarlineStyle() const {
    return (hostdata::ReadU16(Storage(), LayoutOffset(kBarlineOffset)) >> 4) & 0xF;
}

bool FCMeasure::HoldsFlags() const { return HoldsField(LayoutOffset(kFlagsOffset), 2); }

bool FCMeasure::HoldsBarline() const { return HoldsField(LayoutOffset(kBarlineOffset), 2); }

void FCMeasure::SetFirstAttachment(std::unique_ptr<FCMeasureFirstAttachment> attachment) {
    attachment1 = std::move(attachment);
}

void FCMeasure::SetSecondAttachment(std::unique_ptr<FCMeasureSecondAttachment> attachment) {
    attachment2 = std::move(attachment);
}

void FCMeasure::SetThirdAttachment(std::unique_ptr<FCMeasureThirdAttachment> attachment) {
    attachment3 = std::move(attachment);
}

void FCMeasure::DropAttachments() {
    attachment1.reset();
    attachment2.reset();
    attachment3.reset();
}

void FCMeasure::WriteBackAttachments() {
    uint8_t *record = Storage();
    if (attachment1) {
        hostdata::WriteU16(record, LayoutOffset(kAttachment1Offset), attachment1->word);
    }
    if (attachment2) {
        hostdata::WriteU16(record, LayoutOffset(kAttachment2FirstOffset), attachment2->firstWord);
        WriteBit(record, LayoutOffset(kFlagsOffset), kSecondAttachmentFirstBit,
                 attachment2->flagsBit0080);
        hostdata::WriteU16(record, LayoutOffset(kAttachment2SecondOffset), attachment2->secondWord);
        WriteBit(record, LayoutOffset(kFlagsOffset), kSecondAttachmentSecondBit,
                 attachment2->flagsBit0040);
    }
    if (attachment3) {
        if (!attachment3->keepFirstWord) {
            hostdata::WriteU16(record, LayoutOffset(kAttachment3FirstOffset),
                               attachment3->firstWord);
        }
        if (!attachment3->keepSecondWord) {
            hostdata::WriteU16(record, LayoutOffset(kAttachment3SecondOffset),
                               attachment3->secondWord);
        }
        WriteBit(record, LayoutOffset(kAttachment3FlagOffset), kThirdAttachmentBit,
                 attachment3->bit0002);
    }
}
