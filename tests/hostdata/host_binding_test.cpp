#include <gtest/gtest.h>

#include "hostdata/host_calls.h"
#include "tests/support/fresh_host_fixture.h"

using HostBinding = HostTest;

TEST_F(HostBinding, FindsTheHostAsFinaleExeWithoutAskingForTheDemo) {
    hostdata::CurrentPart();
    EXPECT_EQ(fake_platform::ModuleLookups(), std::vector<std::string>{"FINALE.EXE"});
}

TEST_F(HostBinding, FallsBackToTheDemoProgram) {
    UseHost({"FINDEMO.EXE", {}});
    host.SetCurrentPart(7);
    EXPECT_EQ(hostdata::CurrentPart(), 7);
    EXPECT_EQ(fake_platform::ModuleLookups(),
              (std::vector<std::string>{"FINALE.EXE", "FINDEMO.EXE"}));
}

TEST_F(HostBinding, UnderAnotherNameTheProgramItselfIsAskedAndTheModuleLookedUpOnce) {
    UseHost({"OTHER.EXE", {}});
    host.SetCurrentPart(7);
    EXPECT_EQ(hostdata::CurrentPart(), 7);
    EXPECT_EQ(hostdata::CurrentDocument(), 1);
    EXPECT_EQ(fake_platform::ModuleLookups(),
              (std::vector<std::string>{"FINALE.EXE", "FINDEMO.EXE"}));
}

TEST_F(HostBinding, LooksEachFunctionUpOnceFoundOrNot) {
    UseHost({"FINALE.EXE", {"FX_GetCurrentPartID"}});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(hostdata::CurrentPart(), -1);
        hostdata::CurrentDocument();
    }
    EXPECT_EQ(fake_platform::ExportLookups("FX_GetCurrentPartID"), 1);
    EXPECT_EQ(fake_platform::ExportLookups("FX_GetCurrentEnigmaDocument"), 1);
    EXPECT_EQ(fake_platform::ExportLookups("FX_LoadEData"), 0);
}

TEST_F(HostBinding, AnswersTheFallBackOfEveryAbsentFunction) {
    UseHost({"FINALE.EXE",
             {"FX_LoadEData", "FX_SaveEData", "FX_CreateEData", "FX_DeleteEData", "FX_NextEData",
              "FX_SlotToInst", "FX_UpdateLayout", "FX_GetCurrentEnigmaDocument",
              "FX_GetCurrentPartID"}});
    hostdata::DataKey key{1, 0};
    uint8_t buffer[28] = {};
    int32_t size = sizeof buffer;
    EXPECT_EQ(hostdata::LoadHostRecord(0x534F5353, &key, buffer, &size, 0x19000000), 0);
    EXPECT_EQ(hostdata::SaveHostRecord(0x534F5353, &key, buffer, 28, 0x19000000), 0);
    EXPECT_EQ(hostdata::CreateHostRecord(0x534F5353, &key, buffer, 28, 0x19000000), 0);
    EXPECT_EQ(hostdata::DeleteHostRecord(0x534F5353, &key, 0x19000000), 0);
    EXPECT_EQ(hostdata::NextHostRecord(0x534F5353, &key, 0x19000000), 0);
    EXPECT_EQ(hostdata::SlotToInstrument(1, 0), 0);
    hostdata::UpdateLayout();
    EXPECT_EQ(hostdata::CurrentDocument(), 0);
    EXPECT_EQ(hostdata::CurrentPart(), -1);
    EXPECT_TRUE(host.Trace().empty());
}
