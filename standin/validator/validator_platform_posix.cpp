// Linux: posix_spawn with one pipe for standard output and error; the
// memory is the resident set from /proc.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>

#include "standin/validator/validator_platform.h"

extern char **environ;

namespace standin::validator {
namespace {

std::string SignalText(int signal) {
    const char *name = sigabbrev_np(signal);
    return "killed by signal " + std::to_string(signal) +
           (name ? " (SIG" + std::string(name) + ")" : "");
}

// Splits what arrives into lines as it comes.
class LineSplitter {
public:
    explicit LineSplitter(const std::function<void(const std::string &)> &onLine)
        : onLine_(onLine) {}
    void Take(const char *bytes, std::size_t count) {
        pending_.append(bytes, count);
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
            onLine_(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
    }
    void Finish() {
        if (!pending_.empty()) onLine_(pending_);
        pending_.clear();
    }

private:
    const std::function<void(const std::string &)> &onLine_;
    std::string pending_;
};

}  // namespace

ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  std::chrono::seconds quietLimit,
                  const std::function<void(const std::string &)> &onLine) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return {false, 0, false, "no pipe: " + std::string(std::strerror(errno))};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (const std::string &argument : arguments) {
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return {false, 0, false, "could not start '" + program + "': " + std::strerror(spawned)};
    }

    ChildEnd end;
    LineSplitter lines(onLine);
    pollfd readable{pipeEnds[0], POLLIN, 0};
    const int quietMilliseconds = static_cast<int>(quietLimit.count() * 1000);
    for (;;) {
        const int ready = poll(&readable, 1, quietMilliseconds);
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            kill(child, SIGKILL);
            end.silent = true;
            break;
        }
        char buffer[4096];
        const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        lines.Take(buffer, static_cast<std::size_t>(count));
    }
    lines.Finish();
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        end.exitedNormally = true;
        end.exitStatus = WEXITSTATUS(status);
        end.how = "exit status " + std::to_string(end.exitStatus);
    } else if (WIFSIGNALED(status)) {
        end.how = SignalText(WTERMSIG(status));
    }
    if (end.silent) {
        end.how = "no answer for " + std::to_string(quietLimit.count()) + " s, so stopped";
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

uint64_t ProcessMemoryBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

void EndQuietlyOnFaults() {}

}  // namespace standin::validator
