// Preference records, addressed by a preference number kept as the item
// number of the data key.
#pragma once

#include <cstdint>

#include "framework/fc_base.h"

class __FCPrefsBase : public __FCBaseData {
public:
    bool Reload() override;
    // Preference number 1; for page format preferences, the parts.
    bool LoadFirst() override;

    virtual bool LoadItem(uint16_t preferenceNumber) = 0;
};
