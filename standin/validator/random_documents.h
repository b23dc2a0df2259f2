// Documents and host behaviour drawn at random, but the same every time for
// the same seed and case number, so that any case can be made again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/host/host.h"

namespace standin::validator {

// A small generator whose numbers are the same on every system and with
// every compiler (unlike the standard distributions).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // 0 to bound - 1; 0 when bound is 0.
    uint32_t Below(uint32_t bound) {
        return bound == 0 ? 0 : static_cast<uint32_t>(Next() % bound);
    }
    bool OneIn(uint32_t chances) { return Below(chances) == 0; }
    template <typename Item>
    const Item &Pick(const std::vector<Item> &items) {
        return items[Below(static_cast<uint32_t>(items.size()))];
    }

private:
    uint64_t state_;
};

struct RandomRun {
    Host host;
    uint32_t hostVersion = 0;
    std::optional<std::vector<uint8_t>> selection;
    // Which of the commands offered at the host version to invoke.
    uint32_t commandPick = 0;
    // The call of the invoke that fails; 0: none does.
    uint32_t failingCall = 0;
    // "12 systems, 40 measures, host version 0x..., ..."
    std::string description;
};

RandomRun MakeRandomRun(uint32_t seed, uint32_t number);

}  // namespace standin::validator
