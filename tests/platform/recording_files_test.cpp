// The real seam to the file system for recordings, on real files: a file
// is written whole under its name or not at all, never over another, and
// nothing is left behind when the disk is full.
#include "platform/recording_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scratch_folder.h"

namespace {

using platform::NewFile;

constexpr char kName[] = "karvo-indent-0000000001.json";

platform::NativePath Native(const scratch::fs::path &path) {
    const auto &native = path.native();
    return platform::NativePath(native.begin(), native.end());
}
platform::NativePath Native(const scratch::Folder &folder) { return Native(folder.Path()); }

TEST(RecordingFolder, IsNamedOnlyByAVariableThatIsSetAndNotEmpty) {
    const std::string named = "some folder";
    const platform::NativePath untouched(3, 'x');
    platform::NativePath folder = untouched;
    {
        const scratch::Environment unset(KARVO_RECORD_DIR_VARIABLE, nullptr);
        EXPECT_FALSE(platform::RecordingFolder(folder));
        EXPECT_EQ(folder, untouched);
    }
    {
        const scratch::Environment empty(KARVO_RECORD_DIR_VARIABLE, "");
        EXPECT_FALSE(platform::RecordingFolder(folder));
    }
    const scratch::Environment set(KARVO_RECORD_DIR_VARIABLE, named.c_str());
    ASSERT_TRUE(platform::RecordingFolder(folder));
    EXPECT_EQ(folder, platform::NativePath(named.begin(), named.end()));
}

TEST(NewFile, HoldsThePiecesInOrderAndNothingElseIsLeft) {
    const scratch::Folder folder;
    EXPECT_EQ(platform::WriteNewFile(Native(folder), kName, {"{\n", "", "  \"calls\": []\n}\n"}),
              NewFile::kWritten);
    EXPECT_EQ(folder.Names(), std::set<std::string>{kName});
    EXPECT_EQ(folder.Read(kName), "{\n  \"calls\": []\n}\n");
#if !defined(_WIN32)
    // A recording holds the user's document: for the user's eyes only.
    EXPECT_EQ(scratch::fs::status(folder.Path() / kName).permissions() & scratch::fs::perms::all,
              scratch::fs::perms::owner_read | scratch::fs::perms::owner_write);
#endif
}

TEST(NewFile, NeverReplacesAFileOfItsNameOrOfItsTemporaryName) {
    for (const std::string &taken : {std::string(kName), std::string(kName) + ".tmp"}) {
        const scratch::Folder folder;
        folder.Put(taken, "another writer's");
        EXPECT_EQ(platform::WriteNewFile(Native(folder), kName, {"mine"}), NewFile::kNameTaken)
            << taken;
        EXPECT_EQ(folder.Names(), std::set<std::string>{taken});
        EXPECT_EQ(folder.Read(taken), "another writer's");
    }
}

TEST(NewFile, InAFolderThatIsNotThereFails) {
    const scratch::Folder folder;
    const platform::NativePath missing = Native(folder.Path() / "missing");
    EXPECT_EQ(platform::WriteNewFile(missing, kName, {"text"}), NewFile::kFailed);
    folder.Put("a file");
    const platform::NativePath file = Native(folder.Path() / "a file");
    EXPECT_EQ(platform::WriteNewFile(file, kName, {"text"}), NewFile::kFailed);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"a file"});
}

TEST(NewFile, AFolderWithItsSeparatorTakesTheNameDirectly) {
    const scratch::Folder folder;
    platform::NativePath separated = Native(folder);
    separated.push_back(scratch::fs::path::preferred_separator);
    EXPECT_EQ(platform::WriteNewFile(separated, kName, {"text"}), NewFile::kWritten);
    EXPECT_EQ(folder.Read(kName), "text");
}

#if !defined(_WIN32)
TEST(NewFile, OnAFullDiskLeavesNothingBehind) {
    const scratch::Folder folder;
    const std::string large(64 * 1024, 'x');
    {
        const scratch::FileSizeLimit nearlyFull(1000);
        EXPECT_EQ(platform::WriteNewFile(Native(folder), kName, {"{", large, "}"}),
                  NewFile::kFailed);
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST(NewFile, AnEmptyFolderIsTheCurrentOne) {
    const scratch::Folder folder;
    const scratch::fs::path before = scratch::fs::current_path();
    scratch::fs::current_path(folder.Path());
    EXPECT_EQ(platform::WriteNewFile("", kName, {"here"}), NewFile::kWritten);
    EXPECT_TRUE(platform::RemoveFile("", kName));
    scratch::fs::current_path(before);
    EXPECT_TRUE(folder.Names().empty());
}
#endif

TEST(FileNames, AreThoseThatBeginWithThePrefix) {
    const scratch::Folder folder;
    for (const char *name : {"karvo-indent-0000000002.json", "karvo-indent-x", "karvo-indent",
                             "notes.txt", "Karvo-indent-0000000003.json"}) {
        folder.Put(name);
    }
    std::vector<std::string> names{"kept"};
    ASSERT_TRUE(platform::FileNamesBeginning(Native(folder), "karvo-indent-", names));
    std::sort(names.begin() + 1, names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"kept", "karvo-indent-0000000002.json", "karvo-indent-x"}));
    EXPECT_FALSE(
        platform::FileNamesBeginning(Native(folder.Path() / "missing"), "karvo-indent-", names));
}

TEST(FileBegins, OnlyARegularFileWhoseFirstBytesAreTheGivenOnes) {
    const scratch::Folder folder;
    folder.Put("whole", "{\n  \"format\": 1\n}\n");
    folder.Put("short", "{\n");
    folder.Put("other", "{\n  \"notes\": 1\n}\n");
    scratch::fs::create_directory(folder.Path() / "folder");
    const std::string start = "{\n  \"format\"";
    EXPECT_TRUE(platform::FileBegins(Native(folder), "whole", start));
    for (const char *name : {"short", "other", "folder", "missing"}) {
        EXPECT_FALSE(platform::FileBegins(Native(folder), name, start)) << name;
    }
    EXPECT_EQ(folder.Read("whole"), "{\n  \"format\": 1\n}\n");
}

TEST(RemoveFile, RemovesTheNamedFileAndSaysWhenThereIsNone) {
    const scratch::Folder folder;
    folder.Put(kName);
    folder.Put("other");
    EXPECT_TRUE(platform::RemoveFile(Native(folder), kName));
    EXPECT_FALSE(platform::RemoveFile(Native(folder), kName));
    EXPECT_EQ(folder.Names(), std::set<std::string>{"other"});
}

}  // namespace
