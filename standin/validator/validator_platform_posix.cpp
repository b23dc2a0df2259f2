// Linux, the validator's side: posix_spawn into a session of its own, one
// pipe for the private channel and one for standard output and error, and a
// pidfd that says when the worker has ended whoever still holds the pipes.
// The validator is the subreaper of what the workers start, and no signal
// one sends it ends it.
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

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

// The worker's session, for a validator that is itself stopped.
volatile sig_atomic_t runningGroup = 0;
// Where the handler tells the loop that watches a worker of a signal one
// sent: the signal's number, a byte.
int signalNotes[2] = {-1, -1};

// The number at the start of `text`, or -1.
long LeadingNumber(const char *text) {
    long number = 0;
    if (*text < '0' || *text > '9') return -1;
    for (; *text >= '0' && *text <= '9'; ++text) number = number * 10 + (*text - '0');
    return number;
}

// The parent of `process`, from /proc/<process>/stat: the fourth field,
// after the name in parentheses, which may hold anything. Safe in a signal
// handler; -1 when the process is gone.
long ParentOf(long process) {
    char path[48] = "/proc/";
    char digits[24];
    int count = 0;
    for (long rest = process; count == 0 || rest > 0; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    std::size_t at = 6;
    while (count > 0) path[at++] = digits[--count];
    std::memcpy(path + at, "/stat", 6);
    const int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0) return -1;
    char stat[512];
    const ssize_t length = read(file, stat, sizeof stat - 1);
    close(file);
    if (length <= 0) return -1;
    stat[length] = '\0';
    const char *name_end = std::strrchr(stat, ')');
    if (name_end == nullptr || name_end[1] == '\0' || name_end[2] == '\0') return -1;
    // ") S 1234 ...": the state, then the parent.
    return LeadingNumber(name_end + 4);
}

// Whether `sender` is a worker or one of the processes it started: it
// descends from the validator, which starts nothing else and is the
// subreaper of what they leave.
bool FromAWorker(pid_t sender) {
    const long self = getpid();
    long process = sender;
    for (int depth = 0; depth < 4096 && process > 1; ++depth) {
        process = ParentOf(process);
        if (process == self) return true;
    }
    return false;
}

void EndTheGroupAndDie(int number) {
    if (runningGroup != 0) kill(-runningGroup, SIGKILL);
    signal(number, SIG_DFL);
    raise(number);
}

// A signal from a worker is noted and goes no further; any other takes its
// usual course, after the worker's session has ended.
void OnSignal(int number, siginfo_t *info, void *) {
    const bool sent =
        info->si_code == SI_USER || info->si_code == SI_QUEUE || info->si_code == SI_TKILL;
    if (sent && info->si_pid != getpid() && FromAWorker(info->si_pid)) {
        const auto byte = static_cast<unsigned char>(number);
        if (signalNotes[1] >= 0 && write(signalNotes[1], &byte, 1) < 0) return;
        return;
    }
    EndTheGroupAndDie(number);
}

// The signals whose default ends the validator, besides the faults of its
// own code (which their handlers, a sanitizer's say, report).
std::vector<int> EndingSignals() {
    std::vector<int> signals{SIGHUP,  SIGINT,  SIGQUIT, SIGUSR1,   SIGUSR2,
                             SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGVTALRM,
                             SIGPROF, SIGIO,   SIGPWR,  SIGXCPU,   SIGXFSZ};
    for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) signals.push_back(number);
    return signals;
}

void GuardTheValidator() {
    static bool guarded = false;
    if (guarded) return;
    guarded = true;
    // What a worker's processes leave when their parents end comes to the
    // validator, whatever session it is in, and is ended.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    if (pipe2(signalNotes, O_CLOEXEC | O_NONBLOCK) != 0) signalNotes[0] = signalNotes[1] = -1;
    for (const int number : EndingSignals()) {
        struct sigaction action {};
        sigaction(number, nullptr, &action);
        if (action.sa_handler == SIG_IGN) continue;
        action.sa_sigaction = OnSignal;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
    }
}

// The validator's children now: the worker, or what its processes left.
std::vector<pid_t> OwnChildren() {
    std::vector<pid_t> children;
    const std::string path = "/proc/self/task/" + std::to_string(getpid()) + "/children";
    std::ifstream list(path);
    for (long child = 0; list >> child;) children.push_back(static_cast<pid_t>(child));
    return children;
}

long GroupOf(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t name_end = line.rfind(')');
    if (name_end == std::string::npos) return -1;
    std::istringstream fields(line.substr(name_end + 1));
    std::string state;
    long parent = 0, group = -1;
    fields >> state >> parent >> group;
    return group;
}

// Ends every process the worker's left, and answers how many of them had
// left its session's group; those whose parents end come to the validator
// in turn.
std::size_t EndWhatOutlived(pid_t worker) {
    std::size_t outlived = 0;
    std::set<pid_t> seen;
    for (int round = 0; round < 10000; ++round) {
        const std::vector<pid_t> children = OwnChildren();
        if (children.empty()) break;
        for (const pid_t child : children) {
            if (seen.insert(child).second && GroupOf(child) != worker) ++outlived;
            kill(child, SIGKILL);
            while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    return outlived;
}

std::string SignalName(int signal) {
    const char *name = sigabbrev_np(signal);
    return "signal " + std::to_string(signal) + (name ? " (SIG" + std::string(name) + ")" : "");
}

std::string SignalText(int signal) { return "killed by " + SignalName(signal); }

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

// A worker's own current folder and temporary folder, made empty for it and
// removed with all that is left in them when it has ended.
class PrivateFolders {
public:
    PrivateFolders() {
        const char *temporary = std::getenv("TMPDIR");
        std::string pattern =
            std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
            "/finale-validate-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return;
        root_ = pattern;
        if (mkdir((root_ + "/current").c_str(), 0700) != 0 ||
            mkdir((root_ + "/temporary").c_str(), 0700) != 0) {
            Remove();
        }
    }
    ~PrivateFolders() { Remove(); }
    PrivateFolders(const PrivateFolders &) = delete;
    PrivateFolders &operator=(const PrivateFolders &) = delete;
    // Empty when none could be made: the worker then stays in the
    // validator's folder, and what it leaves there goes unseen.
    const std::string &Root() const { return root_; }

private:
    static int RemoveOne(const char *path, const struct stat *, int, FTW *) {
        return std::remove(path);
    }
    void Remove() {
        if (!root_.empty()) nftw(root_.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
        root_.clear();
    }
    std::string root_;
};

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

ChildEnd NotStarted(const std::string &why) { return {false, 0, false, why, 0}; }

// The channel's write end keeps its number in the worker, which learns it
// from the command line; the validator's end is its alone.
std::string OpenPipes(Pipe &channel, Pipe &output) {
    if (!channel.Open() || !output.Open()) return "no pipe: " + std::string(std::strerror(errno));
    if (fcntl(channel.writeEnd, F_SETFD, 0) != 0) {
        return "no channel: " + std::string(std::strerror(errno));
    }
    return {};
}

bool Named(const char *entry, const char *variable) {
    return std::strncmp(entry, variable, std::strlen(variable)) == 0;
}

// The validator's environment but for the variables that are one worker's
// own, then this worker's: its channel's key and its private folders.
std::vector<std::string> WorkerEnvironment(const ChildWatch &watch, const PrivateFolders &folders) {
    std::vector<std::string> variables;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        if (!Named(*entry, kChannelKeyVariable) && !Named(*entry, kPrivateFoldersVariable)) {
            variables.emplace_back(*entry);
        }
    }
    if (!watch.channelKey.empty()) {
        variables.push_back(std::string(kChannelKeyVariable) + "=" + watch.channelKey);
    }
    if (!folders.Root().empty()) {
        variables.push_back(std::string(kPrivateFoldersVariable) + "=" + folders.Root());
    }
    return variables;
}

// The strings as the null-ended array exec takes.
std::vector<char *> Pointers(std::vector<std::string> &strings) {
    std::vector<char *> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string &text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts the worker with standard input empty and its output and errors
// into `output`; answers posix_spawn's error, or 0.
int Spawn(const std::string &program, std::vector<std::string> argv,
          std::vector<std::string> environment, int output, pid_t &child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session leader cannot move to another group or session: what the
    // module does to it, it does to the worker's processes only.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    const int spawned = posix_spawn(&child, program.c_str(), &actions, &attributes,
                                    Pointers(argv).data(), Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned;
}

// What the worker sends, passed on to the watch in the order it happened:
// what it printed before a report, then the report; a signal it sent before
// any line it reported after.
class Hearing {
public:
    Hearing(const ChildWatch &watch, int channel, int output)
        : watch_(watch),
          channel_(channel),
          output_(output),
          lines_([this](const std::string &line) {
              ReadOutput(kMostOutputAtOnce);
              watch_.onReport(line);
          }) {}
    Hearing(const Hearing &) = delete;
    Hearing &operator=(const Hearing &) = delete;

    // Hears the worker until it ends (`status` then holds how, when no
    // pidfd `ended` told it) or its deadline passes; answers whether it was
    // stopped.
    bool UntilTheEnd(pid_t child, int ended, int &status) {
        bool channelOpen = true, outputOpen = true;
        for (;;) {
            pollfd watched[3] = {{channelOpen ? channel_ : -1, POLLIN, 0},
                                 {outputOpen ? output_ : -1, POLLIN, 0},
                                 {ended, POLLIN, 0}};
            int wait = MillisecondsUntil(watch_.deadline());
            if (ended < 0) wait = std::min(wait, kEndPollMilliseconds);
            if (poll(watched, 3, wait) < 0 && errno == EINTR) continue;
            TakeSignals();
            if (watched[1].revents != 0) outputOpen = ReadOutput();
            if (watched[0].revents != 0) channelOpen = ReadReports();
            if (watched[2].revents != 0 ||
                (ended < 0 && waitpid(child, &status, WNOHANG) == child)) {
                return false;
            }
            if (Clock::now() >= watch_.deadline()) return true;
        }
    }

    // Each answers false at the pipe's end.
    bool ReadOutput(std::size_t most = SIZE_MAX) {
        return ReadAvailable(
            output_,
            [this](const char *bytes, std::size_t count) { watch_.onOutput(bytes, count); }, most);
    }
    bool ReadReports() {
        return ReadAvailable(
            channel_, [this](const char *bytes, std::size_t count) { lines_.Take(bytes, count); });
    }
    void TakeSignals() {
        unsigned char number = 0;
        while (signalNotes[0] >= 0 && read(signalNotes[0], &number, 1) == 1) {
            if (watch_.onMisdeed) {
                watch_.onMisdeed("sent " + SignalName(number) +
                                 " to the program that started the host");
            }
        }
    }
    // What the worker wrote up to its end: a process it started may go on
    // printing into the same pipe, so not all of that.
    void ReadTheRest() {
        TakeSignals();
        ReadOutput(kMostOutputAtOnce);
        ReadReports();
    }

private:
    const ChildWatch &watch_;
    int channel_, output_;
    ChannelLines lines_;
};

// Ends the worker's session and waits for the worker, whose status goes
// into `status` unless it was taken already.
void EndTheSession(pid_t child, int ended, bool stopped, int &status) {
    kill(-child, SIGKILL);
    kill(child, SIGKILL);
    runningGroup = 0;
    if (ended >= 0) {
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        close(ended);
    } else if (stopped) {
        waitpid(child, &status, 0);
    }
}

void SayHowItEnded(int status, ChildEnd &end) {
    if (WIFEXITED(status)) {
        end.exitedNormally = true;
        end.exitStatus = WEXITSTATUS(status);
        end.how = "exit status " + std::to_string(end.exitStatus);
    } else if (WIFSIGNALED(status)) {
        end.how = SignalText(WTERMSIG(status));
    }
}

}  // namespace

ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  const ChildWatch &watch) {
    GuardTheValidator();
    Pipe channel, output;
    const std::string noPipes = OpenPipes(channel, output);
    if (!noPipes.empty()) return NotStarted(noPipes);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    argv.insert(argv.end(), {"--channel", std::to_string(channel.writeEnd)});
    const PrivateFolders folders;
    pid_t child = 0;
    const int spawned =
        Spawn(program, argv, WorkerEnvironment(watch, folders), output.writeEnd, child);
    channel.CloseWriteEnd();
    output.CloseWriteEnd();
    if (spawned != 0) {
        return NotStarted("could not start '" + program + "': " + std::strerror(spawned));
    }
    runningGroup = child;
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    Hearing hearing(watch, channel.readEnd, output.readEnd);
    ChildEnd end;
    int status = 0;
    end.stopped = hearing.UntilTheEnd(child, ended, status);
    // The rest of what the worker wrote, then everything it started ends.
    hearing.ReadTheRest();
    EndTheSession(child, ended, end.stopped, status);
    end.outlived = EndWhatOutlived(child);
    hearing.TakeSignals();
    SayHowItEnded(status, end);
    return end;
}

std::string Containment() {
    return "a session of its own, ended with everything in it; the parent-death signal; the "
           "validator the subreaper of what leaves it (no PID namespace or cgroup)";
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
