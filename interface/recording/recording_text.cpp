#include "interface/recording/recording_text.h"

#include <charconv>

namespace hostdata::recording_text {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

bool PlainCharacter(uint32_t c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

}  // namespace

void AppendNumber(std::string &text, int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

void AppendHexWord(std::string &text, uint32_t value) {
    char word[12] = {'"', '0', 'x'};
    for (int i = 0; i < 8; ++i) word[3 + i] = kUpperHexDigits[(value >> (28 - 4 * i)) & 0xF];
    word[11] = '"';
    text.append(word, sizeof word);
}

void AppendTag(std::string &text, uint32_t tag) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!PlainCharacter((tag >> shift) & 0xFF)) {
            AppendHexWord(text, tag);
            return;
        }
    }
    const char quoted[6] = {'"',
                            static_cast<char>(tag >> 24),
                            static_cast<char>(tag >> 16),
                            static_cast<char>(tag >> 8),
                            static_cast<char>(tag),
                            '"'};
    text.append(quoted, sizeof quoted);
}

void AppendBytes(std::string &text, const void *bytes, std::size_t count) {
    const auto *byte = static_cast<const uint8_t *>(bytes);
    const std::size_t start = text.size();
    // Three characters a byte (the last one's space is the closing quote),
    // and the opening quote.
    text.resize(start + 1 + 3 * count + (count == 0 ? 1 : 0));
    char *out = &text[start];
    *out++ = '"';
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) *out++ = ' ';
        *out++ = kHexDigits[byte[i] >> 4];
        *out++ = kHexDigits[byte[i] & 0xF];
    }
    *out = '"';
}

}  // namespace hostdata::recording_text
