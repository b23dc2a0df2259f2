// Running out of memory inside a command must not reach the host, and must
// not leave the document half-saved: every allocation the plug-in makes
// during a command is made to fail in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include "interface/data_tag.h"

#include "interface/finale_extension.h"
#include "platform/recording_files.h"
#include "standin/document/document_builder.h"
#include "standin/platform/byte_text.h"
#include "tests/support/fresh_host_fixture.h"
#include "tests/support/scratch_folder.h"

namespace {

// The allocation that is to fail, counted from 0 while armed; allocations
// the host makes for itself are not counted. An allocation that may fail
// without throwing (a sort's scratch buffer) is declined instead.
long allocationsBeforeFailure = -1;
bool failed = false;
bool declined = false;

bool ThisAllocationFails() {
    return !standin::HostCallScope::Active() && allocationsBeforeFailure >= 0 &&
           allocationsBeforeFailure-- == 0;
}

[[noreturn]] void FailAllocation() {
    failed = true;
    throw std::bad_alloc();
}

}  // namespace

void *operator new(std::size_t size) {
    if (ThisAllocationFails()) FailAllocation();
    if (void *block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    if (ThisAllocationFails()) {
        declined = true;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace standin::document_builder;

class OutOfMemory : public HostTest {
protected:
    // Runs the command on a fresh document with allocation `n` failing;
    // answers whether there was an allocation `n` to fail.
    bool RunFailingAt(uint16_t menuIndex, long n) {
        standin::Host document;
        standin::Host::SetCurrent(&document);
        const bool result = RunFailingAt(document, menuIndex, n);
        standin::Host::SetCurrent(&host);
        return result;
    }

    bool RunFailingAt(standin::Host &host, uint16_t menuIndex, long n) {
        // Thirteen systems, so that the collection grows past its first
        // step; the first two not laid out yet, so that it loads twice.
        std::vector<int16_t> starts{0, 0};
        for (int16_t m = 9; m <= 100; m += 9) starts.push_back(m);
        AddSystems(host, starts);
        host.Layout() = {{1, 1}, {2, 5}};
        AddMeasures(host, 100);
        SetBarlineStyle(host, 17, 5);
        SetShowsFullNames(host, 27);
        AddPageFormats(host);
        const auto selection = Selection(1, 100);

        failed = declined = false;
        allocationsBeforeFailure = n;
        const uint32_t answer = FinaleExtensionInvoke(nullptr, menuIndex, selection.data());
        allocationsBeforeFailure = -1;

        EXPECT_EQ(answer, 1u) << "allocation " << n;
        saves = 0;
        seen.clear();
        for (const auto &call : host.Trace()) {
            saves += call.function == "FX_SaveEData";
            seen += call.ToString() + " " + standin::FormatByteText(call.data) + "\n";
        }
        // Only saves write to the document: a command that could not
        // allocate makes none; one that could do without does them all.
        // (A recording's own allocations may fail without the command's.)
        if (failed && !recording) {
            EXPECT_EQ(saves, 0) << "allocation " << n;
        } else if (declined) {
            EXPECT_EQ(saves, 13) << "allocation " << n;
        }
        return failed || declined;
    }

    // Fails every allocation of one command in turn; answers how many there were.
    long FailEachAllocation(uint16_t menuIndex) {
        FinaleExtensionVersion(0x12000000);
        // Finding the host's functions is the operating system's work: done
        // once before counting starts.
        RunFailingAt(menuIndex, -1);
        long n = 0;
        while (RunFailingAt(menuIndex, n)) ++n;
        RecordProperty("allocations", static_cast<int>(n));
        EXPECT_EQ(saves, 13) << "the command with no failure saves every system";
        return n;
    }

    int saves = 0;
    bool recording = false;
    std::string seen;  // the host's calls in the last run, with their bytes
};

// The staff systems' blocks come in chunks, so the two loads ask for few:
// their chunks, the collection's arrays, the walks' keys, the starts.
TEST_F(OutOfMemory, NoAllocationOfTheFinalBarlinesCommandHarmsHostOrDocument) {
    EXPECT_GT(FailEachAllocation(0), 5);
}

TEST_F(OutOfMemory, NoAllocationOfTheFullNamesCommandHarmsHostOrDocument) {
    EXPECT_GT(FailEachAllocation(1), 5);
}

// A recording takes memory of its own. Whichever allocation fails, the host
// sees what a run without recording could show it, and a recording written
// is whole JSON, marked incomplete where its memory ran out.
TEST_F(OutOfMemory, NoAllocationOfARecordingChangesTheCommand) {
    FinaleExtensionVersion(0x12000000);
    std::set<std::string> possible;
    long unrecorded = -1;
    while (RunFailingAt(1, unrecorded) || unrecorded < 0) {
        possible.insert(seen);
        ++unrecorded;
    }
    possible.insert(seen);

    const scratch::Folder folder;
    const scratch::Environment recordTo(KARVO_RECORD_DIR_VARIABLE, folder.Text().c_str());
    recording = true;
    long n = 0;
    int written = 0, outOfMemory = 0;
    for (bool more = true; more; ++n) {
        more = RunFailingAt(1, n);
        EXPECT_EQ(possible.count(seen), 1u) << "allocation " << n;
        for (const std::string &name : folder.Names()) {
            const auto recording = nlohmann::json::parse(folder.Read(name));
            ++written;
            outOfMemory +=
                recording.value("incomplete", "").find("out of memory") != std::string::npos;
            std::filesystem::remove(folder.Path() / name);
        }
    }
    EXPECT_EQ(saves, 13);
    RecordProperty("allocations", static_cast<int>(n));
    RecordProperty("unrecorded", static_cast<int>(unrecorded));
    RecordProperty("written", written);
    RecordProperty("outOfMemory", outOfMemory);
    EXPECT_GT(n, unrecorded + 3) << "the recording allocates";
    EXPECT_GT(written, 0);
    EXPECT_GT(outOfMemory, 0);
}

}  // namespace
