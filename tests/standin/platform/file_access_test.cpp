#include "standin/platform/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "standin/platform/temporary_files.h"
#include "tests/standin/platform/scratch_test.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "standin/platform/errors.h"
#include "standin/platform/output_files.h"
#endif

namespace {

namespace fs = std::filesystem;

class FileAccess : public ScratchTest {};

TEST_F(FileAccess, AFileChangedSinceItWasReadIsNotReplaced) {
    Put("doc.json", "as read");
    {
        standin::ReplacementFile file(Path("doc.json"));
        file.Write("changed by us");
        Put("doc.json", "as another program left it");
        try {
            file.CommitIfStill("as read");
            ADD_FAILURE() << "replaced";
        } catch (const standin::FileError &error) {
            EXPECT_EQ(error.what(), "cannot write '" + Path("doc.json") +
                                        "': it changed after it was read (another program wrote "
                                        "it); nothing was replaced: run again on what it holds "
                                        "now");
        }
    }
    EXPECT_EQ(Read("doc.json"), "as another program left it");
    EXPECT_EQ(Held(), (std::set<std::string>{"doc.json"}));

    standin::ReplacementFile file(Path("doc.json"));
    file.Write("changed by us");
    file.CommitIfStill("as another program left it");
    EXPECT_EQ(Read("doc.json"), "changed by us");
}

TEST_F(FileAccess, AnInterruptionRemovesTheTemporariesNotYetInPlace) {
    Put("kept.json", "old");
    standin::ReplacementFile unwritten(Path("new.json"));
    standin::ReplacementFile written(Path("kept.json"));
    written.Write("new");
    standin::ReplacementFile committed(Path("done.json"));
    committed.Write("done");
    committed.Commit();
    standin::temporary_files::RemoveAll();
#if !defined(_WIN32)
    // Windows removes a file still open for writing only once it is closed.
    EXPECT_EQ(Held(), (std::set<std::string>{"done.json", "kept.json"}));
#endif
    EXPECT_EQ(Read("kept.json"), "old");
    EXPECT_EQ(Read("done.json"), "done");
}

#if !defined(_WIN32)
TEST_F(FileAccess, AReplacedFileKeepsItsOwnerGroupAndEveryModeBit) {
    if (geteuid() != 0) GTEST_SKIP() << "only the superuser can give a file away";
    Put("doc.json", "old");
    ASSERT_EQ(chown(Path("doc.json").c_str(), 1234, 5678), 0);
    ASSERT_EQ(chmod(Path("doc.json").c_str(), 06640), 0);
    standin::ReplacementFile file(Path("doc.json"));
    file.Write("new");
    file.Commit();
    struct stat status {};
    ASSERT_EQ(stat(Path("doc.json").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 1234u);
    EXPECT_EQ(status.st_gid, 5678u);
    EXPECT_EQ(status.st_mode & 07777, 06640u);
    EXPECT_EQ(Read("doc.json"), "new");
}

TEST_F(FileAccess, WritingThroughALinkKeepsTheLinkAndMakesATargetThatIsNotThere) {
    Put("target.json", "old");
    fs::permissions(folder_ / "target.json",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_directories(folder_ / "sub");
    fs::create_symlink("../target.json", folder_ / "sub" / "relative.json");
    fs::create_symlink(folder_ / "sub" / "relative.json", folder_ / "link.json");
    fs::create_symlink("made.json", folder_ / "leads_nowhere.json");
    for (const char *link : {"link.json", "leads_nowhere.json"}) {
        standin::ReplacementFile file(Path(link));
        file.Write(std::string("through ") + link);
        file.Commit();
        EXPECT_TRUE(fs::is_symlink(folder_ / link));
    }
    EXPECT_EQ(Read("target.json"), "through link.json");
    EXPECT_EQ(fs::status(folder_ / "target.json").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Read("made.json"), "through leads_nowhere.json");
    EXPECT_EQ(Held(), (std::set<std::string>{"leads_nowhere.json", "link.json", "made.json", "sub",
                                             "target.json"}));
}

TEST_F(FileAccess, LinksThatLoopAreRefusedAsTheRequestsFault) {
    fs::create_symlink("two", folder_ / "one");
    fs::create_symlink("one", folder_ / "two");
    try {
        standin::ReplacementFile file(Path("one"));
        ADD_FAILURE() << "made";
    } catch (const standin::FileError &error) {
        EXPECT_TRUE(error.Refused());
        EXPECT_EQ(error.what(),
                  "cannot write '" + Path("one") + "': Too many levels of symbolic links");
    }
    EXPECT_EQ(Held(), (std::set<std::string>{"one", "two"}));
}

// Whether some process or thread waits for the flock() lock on a file: the
// kernel lists each waiter in /proc/locks, "-> FLOCK ..." with the file's
// device and inode.
bool SomeoneWaitsToLock(ino_t inode) {
    std::ifstream locks("/proc/locks");
    const std::string file = ":" + std::to_string(inode) + " ";
    for (std::string line; std::getline(locks, line);) {
        if (line.find("-> FLOCK") != std::string::npos && line.find(file) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// One FINALE.EXE replacing the file holds its lock; another waits, and then
// finds the file it locked replaced: its own change would undo the first.
TEST_F(FileAccess, AReplacementWaitingForTheLockFindsTheFileReplacedMeanwhile) {
    Put("doc.json", "as read");
    Put("other.json", "as read");
    const int locked = open(Path("doc.json").c_str(), O_RDONLY);
    ASSERT_EQ(flock(locked, LOCK_EX), 0);
    struct stat lockedFile = {};
    ASSERT_EQ(fstat(locked, &lockedFile), 0);
    ASSERT_TRUE(std::ifstream("/proc/locks").good()) << "the kernel lists no locks here";
    bool refused = false;
    std::atomic<bool> ended{false};
    std::thread second([&] {
        standin::ReplacementFile file(Path("doc.json"));
        file.Write("second");
        try {
            file.CommitIfStill("as read");
        } catch (const standin::FileError &) {
            refused = true;
        }
        ended = true;
    });
    // The second waits for the lock before the first goes on.
    while (!ended && !SomeoneWaitsToLock(lockedFile.st_ino)) std::this_thread::yield();
    if (ended) {
        second.join();
        FAIL() << "the second replacement did not wait for the lock";
    }
    // The first puts a file of the same content in place, and lets go.
    fs::rename(folder_ / "other.json", folder_ / "doc.json");
    close(locked);
    second.join();
    EXPECT_TRUE(refused);
    EXPECT_EQ(Read("doc.json"), "as read");
    EXPECT_EQ(Held(), (std::set<std::string>{"doc.json"}));
}

// Each signal that ends the program, mid-way through writing a file.
TEST_F(FileAccess, ASignalThatEndsTheProgramLeavesNoTemporaryBehind) {
    Put("doc.json", "old");
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1}) {
        SCOPED_TRACE(signal);
        EXPECT_EXIT(
            {
                standin::ReplacementFile written(Path("doc.json"));
                written.Write("new");
                standin::ReplacementFile writing(Path("picture.svg"));
                raise(signal);
            },
            ::testing::KilledBySignal(signal), "");
        EXPECT_EQ(Held(), (std::set<std::string>{"doc.json"}));
        EXPECT_EQ(Read("doc.json"), "old");
    }
}

// A signal the program was started to ignore (nohup) stays ignored.
TEST_F(FileAccess, AnIgnoredSignalStaysIgnored) {
    EXPECT_EXIT(
        {
            ::signal(SIGHUP, SIG_IGN);
            standin::ReplacementFile file(Path("doc.json"));
            raise(SIGHUP);
            file.Write("new");
            file.Commit();
            std::exit(Read("doc.json") == "new" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The status the program gives for an output it checks with no file
// descriptors left: 1, the system's failure, or 2, bad input.
int StatusOfAnOutputWithoutFileDescriptors(const std::string &path) {
    const rlimit none{0, 0};
    setrlimit(RLIMIT_NOFILE, &none);
    try {
        standin::VetOutputs({{"--output", path}}, {});
    } catch (const standin::FileError &) {
        return 1;
    } catch (const standin::UsageError &) {
        return 2;
    }
    return 0;
}

// An output the system has no room for is its failure, not bad input.
// (_exit: a leak check at exit could not list the process's threads without
// a descriptor.)
TEST_F(FileAccess, AnOutputTheOperatingSystemCannotMakeIsAFailureNotBadInput) {
#if defined(KARVO_SANITIZED)
    GTEST_SKIP() << "UndefinedBehaviorSanitizer checks an object's type through a pipe, "
                    "which a process without descriptors cannot open";
#endif
    EXPECT_EXIT(_exit(StatusOfAnOutputWithoutFileDescriptors(Path("out.json"))),
                ::testing::ExitedWithCode(1), "");
}
#endif

}  // namespace
