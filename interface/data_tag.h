// Data tags: four ASCII characters naming a record type, the first in the
// most significant byte ('SOSS' is 0x534F5353).
#pragma once

#include <cstdint>
#include <string>

namespace hostdata {

constexpr uint32_t MakeTag(char a, char b, char c, char d) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(d));
}

// An other record's tag: 'ot' and two more characters.
constexpr uint32_t OtherTag(char c1, char c2) { return MakeTag('o', 't', c1, c2); }

// Preference records all have tags 'pf' and two more characters.
constexpr bool IsPreferenceTag(uint32_t tag) { return (tag >> 16) == (MakeTag(0, 0, 'p', 'f')); }

constexpr uint32_t kStaffSystemTag = MakeTag('S', 'O', 'S', 'S');
constexpr uint32_t kMeasureTag = MakeTag('S', 'O', 'M', 'S');
constexpr uint32_t kPageFormatTag = MakeTag('p', 'f', 'P', 'F');

// The four characters of a tag, for messages and traces.
inline std::string TagText(uint32_t tag) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) text[i] = static_cast<char>((tag >> (24 - 8 * i)) & 0xFF);
    return text;
}

}  // namespace hostdata
