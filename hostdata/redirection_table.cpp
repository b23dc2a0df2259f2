#include "hostdata/record_redirection.h"
#include "interface/data_tag.h"

namespace hostdata {
namespace {

// Which item numbers a redirected tag serves.
enum class Items {
    kAny,
    kOnlyOne,
    kNumbered,  // 1 to the limit; item n is the run starting at inci n - 1
};

struct RedirectionRow {
    uint32_t tag;
    char other[2];  // the other-record tag's two characters after 'ot'
    uint16_t count;
    Items items;
    uint16_t limit;
};

constexpr uint32_t Pf(char c1, char c2) { return MakeTag('p', 'f', c1, c2); }

// clang-format off
constexpr RedirectionRow kRedirections[] = {
    // tag          other      count items             limit
    {Pf('G', 'D'), {'7', '9'},  1,   Items::kAny,        0},
    {Pf('G', 'G'), {'8', '8'}, 11,   Items::kAny,        0},
    {Pf('G', 'b'), {'9', '8'},  1,   Items::kNumbered,   4},
    {Pf('G', 'd'), {'8', '0'},  1,   Items::kAny,        0},
    {Pf('G', 's'), {'9', '1'},  1,   Items::kOnlyOne,    0},
    {Pf('M', 'M'), {'2', '5'},  2,   Items::kAny,        0},
    {Pf('N', 'D'), {'0', '4'},  1,   Items::kAny,        0},
    {Pf('N', 'd'), {'6', '6'},  1,   Items::kAny,        0},
    {Pf('P', 'F'), {'7', '7'},  4,   Items::kOnlyOne,    0},
    {Pf('S', 'C'), {'5', '2'},  2,   Items::kAny,        0},
    {Pf('S', 'N'), {'4', '0'},  1,   Items::kNumbered, 128},
    {Pf('S', 'P'), {'9', '4'},  3,   Items::kAny,        0},
    {Pf('S', 'l'), {'2', '6'},  1,   Items::kNumbered,  15},
    {Pf('T', 'C'), {'8', '6'},  5,   Items::kAny,        0},
    {Pf('T', 'I'), {'8', '4'},  4,   Items::kAny,        0},
    {Pf('T', 'X'), {'7', '8'},  9,   Items::kAny,        0},
    {Pf('T', 'p'), {'8', '5'},  4,   Items::kAny,        0},
    {Pf('T', 's'), {'9', '0'},  1,   Items::kNumbered,   9},
};
// clang-format on

}  // namespace

Redirection FindRedirection(uint32_t tag, uint16_t item) {
    Redirection found;
    for (const RedirectionRow &row : kRedirections) {
        if (row.tag != tag) continue;
        // Item numbers count from 1; 0 and the negative ones wrap to the top.
        const auto index = static_cast<uint16_t>(item - 1);
        if (row.items == Items::kOnlyOne && index != 0) return found;
        if (row.items == Items::kNumbered && index >= row.limit) return found;
        found.accepted = true;
        found.otherTag = OtherTag(row.other[0], row.other[1]);
        found.count = row.count;
        found.firstInci = row.items == Items::kNumbered ? index : 0;
        return found;
    }
    found.accepted = true;
    return found;
}

}  // namespace hostdata
