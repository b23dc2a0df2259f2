#include "standin/platform/output_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#if !defined(_WIN32)
#include <unistd.h>
#endif
#include <sstream>

#include "standin/platform/errors.h"
#include "standin/platform/file_access.h"
#include "tests/standin/platform/scratch_test.h"

namespace {

namespace fs = std::filesystem;
using standin::Output;

class OutputFiles : public ScratchTest {};

TEST_F(OutputFiles, OutputsThatCannotAllBeWrittenAsAskedAreRefusedBeforehand) {
    Put("doc.json", "{}");
    Put("module.fxt", "");
    fs::create_directories(folder_ / "folder");
    const std::vector<standin::Input> inputs = {{"the input document", Path("doc.json"), true},
                                                {"the plug-in module", Path("module.fxt")}};
    struct Case {
        const char *what;
        std::vector<Output> outputs;
        std::string message;  // after the path of the folder, where one is named
    };
    const std::string sub = (fs::path("sub") / "out.json").string();
    const Case cases[] = {
        {"one file twice",
         {{"--output", Path("out.json")}, {"--svg", Path("sub/../out.json")}},
         "--svg '" + Path("sub/../out.json") +
             "' is the file --output writes; give each output a file of its own"},
        {"standard output twice",
         {{"--output", "-"}, {"--svg", "-"}},
         "--output and --svg both ask for standard output; give one of them a file"},
        {"the changed document over the document",
         {{"--output", Path("doc.json")}},
         "--output '" + Path("doc.json") +
             "' is the input document; write elsewhere, or use --in-place to replace it"},
        {"another output over the document",
         {{"--trace", Path("doc.json")}},
         "--trace '" + Path("doc.json") + "' is the input document; write elsewhere"},
        {"over the module",
         {{"--output", Path("module.fxt")}},
         "--output '" + Path("module.fxt") + "' is the plug-in module; write elsewhere"},
        {"a folder",
         {{"--svg", Path("folder")}},
         "--svg '" + Path("folder") + "' is a folder; name a file in it"},
        {"in a folder that is not there",
         {{"--output", Path(sub)}},
         "--output: cannot write '" + Path(sub) + "': No such file or directory"},
    };
    for (const Case &refused : cases) {
        SCOPED_TRACE(refused.what);
        try {
            standin::VetOutputs(refused.outputs, inputs);
            ADD_FAILURE() << "accepted";
        } catch (const standin::UsageError &error) {
            EXPECT_EQ(error.what(), refused.message);
        }
    }
    EXPECT_NO_THROW(standin::VetOutputs({{"--in-place", Path("doc.json"), std::string("{}")},
                                         {"--trace", "-"},
                                         {"--svg", Path("folder/picture.svg")}},
                                        inputs));
    EXPECT_EQ(Held(), (std::set<std::string>{"doc.json", "folder", "module.fxt"}));
}

TEST_F(OutputFiles, AllOutputsAreWrittenWholeAndStandardOutputLast) {
    Put("changed.json", "an older and much longer document than the new one");
    const std::vector<Output> outputs = {
        {"--output", Path("changed.json")}, {"--trace", "-"}, {"--svg", Path("picture.svg")}};
    std::ostringstream out;
    standin::WriteOutputs(outputs, {"document", "calls", "picture"}, out);
    EXPECT_EQ(Read("changed.json"), "document");
    EXPECT_EQ(Read("picture.svg"), "picture");
    EXPECT_EQ(out.str(), "calls");
    EXPECT_EQ(Held(), (std::set<std::string>{"changed.json", "picture.svg"}));
}

TEST_F(OutputFiles, AnOutputThatCannotBeWrittenLeavesEveryTargetAsItWas) {
    Put("changed.json", "the old document");
    fs::create_directories(folder_ / "pictures");
    const std::vector<Output> outputs = {{"--output", Path("changed.json")},
                                         {"--svg", Path("pictures/picture.svg")}};
    standin::VetOutputs(outputs, {});
    fs::remove_all(folder_ / "pictures");  // gone between the check and the writing
    std::ostringstream out;
    EXPECT_THROW(standin::WriteOutputs(outputs, {"new document", "picture"}, out),
                 standin::FileError);
    EXPECT_EQ(Read("changed.json"), "the old document");
    EXPECT_EQ(Held(), (std::set<std::string>{"changed.json"}));
}

#if !defined(_WIN32)
// A Ctrl-C between two outputs taking their places waits until every one
// has, then ends the program by its signal.
TEST_F(OutputFiles, AnInterruptionBetweenTwoCommitsWaitsUntilEveryOutputIsInPlace) {
    Put("doc.json", "old");
    const std::vector<Output> outputs = {{"--trace", Path("calls.txt")},
                                         {"--in-place", Path("doc.json"), std::string("old")},
                                         {"--svg", Path("picture.svg")}};
    EXPECT_EXIT(
        {
            standin::SetBetweenCommitsHook([] { raise(SIGINT); });
            std::ostringstream out;
            standin::WriteOutputs(outputs, {"calls", "new", "picture"}, out);
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
    EXPECT_EQ(Read("doc.json"), "new");
    EXPECT_EQ(Read("calls.txt"), "calls");
    EXPECT_EQ(Read("picture.svg"), "picture");
    EXPECT_EQ(Held(), (std::set<std::string>{"calls.txt", "doc.json", "picture.svg"}));
}
#endif

#if !defined(_WIN32)
// A file is replaced by a new one made beside it: a folder that takes no
// file refuses even a file that may be written, and the message says that
// the folder is what must change. (The superuser writes anywhere: the check
// runs as nobody.)
TEST_F(OutputFiles, AWritableFileInAFolderThatTakesNoFileNamesTheFolder) {
    fs::create_directories(folder_ / "locked");
    Put("locked/doc.json", "{}");
    fs::permissions(folder_ / "locked" / "doc.json", fs::perms::all);
    fs::permissions(folder_ / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                            fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
    const std::string doc = Path("locked/doc.json");
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && setuid(65534) != 0) std::exit(3);
            try {
                standin::VetOutputs({{"--in-place", doc, std::string("{}")}}, {});
            } catch (const standin::UsageError &error) {
                std::fputs(error.what(), stderr);
                std::exit(2);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(2),
        "^--in-place: cannot write '.*doc.json': Permission denied; the folder it is in must be "
        "writable too, as the new document is written beside the old one first and then takes "
        "its place$");
    fs::permissions(folder_ / "locked", fs::perms::all);
}
#endif

TEST_F(OutputFiles, ReadingRefusesWhatIsNotARegularFileOfBoundedSize) {
    Put("doc.json", "0123456789");
    fs::create_directories(folder_ / "folder");
    EXPECT_EQ(standin::ReadRegularFile(Path("doc.json"), 10), "0123456789");
    const std::pair<std::string, std::string> refused[] = {
        {Path("folder"), "a folder, not a file"},
        {Path("none.json"), "No such file or directory"},
        {Path("doc.json"), "larger than the limit of 9 bytes"},
        {"-",
         "only a document is read from standard input; give the file's path (./- for a "
         "file named -)"},
    };
    for (const auto &[path, reason] : refused) {
        try {
            standin::ReadRegularFile(path, 9);
            ADD_FAILURE() << path << " read";
        } catch (const standin::FileError &error) {
            EXPECT_EQ(error.what(), "cannot read '" + path + "': " + reason);
        }
    }
}

}  // namespace
