// The part of the document the user selected: a start and an end point,
// each a staff slot, a measure and a position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/fc_base.h"

class FCMusicRegion : public __FCBase {
public:
    // Bytes of the host's selection record that make up a region.
    static constexpr std::size_t kSelectionRecordSize = 20;

    FCMusicRegion() = default;
    const char *GetClassName() const override;

    // Equal when both regions reach the same staves (whatever the slots),
    // measures and positions.
    virtual bool IsSameRegion(const FCMusicRegion &other) const;

    // Takes the first kSelectionRecordSize bytes of the host's selection
    // record; a null record leaves the region empty.
    void SetFromSelection(const void *selection);

    int16_t GetStartMeasure() const { return startMeasure; }
    int16_t GetEndMeasure() const { return endMeasure; }

private:
    uint16_t startSlotContext = 0;
    uint16_t startSlot = 0;
    int16_t startMeasure = 0;
    uint32_t startPosition = 0;
    uint16_t endSlotContext = 0;
    uint16_t endSlot = 0;
    int16_t endMeasure = 0;
    uint32_t endPosition = 0;
};
