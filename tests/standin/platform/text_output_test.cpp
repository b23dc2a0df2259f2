#include "standin/platform/text_output.h"

#include <gtest/gtest.h>

namespace {

TEST(TextOutput, ControlCharactersAreShownAsEscapesAndTheRestAsItIs) {
    EXPECT_EQ(standin::Printable("\x1b[2Jkey\x07\n\x7f"), "\\u001B[2Jkey\\u0007\\u000A\\u007F");
    // U+009B starts a terminal command as ESC [ does; U+00A0 and U+00E9 are text.
    EXPECT_EQ(standin::Printable("\xC2\x9B"
                                 "1m \xC2\xA0\xC3\xA9 \xE2\x86\x92"),
              "\\u009B1m \xC2\xA0\xC3\xA9 \xE2\x86\x92");
}

}  // namespace
