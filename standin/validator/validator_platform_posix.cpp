// Linux, the validator's side: posix_spawn into a process group of its own,
// one pipe for the private channel and one for standard output and error,
// and a pidfd that says when the worker has ended whoever still holds the
// pipes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_report.h"

extern char **environ;

namespace standin::validator {
namespace {

// What is read from the output at one time, before a report and once the
// worker has ended: a process it started may go on printing into the same
// pipe.
constexpr std::size_t kMostOutputAtOnce = 1 << 20;
// Without a pidfd the end is looked for this often.
constexpr int kEndPollMilliseconds = 20;

// The worker's process group, for a validator that is itself stopped.
volatile sig_atomic_t runningGroup = 0;

void EndTheGroupAndDie(int number) {
    if (runningGroup != 0) kill(-runningGroup, SIGKILL);
    signal(number, SIG_DFL);
    raise(number);
}

void EndTheGroupWithUs() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        sigaction(number, nullptr, &action);
        if (action.sa_handler == SIG_IGN) continue;
        action.sa_handler = EndTheGroupAndDie;
        action.sa_flags = 0;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
    }
}

std::string SignalText(int signal) {
    const char *name = sigabbrev_np(signal);
    return "killed by signal " + std::to_string(signal) +
           (name ? " (SIG" + std::string(name) + ")" : "");
}

// Reads what the descriptor holds now without waiting; answers false at
// its end.
bool ReadAvailable(int descriptor, const std::function<void(const char *, std::size_t)> &take,
                   std::size_t most = SIZE_MAX) {
    char buffer[65536];
    while (most > 0) {
        const ssize_t count = read(descriptor, buffer, std::min(sizeof buffer, most));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return errno == EAGAIN;
        if (count == 0) return false;
        take(buffer, static_cast<std::size_t>(count));
        most -= static_cast<std::size_t>(count);
    }
    return true;
}

struct Pipe {
    int readEnd = -1, writeEnd = -1;
    ~Pipe() {
        if (readEnd >= 0) close(readEnd);
        if (writeEnd >= 0) close(writeEnd);
    }
    // The read end is the validator's alone; the write end is passed on.
    bool Open() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return false;
        readEnd = ends[0];
        writeEnd = ends[1];
        return fcntl(readEnd, F_SETFL, O_NONBLOCK) == 0;
    }
    void CloseWriteEnd() {
        close(writeEnd);
        writeEnd = -1;
    }
};

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

}  // namespace

ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  const ChildWatch &watch) {
    EndTheGroupWithUs();
    Pipe channel, output;
    if (!channel.Open() || !output.Open()) {
        return {false, 0, false, "no pipe: " + std::string(std::strerror(errno))};
    }
    // The channel's write end keeps its number in the worker, which learns
    // it from the command line.
    if (fcntl(channel.writeEnd, F_SETFD, 0) != 0) {
        return {false, 0, false, "no channel: " + std::string(std::strerror(errno))};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.writeEnd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.writeEnd, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<std::string> all = arguments;
    all.insert(all.end(), {"--channel", std::to_string(channel.writeEnd)});
    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (std::string &argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    channel.CloseWriteEnd();
    output.CloseWriteEnd();
    if (spawned != 0) {
        return {false, 0, false, "could not start '" + program + "': " + std::strerror(spawned)};
    }
    runningGroup = child;

    const int ended = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    const auto takeOutput = [&](const char *bytes, std::size_t count) {
        watch.onOutput(bytes, count);
    };
    // What the worker printed before a report comes first.
    const std::function<void(const std::string &)> onLine = [&](const std::string &line) {
        ReadAvailable(output.readEnd, takeOutput, kMostOutputAtOnce);
        watch.onReport(line);
    };
    ChannelLines lines(onLine);
    const auto takeReport = [&](const char *bytes, std::size_t count) { lines.Take(bytes, count); };

    ChildEnd end;
    bool channelOpen = true, outputOpen = true;
    int status = 0;
    for (bool running = true; running;) {
        pollfd watched[3] = {
            {channel.readEnd, POLLIN, 0}, {output.readEnd, POLLIN, 0}, {ended, POLLIN, 0}};
        if (!channelOpen) watched[0].fd = -1;
        if (!outputOpen) watched[1].fd = -1;
        const Clock::time_point deadline = watch.deadline();
        int wait = MillisecondsUntil(deadline);
        if (ended < 0) wait = std::min(wait, kEndPollMilliseconds);
        const int ready = poll(watched, 3, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (watched[1].revents != 0) outputOpen = ReadAvailable(output.readEnd, takeOutput);
        if (watched[0].revents != 0) channelOpen = ReadAvailable(channel.readEnd, takeReport);
        if (watched[2].revents != 0 || (ended < 0 && waitpid(child, &status, WNOHANG) == child)) {
            running = false;
        } else if (Clock::now() >= watch.deadline()) {
            end.stopped = true;
            running = false;
        }
    }
    // The rest of what the worker wrote, then everything it started ends.
    ReadAvailable(output.readEnd, takeOutput, kMostOutputAtOnce);
    ReadAvailable(channel.readEnd, takeReport);
    kill(-child, SIGKILL);
    runningGroup = 0;
    if (ended >= 0) {
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        close(ended);
    } else if (end.stopped) {
        waitpid(child, &status, 0);
    }
    if (WIFEXITED(status)) {
        end.exitedNormally = true;
        end.exitStatus = WEXITSTATUS(status);
        end.how = "exit status " + std::to_string(end.exitStatus);
    } else if (WIFSIGNALED(status)) {
        end.how = SignalText(WTERMSIG(status));
    }
    return end;
}

std::string OwnProgramPath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    return std::string(path, static_cast<std::size_t>(length));
}

std::string QuoteArgument(const std::string &argument) {
    const bool plain =
        !argument.empty() && argument.find_first_not_of(
                                 "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                 "0123456789_-+=/.,:@%") == std::string::npos;
    if (plain) return argument;
    std::string quoted = "'";
    for (const char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace standin::validator
