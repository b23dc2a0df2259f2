#include "framework/fc_staffsystem.h"

#include <cstring>

#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"

namespace {

// The staff system's one name text, which tells its objects (IsSameClass).
constexpr char kStaffSystemName[] = "FCStaffSystem";

}  // namespace

const char *FCStaffSystem::GetClassName() const { return kStaffSystemName; }

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
    // Only a staff system, or a class derived from it that keeps its name,
    // answers the staff system's name text: the framework's class test, and
    // far cheaper than a dynamic_cast on every element of every pass.
    __FCBase *element = __FCCollection::GetItemAt(index);
    if (element == nullptr || element->GetClassName() != kStaffSystemName) return nullptr;
    return static_cast<FCStaffSystem *>(element);
}
