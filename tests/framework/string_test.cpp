#include "framework/fc_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>

namespace {

TEST(Strings, GrowInStepsThatFollowTheCapacity) {
    FCString text;
    EXPECT_EQ(text.GetCapacity(), 10u);
    text.EnsureCapacity(15);
    EXPECT_EQ(text.GetCapacity(), 20u);
    text.SetAsciiText("abc", 3);
    const char16_t *unmoved = text.GetText();
    text.EnsureCapacity(18);
    EXPECT_EQ(text.GetText(), unmoved);
    text.EnsureCapacity(19);
    EXPECT_EQ(text.GetCapacity(), 20u);
    EXPECT_EQ(std::u16string(text.GetText(), 3), u"abc");
    text.EnsureCapacity(990);
    text.EnsureCapacity(1500);
    EXPECT_EQ(text.GetCapacity(), 1510u);
    FCString longer;
    longer.EnsureCapacity(1000);
    longer.EnsureCapacity(1500);
    EXPECT_EQ(longer.GetCapacity(), 1600u);
}

TEST(Strings, GrowInThousandsPastTenThousand) {
    FCString text;
    text.EnsureCapacity(10009);
    EXPECT_EQ(text.GetCapacity(), 10010u);
    text.EnsureCapacity(10500);
    EXPECT_EQ(text.GetCapacity(), 11000u);
}

TEST(Strings, NoTextIsTheEmptyText) {
    FCString none(nullptr);
    EXPECT_EQ(none.GetLength(), 0u);
    FCString text("abc");
    text.SetAsciiText(nullptr, 3);
    EXPECT_EQ(text.GetLength(), 0u);
    EXPECT_EQ(text.GetText()[0], 0);
}

TEST(Strings, AnOverflowingSizeFailsWithoutTouchingTheText) {
    FCString text("Times");
    EXPECT_THROW(text.EnsureCapacity(UINT64_MAX), std::bad_alloc);
    EXPECT_THROW(text.EnsureCapacity(UINT64_MAX - 5), std::bad_alloc);
    EXPECT_EQ(text.GetCapacity(), 10u);
    EXPECT_EQ(std::u16string(text.GetText()), u"Times");
}

TEST(Strings, TheDefaultFontNameIsBuiltWhenTheModuleLoads) {
    EXPECT_EQ(DefaultFontName.GetLength(), 15u);
    EXPECT_EQ(DefaultFontName.GetCapacity(), 20u);
    EXPECT_EQ(std::u16string(DefaultFontName.GetText()), u"Times New Roman");
    EXPECT_EQ(EmptyString.GetText()[0], 0);
}

}  // namespace
