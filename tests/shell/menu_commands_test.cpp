#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "hostdata/host_version.h"
#include "interface/finale_extension.h"
#include "shell/menu_commands.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

constexpr uint8_t kFill = 0xCC;

class MenuRegistration : public HostTest {
protected:
    std::array<uint8_t, 256> record8;
    std::array<uint8_t, 800> record16;

    MenuRegistration() {
        record8.fill(kFill);
        record16.fill(kFill);
    }

    std::string Field8(std::size_t offset, std::size_t length) const {
        return std::string(reinterpret_cast<const char *>(record8.data() + offset), length);
    }

    // The text of a UTF-16 field up to its terminator; each unit must be ASCII.
    std::string Field16(std::size_t offset) const {
        std::string text;
        for (std::size_t at = offset;; at += 2) {
            const unsigned unit = record16[at] | (record16[at + 1] << 8);
            if (unit == 0) break;
            EXPECT_LT(unit, 0x80u);
            text += static_cast<char>(unit);
        }
        return text;
    }

    uint32_t Word(const uint8_t *at) const {
        uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
    }
};

TEST_F(MenuRegistration, HandshakeAnswersTheInterfaceVersion) {
    EXPECT_EQ(FinaleExtensionVersion(0x12000000), 0x0E010000u);
}

TEST_F(MenuRegistration, OffersCommandOneFromHostVersion0x10000000On) {
    FinaleExtensionVersion(0x0FFFFFFF);
    EXPECT_EQ(FinaleExtensionEnumerate(nullptr, 1, record8.data()), 0u);
    EXPECT_EQ(FinaleExtensionEnumerate_UTF16(nullptr, 1, record16.data()), 0u);
    FinaleExtensionVersion(0x10000000);
    EXPECT_EQ(FinaleExtensionEnumerate(nullptr, 1, record8.data()), 1u);
    EXPECT_EQ(FinaleExtensionEnumerate_UTF16(nullptr, 1, record16.data()), 1u);
    FinaleExtensionVersion(0x80000000);  // compared unsigned
    EXPECT_EQ(FinaleExtensionEnumerate(nullptr, 1, record8.data()), 1u);
}

TEST_F(MenuRegistration, BeforeTheHandshakeOffersCommandZeroOnly) {
    EXPECT_EQ(FinaleExtensionEnumerate(nullptr, 0, record8.data()), 1u);
    record8.fill(kFill);
    EXPECT_EQ(FinaleExtensionEnumerate(nullptr, 1, record8.data()), 0u);
}

TEST_F(MenuRegistration, LeavesTheRecordUntouchedWhereNothingIsOffered) {
    FinaleExtensionVersion(0x12000000);
    for (const uint16_t index : {2, 3, 0x8000, 0xFFFF}) {
        EXPECT_EQ(FinaleExtensionEnumerate(nullptr, index, record8.data()), 0u);
        EXPECT_EQ(FinaleExtensionEnumerate_UTF16(nullptr, index, record16.data()), 0u);
    }
    for (const uint8_t byte : record8) ASSERT_EQ(byte, kFill);
    for (const uint8_t byte : record16) ASSERT_EQ(byte, kFill);
}

TEST_F(MenuRegistration, EightBitRecordZeroFillsEachFieldAndLeavesTheRestAlone) {
    ASSERT_EQ(FinaleExtensionEnumerate(nullptr, 0, record8.data()), 1u);
    EXPECT_EQ(Field8(0, 64), std::string("Karvo Indent System (after Final Barlines)") +
                                 std::string(64 - 42, '\0'));
    EXPECT_EQ(Field8(64, 64), std::string("Indents/unindents systems after final barlines.") +
                                  std::string(17, '\0'));
    EXPECT_EQ(Field8(128, 64),
              std::string("Indent System/Final Barlines") + std::string(64 - 28, '\0'));
    EXPECT_EQ(Word(record8.data() + 192), 1u);
    for (std::size_t i = 196; i < record8.size(); ++i) ASSERT_EQ(record8[i], kFill) << i;
}

TEST_F(MenuRegistration, EightBitDescriptionOfCommandOneFillsItsFieldWithoutTerminator) {
    FinaleExtensionVersion(0x10000000);
    ASSERT_EQ(FinaleExtensionEnumerate(nullptr, 1, record8.data()), 1u);
    EXPECT_EQ(Field8(0, 41), "Karvo Indent System (for Show Full Names)");
    EXPECT_EQ(record8[41], 0);
    EXPECT_EQ(Field8(64, 64), "Indents/unindents systems with the 'Show Full Staff & Group Name");
    EXPECT_EQ(Field8(128, 30), std::string("Indent System/Show Full Names") + '\0');
}

TEST_F(MenuRegistration, Utf16RecordWritesOneTerminatorAndLeavesTheUnitsAfterIt) {
    ASSERT_EQ(FinaleExtensionEnumerate_UTF16(nullptr, 0, record16.data()), 1u);
    EXPECT_EQ(Field16(0), "Karvo Indent System (after Final Barlines)");
    EXPECT_EQ(Field16(256), "Indents/unindents systems after final barlines.");
    EXPECT_EQ(Field16(512), "Indent System/Final Barlines");
    EXPECT_EQ(record16[350 + 2], kFill);  // after the description's terminator at 350
    EXPECT_EQ(record16[2 * 42 + 2], kFill);
    EXPECT_EQ(Word(record16.data() + 768), 1u);
    for (std::size_t i = 772; i < record16.size(); ++i) ASSERT_EQ(record16[i], kFill) << i;
}

TEST_F(MenuRegistration, Utf16DescriptionOfCommandOneIsCutAt63Units) {
    FinaleExtensionVersion(0x10000000);
    ASSERT_EQ(FinaleExtensionEnumerate_UTF16(nullptr, 1, record16.data()), 1u);
    EXPECT_EQ(Field16(256), "Indents/unindents systems with the 'Show Full Staff & Group Nam");
    EXPECT_EQ(record16[382], 0);
    EXPECT_EQ(record16[383], 0);
    EXPECT_EQ(Field16(512), "Indent System/Show Full Names");
}

// The host asks from index 0 up and stops at the first refusal: for every
// host, what is offered is the first few commands of the table, each
// under its own menu text.
TEST_F(MenuRegistration, NoEntryIsOfferedPastARefusal) {
    // None: a host that never made the handshake.
    const std::optional<uint32_t> versions[] = {std::nullopt, 0u, 0x0FFFFFFFu, 0x10000000u,
                                                0xFFFFFFFFu};
    for (const std::optional<uint32_t> &version : versions) {
        hostdata::ForgetHostVersion();
        if (version) FinaleExtensionVersion(*version);
        bool refused = false;
        for (uint16_t index = 0; index < shell::kCommandCount + 4; ++index) {
            const bool offered = FinaleExtensionEnumerate(nullptr, index, record8.data()) == 1;
            EXPECT_FALSE(offered && refused) << "index " << index << " past a refusal";
            refused = refused || !offered;
            if (!offered) continue;
            const std::string menuText = shell::kCommands[index].texts.menuText;
            EXPECT_EQ(Field8(128, menuText.size() + 1), menuText + '\0');
        }
        EXPECT_TRUE(refused);
    }
}

TEST_F(MenuRegistration, InitSetsBitZeroAndKeepsTheOthers) {
    uint32_t word = 0x10;
    EXPECT_EQ(FinaleExtensionInit(nullptr, &word), 1u);
    EXPECT_EQ(word, 0x11u);
    EXPECT_EQ(FinaleExtensionInit(nullptr, &word), 1u);
    EXPECT_EQ(word, 0x11u);
}

TEST_F(MenuRegistration, MenuStatusIsAlwaysOneAndTerminateTouchesNothing) {
    EXPECT_EQ(FinaleExtensionGetMenuStatus(), 1u);
    FinaleExtensionVersion(0x10000000);
    FinaleExtensionTerminate();
    EXPECT_TRUE(host.Trace().empty());
    EXPECT_NE(shell::OfferedCommand(1), nullptr) << "the handshake still holds";
}

}  // namespace
