// Guard bytes around a buffer the host hands over: every write outside it
// is found and said by its offsets, and so is a change inside; once its
// call has returned, a write into it ends the process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/validator/guarded_buffer.h"

namespace {

using standin::validator::GuardedBuffer;

struct Writes {
    const char *name;
    std::vector<std::ptrdiff_t> offsets;  // from the buffer's start; negative: before it
    std::string outside;
    std::string inside;
};

const Writes kWrites[] = {
    {"None", {}, "", ""},
    {"InsideOnly", {4, 5}, "", "bytes 4-5"},
    {"JustPastTheEnd", {20, 21, 22, 23}, "wrote bytes 20-23 past the end of the record", ""},
    {"JustBeforeTheStart", {-1}, "wrote byte -1 before the start of the record", ""},
    {"BothSidesAndInside",
     {-4, -3, 0, 20},
     "wrote bytes -4 to -3 before the start of the record; wrote byte 20 past the end of the "
     "record",
     "byte 0"},
    {"TwoRunsPastTheEnd",
     {20, 21, 23},
     "wrote bytes 20-21, byte 23 past the end of the record",
     ""},
    {"AtTheFarEndOfTheGuard",
     {20 + static_cast<std::ptrdiff_t>(GuardedBuffer::kGuardBytes) - 1},
     "wrote byte 275 past the end of the record",
     ""},
};

class GuardBytes : public ::testing::TestWithParam<Writes> {};

TEST_P(GuardBytes, SayWhereTheModuleWrote) {
    const std::vector<uint8_t> content(20, 0x11);
    GuardedBuffer buffer(content);
    for (const std::ptrdiff_t offset : GetParam().offsets) buffer.Data()[offset] ^= 0xFF;
    EXPECT_EQ(buffer.WritesOutside("the record"), GetParam().outside);
    EXPECT_EQ(buffer.ChangedInside(content), GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(Writes, GuardBytes, ::testing::ValuesIn(kWrites),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(GuardBytes, AFilledBufferHoldsItsFillAndAnEmptyOneStillHasGuards) {
    GuardedBuffer filled(8, 0xA5);
    EXPECT_EQ(filled.Content(), std::vector<uint8_t>(8, 0xA5));
    GuardedBuffer empty(0, 0);
    empty.Data()[0] ^= 0xFF;
    EXPECT_EQ(empty.WritesOutside("nothing"), "wrote byte 0 past the end of nothing");
}

TEST(GuardBytes, ARetiredBufferCanStillBeReadButAWriteIntoItFaults) {
    const std::vector<uint8_t> content(20, 0x11);
    GuardedBuffer buffer(content);
    buffer.Retire("the record");
    EXPECT_EQ(buffer.Content(), content);
    EXPECT_EQ(buffer.WritesOutside("the record"), "");
    EXPECT_DEATH(buffer.Data()[4] = 0, "");
    GuardedBuffer next(4, 0);
    next.Data()[0] = 1;
    EXPECT_EQ(next.Content(), (std::vector<uint8_t>{1, 0, 0, 0}));
}

}  // namespace
