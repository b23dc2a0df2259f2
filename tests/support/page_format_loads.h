// The host's other records a page format is assembled from, and the host
// calls a load of it makes, as a test that plays the default host (version
// 0x19000000, every record 12 bytes) sees them. Written out by hand, not
// taken from the field maps: a row wrong in a map must show as a difference.
#pragma once

#include <string>
#include <vector>

namespace page_format_loads {

// The other records ('ot' and these two characters, item -2, inci 0) the
// score's page format is assembled from, in the order a load asks for them.
inline const std::vector<std::string> kScoreOthers = {"14", "15", "39", "16", "02",
                                                      "17", "01", "13", "03"};

// The other records, beside 'ot01' and 'ot77' inci 4, that hold the extra
// values: each holds one of the score's and one of the parts'.
inline const std::vector<std::string> kExtraValueOthers = {"93", "76"};

// Every other record at inci 0 either page format reads, in the order of
// the two lists above.
inline std::vector<std::string> AllOthersAtInciZero() {
    std::vector<std::string> all = kScoreOthers;
    all.insert(all.end(), kExtraValueOthers.begin(), kExtraValueOthers.end());
    return all;
}

// The trace line of a load of other record 'ot<other>' (-2,<inci>).
inline std::string OtherLoad(const std::string &other, int inci = 0) {
    return "FX_LoadEData 'ot" + other + "' (-2," + std::to_string(inci) +
           ") room 12 v=0x19000000 -> 1 size 12";
}

// The loads of the three extra values, which end a load of either variant.
inline std::vector<std::string> ExtraValueLoads() {
    std::vector<std::string> lines = {OtherLoad("01"), OtherLoad("77", 4)};
    for (const std::string &other : kExtraValueOthers) lines.push_back(OtherLoad(other));
    return lines;
}

// A load of the score's page format (item 0).
inline std::vector<std::string> ScoreLoads() {
    std::vector<std::string> lines;
    for (const std::string &other : kScoreOthers) lines.push_back(OtherLoad(other));
    const std::vector<std::string> extras = ExtraValueLoads();
    lines.insert(lines.end(), extras.begin(), extras.end());
    return lines;
}

// A load of the parts' page format (item 1): its 48-byte record is 'ot77'
// inci 0 to 3; the document is asked for between the record and the extra
// values.
inline std::vector<std::string> PartsLoads() {
    std::vector<std::string> lines;
    for (int inci = 0; inci < 4; ++inci) lines.push_back(OtherLoad("77", inci));
    lines.push_back("FX_GetCurrentEnigmaDocument v=0x19000000 -> 1");
    const std::vector<std::string> extras = ExtraValueLoads();
    lines.insert(lines.end(), extras.begin(), extras.end());
    return lines;
}

}  // namespace page_format_loads
