#include "framework/fc_region.h"

#include "hostdata/host_calls.h"
#include "interface/record_bytes.h"

namespace {

int16_t StaffInSlot(uint16_t slot, uint16_t context) {
    return static_cast<int16_t>(hostdata::SlotToInstrument(slot, context));
}

}  // namespace

const char *FCMusicRegion::GetClassName() const {
    static const char name[] = "FCMusicRegion";
    return name;
}

void FCMusicRegion::SetFromSelection(const void *selection) {
    if (selection == nullptr) return;
    startSlotContext = hostdata::ReadU16(selection, 0);
    startSlot = hostdata::ReadU16(selection, 2);
    startMeasure = hostdata::ReadI16(selection, 4);
    startPosition = hostdata::ReadU32(selection, 6);
    endSlotContext = hostdata::ReadU16(selection, 10);
    endSlot = hostdata::ReadU16(selection, 12);
    endMeasure = hostdata::ReadI16(selection, 14);
    endPosition = hostdata::ReadU32(selection, 16);
}

bool FCMusicRegion::IsSameRegion(const FCMusicRegion &other) const {
    if (startSlotContext != other.startSlotContext) return false;
    // Different slots may show the same staff; the staves are what count.
    const int16_t otherStartStaff = StaffInSlot(other.startSlot, other.startSlotContext);
    if (StaffInSlot(startSlot, startSlotContext) != otherStartStaff) return false;
    const int16_t otherEndStaff = StaffInSlot(other.endSlot, other.endSlotContext);
    if (StaffInSlot(endSlot, endSlotContext) != otherEndStaff) return false;
    return GetStartMeasure() == other.GetStartMeasure() &&
           GetEndMeasure() == other.GetEndMeasure() && startPosition == other.startPosition &&
           endPosition == other.endPosition;
}
