#include "framework/fc_staffsystem.h"

#include <cstring>

#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"

const char *FCStaffSystem::GetClassName() const {
    static const char name[] = "FCStaffSystem";
    return name;
}

uint32_t FCStaffSystem::GetDataTag() const { return hostdata::kStaffSystemTag; }

void FCStaffSystem::CopyDataFrom(const __FCBaseData &other) {
    std::memcpy(record, static_cast<const FCStaffSystem &>(other).record, kRecordSize);
    HoldCopyOf(other);
}

int16_t FCStaffSystem::GetFirstMeasure() const {
    return hostdata::ReadI16(record, kFirstMeasureOffset);
}

uint16_t FCStaffSystem::GetLeftIndent() const {
    return hostdata::ReadU16(record, kLeftIndentOffset);
}

void FCStaffSystem::SetLeftIndent(uint16_t indent) {
    hostdata::WriteU16(record, kLeftIndentOffset, indent);
}

const char *FCStaffSystems::GetClassName() const {
    static const char name[] = "FCStaffSystems";
    return name;
}

FCStaffSystem *FCStaffSystems::GetItemAt(int32_t index) const {
    return dynamic_cast<FCStaffSystem *>(__FCCollection::GetItemAt(index));
}
