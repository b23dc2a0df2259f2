#include "standin/platform/named_choices.h"

#include <gtest/gtest.h>

namespace {

enum class Shade { Light, Dark, Mid };
constexpr standin::NamedChoice<Shade> kShades[] = {
    {Shade::Light, "light"}, {Shade::Dark, "dark"}, {Shade::Mid, "mid"}};
constexpr standin::NamedChoice<Shade> kOneShade[] = {{Shade::Dark, "dark"}};

TEST(NamedChoices, AreListedInOrderWithTheirLastSeparatorAndReadBackByName) {
    EXPECT_EQ(standin::ChoiceNames(kShades, " or "), "light, dark or mid");
    EXPECT_EQ(standin::ChoiceNames(kShades, ", "), "light, dark, mid");
    EXPECT_EQ(standin::ChoiceNames(kOneShade, " or "), "dark");
    EXPECT_EQ(standin::FindChoice(kShades, "light"), Shade::Light);
    EXPECT_EQ(standin::FindChoice(kShades, "mid"), Shade::Mid);
    // Names are whole words: neither a part nor another case is one.
    EXPECT_EQ(standin::FindChoice(kShades, "dar"), std::nullopt);
    EXPECT_EQ(standin::FindChoice(kShades, "Dark"), std::nullopt);
    EXPECT_EQ(standin::FindChoice(kShades, ""), std::nullopt);
}

}  // namespace
