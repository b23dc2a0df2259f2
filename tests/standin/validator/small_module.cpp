// A small plug-in module for the validator's tests, with one command: it
// gives the first staff system a left indent of 72 EVPUs when measures are
// selected. Built once sound, and once with each fault a module may have
// (KARVO_FAULT_...), so that the tests show the validator names each.
#include <atomic>
#include <cfenv>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>

#include <fcntl.h>
#include <float.h>
#include <io.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "interface/data_tag.h"
#include "interface/finale_extension.h"
#include "interface/fx_host_api.h"
#include "interface/record_bytes.h"
#include "platform/host_module.h"

namespace {

constexpr uint32_t kDataVersion = 0x19000000;
constexpr std::size_t kSystemSize = 28;
constexpr std::size_t kLeftIndent = 2;
constexpr uint16_t kIndent = 72;
constexpr std::size_t kSelectionFirstMeasure = 4;
[[maybe_unused]] constexpr std::size_t kSelectionLastMeasure = 14;
constexpr const char *kTexts[] = {"Small Indent", "Indents the first system.",
                                  "Small/Indent First"};

template <typename Function>
Function HostFunction(const char *name) {
    return reinterpret_cast<Function>(
        platform::FindExport(platform::FindLoadedModule("FINALE.EXE"), name));
}

// What a faulty module does to the process, on each system; each build
// of the module uses some of it.
#if defined(_WIN32)
[[maybe_unused]] constexpr const char *kNullDevice = "NUL";
[[maybe_unused]] constexpr const char *kAnotherLocale = "German";
[[maybe_unused]] void Pause(unsigned milliseconds) { Sleep(milliseconds); }
[[maybe_unused]] void GoToTheRootFolder() { SetCurrentDirectoryA("C:\\"); }
[[maybe_unused]] void SetVariable(const char *name, const char *value) {
    SetEnvironmentVariableA(name, value);
}
[[maybe_unused]] void TrapDivisionByZero() {
    unsigned int word = 0;
    _controlfp_s(&word, 0, _EM_ZERODIVIDE);
}
[[maybe_unused]] void StartThread(void (*run)(void *), void *argument) {
    struct Start {
        void (*run)(void *);
        void *argument;
    };
    const HANDLE thread = CreateThread(
        nullptr, 0,
        [](void *start) -> DWORD {
            const Start taken = *static_cast<Start *>(start);
            delete static_cast<Start *>(start);
            taken.run(taken.argument);
            return 0;
        },
        new Start{run, argument}, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
}
// The program of that name in the module's own folder.
[[maybe_unused]] std::string Beside(const char *name) {
    HMODULE self = nullptr;
    char path[MAX_PATH] = {};
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&Beside), &self);
    GetModuleFileNameA(self, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1) + name + ".exe";
}
[[maybe_unused]] void StartProgram(const std::string &program, const char *argument) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = program + " " + argument;
    if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
#else
[[maybe_unused]] constexpr const char *kNullDevice = "/dev/null";
[[maybe_unused]] constexpr const char *kAnotherLocale = "C.UTF-8";
[[maybe_unused]] void Pause(unsigned milliseconds) { usleep(milliseconds * 1000); }
[[maybe_unused]] void GoToTheRootFolder() {
    if (chdir("/") != 0) return;
}
[[maybe_unused]] void SetVariable(const char *name, const char *value) { setenv(name, value, 1); }
[[maybe_unused]] void TrapDivisionByZero() { feenableexcept(FE_DIVBYZERO); }
[[maybe_unused]] void StartThread(void (*run)(void *), void *argument) {
    struct Start {
        void (*run)(void *);
        void *argument;
    };
    pthread_t thread;
    if (pthread_create(
            &thread, nullptr,
            [](void *start) -> void * {
                const Start taken = *static_cast<Start *>(start);
                delete static_cast<Start *>(start);
                taken.run(taken.argument);
                return nullptr;
            },
            new Start{run, argument}) == 0) {
        pthread_detach(thread);
    }
}
// The program of that name in the module's own folder.
[[maybe_unused]] std::string Beside(const char *name) {
    Dl_info self{};
    dladdr(reinterpret_cast<void *>(&Beside), &self);
    std::string folder = self.dli_fname != nullptr ? self.dli_fname : "";
    return folder.substr(0, folder.find_last_of('/') + 1) + name;
}
extern "C" char **environ;
[[maybe_unused]] void StartProgram(const std::string &program, const char *argument) {
    char *argv[] = {const_cast<char *>(program.c_str()), const_cast<char *>(argument), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) == 0) {
        waitpid(child, nullptr, 0);
    }
}
#endif

// A null pointer the compiler cannot see through.
volatile int *volatile nowhere = nullptr;
[[maybe_unused]] void Crash() { *nowhere = 1; }

#if defined(KARVO_FAULT_KEEPS_THE_INIT_WORD)
uint32_t *keptInitWord = nullptr;
#endif

[[maybe_unused]] void IndentFirstSystem() {
    const auto load = HostFunction<FX_LoadEData_fn>("FX_LoadEData");
    const auto save = HostFunction<FX_SaveEData_fn>("FX_SaveEData");
    if (load == nullptr || save == nullptr) return;
    FxDataKey key{1, 0};
#if defined(KARVO_FAULT_SAVES_UNDER_THE_KEY_THE_HOST_LEFT)
    // Loads through the key it saves with, where the host may leave another.
    FxDataKey &asked = key;
#else
    // A host may move the key it was given: the save goes to the one asked.
    FxDataKey asked = key;
#endif
    // Cleared, as a host may copy less than it says the record holds.
    uint8_t record[kSystemSize] = {};
    int32_t size = kSystemSize;
    if (load(hostdata::kStaffSystemTag, &asked, record, &size, kDataVersion) == 0 || size < 4) {
        return;
    }
    // A longer record than the room: saved, it would lose the rest.
    if (size > static_cast<int32_t>(kSystemSize)) return;
    const auto loaded =
        static_cast<int32_t>(size < static_cast<int32_t>(kSystemSize) ? size : kSystemSize);
#if defined(KARVO_FAULT_SAVES_ANOTHER_DOCUMENTS_CACHED_SYSTEM)
    // Keeps the first system it read, to spare reading it again; but the
    // cache knows nothing of which document it came from.
    static uint8_t cached[kSystemSize];
    static bool filled = false;
    if (!filled) std::memcpy(cached, record, sizeof cached);
    filled = true;
    std::memcpy(record, cached, sizeof cached);
#endif
#if defined(KARVO_FAULT_INDENTS_BY_ITS_LOAD_ADDRESS)
    // Rounds the indent by a table it finds through a hash of the table's
    // own address.
    const auto page = reinterpret_cast<uintptr_t>(&kTexts) >> 12;
    hostdata::WriteU16(record, kLeftIndent, static_cast<uint16_t>(kIndent + page % 251));
#else
    hostdata::WriteU16(record, kLeftIndent, kIndent);
#endif
#if defined(KARVO_FAULT_SAVES_UNLOADED_RECORD)
    // Gives the second system the same record without loading it first.
    FxDataKey second{2, 0};
    save(hostdata::kStaffSystemTag, &second, record, loaded, kDataVersion);
#endif
#if defined(KARVO_FAULT_SAVES_UNLOADED_RECORDS_FROM_ITS_1025TH_COMMAND)
    // Its undo list holds 1,024 commands; past them it saves the second
    // system from a slot it never loaded.
    static unsigned commands = 0;
    if (++commands > 1024) {
        FxDataKey second{2, 0};
        save(hostdata::kStaffSystemTag, &second, record, loaded, kDataVersion);
    }
#endif
#if defined(KARVO_FAULT_LETS_AN_EXCEPTION_OUT)
    // Reads the byte after the record: at() throws, and nothing catches it.
    const std::vector<uint8_t> bytes(record, record + loaded);
    if (bytes.at(bytes.size()) == 0) return;
#endif
#if defined(KARVO_FAULT_LEAKS_ON_EVERY_INVOKE)
    // An undo copy, never freed. (The newest is kept where the compiler must
    // write it, or clang would leave out an allocation that nothing reads.)
    auto *undo = new std::vector<uint8_t>(16 << 10);
    std::memcpy(undo->data(), record, static_cast<std::size_t>(loaded));
    [[maybe_unused]] static std::vector<uint8_t> *volatile newestUndo = nullptr;
    newestUndo = undo;
#endif
#if defined(KARVO_FAULT_SAVES_A_MEASURE_IN_ANOTHER_LAYOUT)
    // Marks the first measure as seen: loaded in the 30-byte layout, saved
    // back with the version word of the 26-byte one.
    FxDataKey measure{1, 0};
    uint8_t bytes[30] = {};
    int32_t measureSize = sizeof bytes;
    if (load(hostdata::kMeasureTag, &measure, bytes, &measureSize, 0x12000000) != 0 &&
        measureSize == static_cast<int32_t>(sizeof bytes)) {
        bytes[0] |= 1;
        save(hostdata::kMeasureTag, &measure, bytes, measureSize, 0x0A000000);
    }
#endif
#if defined(KARVO_FAULT_CREATES_A_SYSTEM_PER_COMMAND)
    // Keeps a copy of the system for its undo, as a record of the document.
    const auto create = HostFunction<FX_CreateEData_fn>("FX_CreateEData");
    FxDataKey copy{-1, -1};
    if (create != nullptr) create(hostdata::kStaffSystemTag, &copy, record, loaded, kDataVersion);
#endif
#if defined(KARVO_FAULT_SAVES_A_SHORTER_RECORD)
    // Saves only the fields it knows of, up to the first measure.
    save(hostdata::kStaffSystemTag, &key, record, 10, kDataVersion);
    return;
#endif
    save(hostdata::kStaffSystemTag, &key, record, loaded, kDataVersion);
}

#if defined(KARVO_FAULT_WALKS_WITHOUT_END) || defined(KARVO_FAULT_KEEPS_ITS_ROOM_BETWEEN_LOADS)
// Indents every staff system, walking them with FX_NextEData from the first.
void IndentEverySystem() {
    const auto load = HostFunction<FX_LoadEData_fn>("FX_LoadEData");
    const auto save = HostFunction<FX_SaveEData_fn>("FX_SaveEData");
    const auto next = HostFunction<FX_NextEData_fn>("FX_NextEData");
    if (load == nullptr || save == nullptr || next == nullptr) return;
    // One room for every system, filled by each load over the one before.
    uint8_t record[kSystemSize] = {};
    std::vector<uint16_t> visited;
    FxDataKey key{1, 0};
    do {
#if defined(KARVO_FAULT_KEEPS_ITS_ROOM_BETWEEN_LOADS)
        // Ends where it has been, as a walk must; but it does not clear
        // its room before a load.
        for (const uint16_t item : visited) {
            if (item == key.item) return;
        }
#endif
        visited.push_back(key.item);
        FxDataKey asked = key;
        int32_t size = kSystemSize;
        if (load(hostdata::kStaffSystemTag, &asked, record, &size, kDataVersion) == 0) return;
        if (size != static_cast<int32_t>(kSystemSize)) continue;
        hostdata::WriteU16(record, kLeftIndent, kIndent);
        FxDataKey saved = key;
        save(hostdata::kStaffSystemTag, &saved, record, size, kDataVersion);
    } while (next(hostdata::kStaffSystemTag, &key, nullptr, nullptr, kDataVersion) != 0);
}
#endif

#if defined(KARVO_FAULT_LAYS_OUT_AGAIN_BEFORE_EACH_SAVE)
// Indents every staff system; before each save it has the host lay the
// document out again and reads every system up to it, to be sure where the
// one it saves begins now: n layouts and n * n / 2 loads.
void IndentEverySystemFreshlyLaidOut() {
    const auto load = HostFunction<FX_LoadEData_fn>("FX_LoadEData");
    const auto save = HostFunction<FX_SaveEData_fn>("FX_SaveEData");
    const auto layout = HostFunction<FX_UpdateLayout_fn>("FX_UpdateLayout");
    if (load == nullptr || save == nullptr || layout == nullptr) return;
    for (int16_t system = 1; system < 0x7FFF; ++system) {
        layout(1, 0, kDataVersion);
        uint8_t record[kSystemSize] = {};
        int32_t size = kSystemSize;
        for (int16_t earlier = 1; earlier <= system; ++earlier) {
            FxDataKey key{earlier, 0};
            std::memset(record, 0, sizeof record);
            size = kSystemSize;
            if (load(hostdata::kStaffSystemTag, &key, record, &size, kDataVersion) == 0) return;
        }
        if (size != static_cast<int32_t>(kSystemSize)) continue;
        hostdata::WriteU16(record, kLeftIndent, kIndent);
        FxDataKey key{system, 0};
        save(hostdata::kStaffSystemTag, &key, record, size, kDataVersion);
    }
}
#endif

#if defined(KARVO_FAULT_RECURSES_ONCE_PER_SYSTEM)
[[maybe_unused]] volatile uint8_t *volatile deepestScratch = nullptr;

// Walks the systems by recursion, each level holding the system's record
// and a scratch layout of 12 KiB: deep enough to overflow a host thread's
// stack on a score of a few hundred systems.
int CountSystemsFrom(FX_LoadEData_fn load, uint16_t system) {
    volatile uint8_t scratch[12 << 10];
    scratch[0] = static_cast<uint8_t>(system);
    // Where the layout is being worked out, for a progress display: the
    // whole of every level's scratch stays on the stack.
    deepestScratch = scratch;
    FxDataKey key{static_cast<int16_t>(system), 0};
    uint8_t record[kSystemSize];
    int32_t size = kSystemSize;
    if (load(hostdata::kStaffSystemTag, &key, record, &size, kDataVersion) == 0) return 0;
    const int after = CountSystemsFrom(load, static_cast<uint16_t>(system + 1));
    // Its scratch is read once the deeper ones are done: no compiler can
    // turn the recursion into a loop.
    return 1 + after + (scratch[0] & 0);
}
#endif

#if defined(KARVO_FAULT_OVERFLOWS_A_32_SYSTEM_TABLE)
// Notes each system's indent in a table on the stack, sized for the scores
// it was tried on; longer ones than a page of systems it takes to the heap,
// but only past 256.
void NoteIndents() {
    const auto load = HostFunction<FX_LoadEData_fn>("FX_LoadEData");
    int systems = 0;
    for (uint16_t system = 1;; ++system) {
        FxDataKey key{static_cast<int16_t>(system), 0};
        uint8_t record[kSystemSize];
        int32_t size = kSystemSize;
        if (load(hostdata::kStaffSystemTag, &key, record, &size, kDataVersion) == 0) break;
        ++systems;
    }
    if (systems > 256) return;
    volatile uint16_t indents[32];
    for (int system = 0; system < systems; ++system) indents[system] = kIndent;
    if (systems > 0 && indents[systems - 1] != kIndent) Crash();
}
#endif

#if defined(KARVO_FAULT_SLOW_ON_PARTIAL_SELECTIONS) || \
    defined(KARVO_FAULT_LEAKS_ON_PARTIAL_SELECTIONS)
// Whether the selection leaves measures out: it begins after the first, or
// the host holds a measure after its last.
bool SelectionIsPartial(const void *selection) {
    if (hostdata::ReadI16(selection, kSelectionFirstMeasure) > 1) return true;
    const auto load = HostFunction<FX_LoadEData_fn>("FX_LoadEData");
    FxDataKey after{static_cast<int16_t>(hostdata::ReadI16(selection, kSelectionLastMeasure) + 1),
                    0};
    uint8_t measure[30] = {};
    int32_t size = sizeof measure;
    return load != nullptr &&
           load(hostdata::kMeasureTag, &after, measure, &size, kDataVersion) != 0;
}
#endif

void FillRecord(uint8_t *record, std::size_t unitBytes, std::size_t fieldUnits,
                std::size_t flagOffset, std::size_t cleared, const char *menuText) {
    std::memset(record, 0, cleared);
    const char *texts[] = {kTexts[0], kTexts[1], menuText};
    for (std::size_t field = 0; field < 3; ++field) {
        uint8_t *text = record + field * fieldUnits * unitBytes;
        for (std::size_t i = 0; texts[field][i] != '\0'; ++i) {
            text[i * unitBytes] = static_cast<uint8_t>(texts[field][i]);
        }
    }
    hostdata::WriteU32(record, flagOffset, 1);
}

}  // namespace

extern "C" {

uint32_t FinaleExtensionVersion([[maybe_unused]] uint32_t hostVersion) {
#if defined(KARVO_FAULT_NOISY)
    // Sixteen megabytes without a line end, once in a process.
    static bool spoken = false;
    if (!spoken) {
        spoken = true;
        const std::string chatter(16 << 20, 'x');
        std::fwrite(chatter.data(), 1, chatter.size(), stdout);
        std::fflush(stdout);
    }
#endif
#if defined(KARVO_FAULT_CALLS_THE_HOST_IN_THE_HANDSHAKE)
    // Asks which part is shown before the host has opened a document to it.
    if (const auto part = HostFunction<FX_GetCurrentPartID_fn>("FX_GetCurrentPartID")) {
        part(kDataVersion);
    }
#endif
#if defined(KARVO_FAULT_ANSWERS_AN_OLDER_INTERFACE_TO_NEWER_HOSTS)
    // Newer hosts than it was tested on get the interface it was first
    // written for; the newest it knew of get the current one again.
    if (hostVersion > 0x19000000 && hostVersion < 0x7FFFFFFF) return 0x0E000000;
#endif
#if defined(KARVO_FAULT_ANSWERS_ANOTHER_INTERFACE_VERSION)
    // The interface version it was first written for.
    return 0x0E000000;
#else
    return FINALE_EXTENSION_INTERFACE_VERSION;
#endif
}

uint32_t FinaleExtensionInit(void *, uint32_t *initWord) {
#if defined(KARVO_FAULT_CLEARS_THE_HOSTS_INIT_BITS)
    *initWord = 1u;
#else
    *initWord |= 1u;
#endif
#if defined(KARVO_FAULT_KEEPS_THE_INIT_WORD)
    // To mark the host's word again later, which is no longer the host's.
    keptInitWord = initWord;
#endif
    return 1;
}

#if defined(KARVO_FAULT_REFUSES_ITS_MENU_AFTER_A_COMMAND) ||     \
    defined(KARVO_FAULT_CRASHES_IN_TERMINATE_AFTER_A_COMMAND) || \
    defined(KARVO_FAULT_GREYS_ITS_MENU_OUT_AFTER_A_COMMAND)
bool commandRan = false;
#endif

#if defined(KARVO_FAULT_OFFERS_ITS_SECOND_COMMAND_IN_SOME_PROCESSES)
// Offers its second command only to hosts started without a case to replay
// (as if it were offered by a setting only some hosts have).
bool OffersTheSecondCommand() {
    static const bool offered = [] {
        std::FILE *file = std::fopen("/proc/self/cmdline", "rb");
        if (file == nullptr) return false;
        std::string line;
        for (int c; (c = std::fgetc(file)) != EOF;) line += static_cast<char>(c == 0 ? ' ' : c);
        std::fclose(file);
        return line.find(" --case ") == std::string::npos;
    }();
    return offered;
}
#endif

uint32_t FinaleExtensionEnumerate(void *, uint16_t menuIndex, void *record) {
#if defined(KARVO_FAULT_REFUSES_ITS_MENU_AFTER_A_COMMAND)
    // Takes a command that ran for the end of its work.
    if (commandRan) return 0;
#endif
#if defined(KARVO_FAULT_OFFERS_A_COMMAND_PAST_A_REFUSAL)
    // A second command at index 2, where no host asks once index 1 is refused.
    if (menuIndex != 0 && menuIndex != 2) return 0;
#elif defined(KARVO_FAULT_OFFERS_ITS_SECOND_COMMAND_IN_SOME_PROCESSES)
    if (menuIndex > (OffersTheSecondCommand() ? 1 : 0)) return 0;
#else
    if (menuIndex != 0) return 0;
#endif
#if defined(KARVO_FAULT_WRITES_PAST_THE_MENU_RECORD)
    // Clears the entry flag's word too, and one word after it.
    constexpr std::size_t kCleared = FINALE_MENU_RECORD_FLAG_OFFSET + 8;
#else
    constexpr std::size_t kCleared = FINALE_MENU_RECORD_FLAG_OFFSET;
#endif
#if defined(KARVO_FAULT_NOISY)
    // Chatters on whenever it is asked, without a line end.
    std::fputs(std::string(4096, 'y').c_str(), stderr);
#endif
#if defined(KARVO_FAULT_CHANGES_ITS_MENU_BETWEEN_ENUMERATIONS)
    // Counts how often it was asked, and says so every other time.
    static unsigned asked = 0;
    const char *menuText = ++asked % 2 == 0 ? "Small/Indent First Again" : kTexts[2];
#else
    const char *menuText = kTexts[2];
#endif
    FillRecord(static_cast<uint8_t *>(record), 1, FINALE_MENU_RECORD_TEXT_BYTES,
               FINALE_MENU_RECORD_FLAG_OFFSET, kCleared, menuText);
    return 1;
}

uint32_t FinaleExtensionEnumerate_UTF16(void *, uint16_t menuIndex, void *record) {
#if defined(KARVO_FAULT_OFFERS_ITS_SECOND_COMMAND_IN_SOME_PROCESSES)
    if (menuIndex > (OffersTheSecondCommand() ? 1 : 0)) return 0;
#else
    if (menuIndex != 0) return 0;
#endif
#if defined(KARVO_FAULT_NAMES_ITS_COMMAND_ANOTHER_WAY_IN_UTF16)
    const char *menuText = "Small/Indent 1st";
#else
    const char *menuText = kTexts[2];
#endif
    FillRecord(static_cast<uint8_t *>(record), 2, FINALE_MENU_RECORD_UTF16_FIELD_UNITS,
               FINALE_MENU_RECORD_UTF16_FLAG_OFFSET, FINALE_MENU_RECORD_UTF16_FLAG_OFFSET,
               menuText);
    return 1;
}

uint32_t FinaleExtensionInvoke(void *, [[maybe_unused]] uint16_t command, const void *selection) {
#if !defined(KARVO_FAULT_CRASHES_WITHOUT_A_SELECTION)
    if (selection == nullptr) return 1;
#endif
#if defined(KARVO_FAULT_REFUSES_ITS_MENU_AFTER_A_COMMAND) ||     \
    defined(KARVO_FAULT_CRASHES_IN_TERMINATE_AFTER_A_COMMAND) || \
    defined(KARVO_FAULT_GREYS_ITS_MENU_OUT_AFTER_A_COMMAND)
    commandRan = true;
#endif
    if (hostdata::ReadU16(selection, kSelectionFirstMeasure) == 0) return 1;
#if defined(KARVO_FAULT_MAPS_A_MEBIBYTE_PER_COMMAND)
        // Room for an undo copy of a whole score, mapped for each command and
        // kept; it is never written, so it holds no memory, only address space.
#if defined(_WIN32)
    VirtualAlloc(nullptr, 1 << 20, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
    mmap(nullptr, 1 << 20, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
#endif
#endif
#if defined(KARVO_FAULT_SLOW_ON_PARTIAL_SELECTIONS)
    // Works out the layout of the whole score again for a part of it, the
    // long way round.
    if (SelectionIsPartial(selection)) Pause(150);
#endif
#if defined(KARVO_FAULT_LEAKS_ON_PARTIAL_SELECTIONS)
    // An undo copy of the span it changed, never freed; a whole score's
    // undo goes to the host.
    if (SelectionIsPartial(selection)) {
        [[maybe_unused]] static std::vector<uint8_t> *volatile newestUndo = nullptr;
        newestUndo = new std::vector<uint8_t>(16 << 10, 1);
    }
#endif
#if defined(KARVO_FAULT_KEEPS_THE_FIRST_SELECTION)
    // Remembers the first selection, and indents from its first measure on
    // every later command.
    static const void *firstSelection = nullptr;
    if (firstSelection == nullptr) firstSelection = selection;
    if (hostdata::ReadU16(firstSelection, kSelectionFirstMeasure) == 0) return 1;
#endif
#if defined(KARVO_FAULT_HANGS_ON_EVERY_SECOND_INVOKE)
    // Waits for something that never comes, telling the user so.
    static unsigned invokes = 0;
    if (++invokes % 2 == 0) {
        for (;;) {
            std::puts("still working");
            std::fflush(stdout);
            Pause(10);
        }
    }
#endif
#if defined(KARVO_FAULT_CRASHES_ON_THE_SECOND_INVOKE)
    // Frees a cache on its first run that its second still uses.
    static unsigned invokes = 0;
    if (++invokes == 2) Crash();
#endif
#if defined(KARVO_FAULT_OVERFLOWS_A_32_SYSTEM_TABLE)
    NoteIndents();
#endif
#if defined(KARVO_FAULT_RECURSES_ONCE_PER_SYSTEM)
    if (CountSystemsFrom(HostFunction<FX_LoadEData_fn>("FX_LoadEData"), 1) == 0) return 1;
#endif
#if defined(KARVO_FAULT_WALKS_WITHOUT_END) || defined(KARVO_FAULT_KEEPS_ITS_ROOM_BETWEEN_LOADS)
    IndentEverySystem();
#elif defined(KARVO_FAULT_LAYS_OUT_AGAIN_BEFORE_EACH_SAVE)
    IndentEverySystemFreshlyLaidOut();
#else
    IndentFirstSystem();
#endif
#if defined(KARVO_FAULT_OFFERS_ITS_SECOND_COMMAND_IN_SOME_PROCESSES)
    // Its second command gives the second system an indent too, without
    // loading it.
    if (command == 1) {
        const auto save = HostFunction<FX_SaveEData_fn>("FX_SaveEData");
        uint8_t second[kSystemSize] = {};
        hostdata::WriteU16(second, kLeftIndent, kIndent);
        FxDataKey key{2, 0};
        if (save != nullptr)
            save(hostdata::kStaffSystemTag, &key, second, kSystemSize, kDataVersion);
    }
#endif
#if defined(KARVO_FAULT_CHANGES_THE_SELECTION)
    // Clears the selection's staff slots, as if it were the module's own.
    hostdata::WriteU16(const_cast<void *>(selection), 2, 0);
    hostdata::WriteU16(const_cast<void *>(selection), 12, 0);
#endif
#if defined(KARVO_FAULT_WRITES_PAST_THE_SELECTION)
    // Marks the selection as handled, in a word past its 20 bytes.
    hostdata::WriteU32(const_cast<void *>(selection), 20, 1);
#endif
#if defined(KARVO_FAULT_LEAKS_PER_SELECTED_MEASURE)
    // Eight bytes of notes for each selected measure, never freed.
    const int measures = hostdata::ReadI16(selection, kSelectionLastMeasure) -
                         hostdata::ReadI16(selection, kSelectionFirstMeasure) + 1;
    static void *notes = nullptr;
    if (void *more = measures > 0 ? std::calloc(static_cast<std::size_t>(measures), 8) : nullptr) {
        std::memcpy(more, &notes, sizeof notes);
        notes = more;
    }
#endif
#if defined(KARVO_FAULT_WRITES_INTO_THE_SELECTION_LATER)
    // Marks the selection as handled from a thread, when the next command
    // comes; that one waits until the thread has written, which a host that
    // guards the record it took back never lets it see.
    static bool started = false;
    static std::atomic<bool> nextCommand{false}, written{false};
    if (started) {
        nextCommand = true;
        while (!written) Pause(1);
    } else {
        started = true;
        StartThread(
            [](void *record) {
                while (!nextCommand) Pause(1);
                hostdata::WriteU16(record, kSelectionFirstMeasure, 0);
                written = true;
            },
            const_cast<void *>(selection));
    }
#endif
#if defined(KARVO_FAULT_KEEPS_THE_INIT_WORD)
    *keptInitWord |= 2u;
#endif
#if defined(KARVO_FAULT_CHANGES_THE_CURRENT_FOLDER)
    GoToTheRootFolder();
#endif
#if defined(KARVO_FAULT_CHANGES_THE_LOCALE)
    std::setlocale(LC_ALL, kAnotherLocale);
#endif
#if defined(KARVO_FAULT_CHANGES_THE_FLOATING_POINT_ROUNDING)
    std::fesetround(FE_TOWARDZERO);
#endif
#if defined(KARVO_FAULT_SILENCES_THE_STANDARD_STREAMS)
    // Keeps its own chatter quiet, for the whole host.
    if (std::freopen(kNullDevice, "w", stdout) == nullptr) return 1;
    if (std::freopen(kNullDevice, "w", stderr) == nullptr) return 1;
#endif
#if defined(KARVO_FAULT_FORKS_A_SECOND_HOST)
    // Forks to save in the background; the copy carries on as the host.
    fork();
#endif
#if defined(KARVO_FAULT_STARTS_A_LINGERING_PROCESS)
    // A helper that outlives the command: it puts itself in the background,
    // with the host's standard streams, and the program that started it ends.
    StartProgram(Beside("lingerer"), "--background");
#endif
#if defined(KARVO_FAULT_JOINS_ITS_PARENTS_GROUP_AND_HANGS)
    // Leaves its host's group for the one of the program that started the
    // host, to be out of reach of what ends the host, then never returns.
    setpgid(0, getpgid(getppid()));
    for (;;) Pause(10);
#endif
#if defined(KARVO_FAULT_SIGNALS_THE_PROGRAM_THAT_STARTED_THE_HOST)
    // Tells whatever started the host that a command ran.
    kill(getppid(), SIGUSR1);
#endif
#if defined(KARVO_FAULT_STARTS_A_HELPER_OUTSIDE_THE_HOSTS_SESSION)
    // A helper, once, made a sibling of the host in a session of its own,
    // that waits for ever; the command goes on once the helper has its
    // session.
    static bool helped = false;
    int settled[2];
    if (!helped && pipe(settled) == 0) {
        helped = true;
        if (syscall(SYS_clone, CLONE_PARENT | SIGCHLD, 0, 0, 0, 0) == 0) {
            setsid();
            if (write(settled[1], "s", 1) == 1) {
                for (;;) pause();
            }
            _exit(1);
        }
        char said = 0;
        if (read(settled[0], &said, 1) != 1) return 1;
        close(settled[0]);
        close(settled[1]);
    }
#endif
#if defined(KARVO_FAULT_WRITES_RESULTS_ONTO_THE_HOSTS_CHANNEL)
    // Finds the channel the host was given on its command line, and says
    // the next case passed.
    char arguments[4096] = {};
    const int cmdline = open("/proc/self/cmdline", O_RDONLY);
    const ssize_t length = cmdline >= 0 ? read(cmdline, arguments, sizeof arguments - 1) : 0;
    if (cmdline >= 0) close(cmdline);
    for (ssize_t at = 0; at + 10 < length;
         at += static_cast<ssize_t>(std::strlen(arguments + at)) + 1) {
        if (std::strcmp(arguments + at, "--channel") != 0) continue;
        const int channel = std::atoi(arguments + at + 10);
        const char forged[] = "pass 1\n";
        if (write(channel, forged, sizeof forged - 1) < 0) return 1;
    }
#endif
#if defined(KARVO_FAULT_CLOSES_EVERY_DESCRIPTOR)
    // Closes what it thinks it opened, and everything else.
    for (int descriptor = 3; descriptor < 1024; ++descriptor) close(descriptor);
#endif
#if defined(KARVO_FAULT_SETS_ITS_THREADS_LOCALE)
    // Reads numbers its own way, on the thread it was called on.
    static const locale_t own = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
    if (own != nullptr) uselocale(own);
#endif
#if defined(KARVO_FAULT_CHANGES_THE_UMASK)
    // Keeps its files private, and every file the host writes after.
    umask(077);
#endif
#if defined(KARVO_FAULT_LOWERS_A_RESOURCE_LIMIT)
    // Keeps itself from running away with descriptors, and the host too.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_cur > 64 ? 64 : files.rlim_cur / 2;
    setrlimit(RLIMIT_NOFILE, &files);
#endif
#if defined(KARVO_FAULT_BLOCKS_A_SIGNAL)
    // Not to be stopped half-way, and never unblocked.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
#endif
#if defined(KARVO_FAULT_CHANGES_A_SIGNALS_FLAGS)
    // Lets its helpers' ends go unreaped, and with them the host's.
    struct sigaction children {};
    sigaction(SIGCHLD, nullptr, &children);
    children.sa_flags |= SA_NOCLDWAIT;
    sigaction(SIGCHLD, &children, nullptr);
#endif
#if defined(KARVO_FAULT_ARMS_A_TIMER)
    // A reminder in an hour, which it forgets; SIGALRM then ends the host.
    itimerval hour{};
    hour.it_value.tv_sec = 3600;
    setitimer(ITIMER_REAL, &hour, nullptr);
#endif
#if defined(KARVO_FAULT_MAKES_STANDARD_OUTPUT_NONBLOCKING)
    // Not to be held up by a slow reader of what it prints.
    fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
#endif
#if defined(KARVO_FAULT_OPENS_A_FILE_PER_COMMAND)
    // A log opened for each command, and never closed.
    if (open(kNullDevice, O_WRONLY | O_CLOEXEC) < 0) return 1;
#endif
#if defined(KARVO_FAULT_OPENS_A_SOCKET)
    // To tell a helper of its own about the command, once.
    static const int helper = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (helper < 0) return 1;
#endif
#if defined(KARVO_FAULT_LEAVES_A_TEMPORARY_FILE)
    // Its undo copy, in the temporary folder, left there.
    const char *temporary = std::getenv("TMPDIR");
    const std::string undo = std::string(temporary != nullptr ? temporary : "/tmp") + "/small.undo";
    if (std::FILE *file = std::fopen(undo.c_str(), "w")) std::fclose(file);
#endif
#if defined(KARVO_FAULT_LEAVES_A_LOG_IN_THE_CURRENT_FOLDER)
    // A log of its commands, wherever the host happens to be.
    if (std::FILE *file = std::fopen("small.log", "a")) {
        std::fputs("indented\n", file);
        std::fclose(file);
    }
#endif
#if defined(KARVO_FAULT_RUNS_AS_A_BATCH_JOB)
    // Steps aside for the user's other programs, and the host with it.
    sched_param none{};
    sched_setscheduler(0, SCHED_BATCH, &none);
#endif
#if defined(KARVO_FAULT_SETS_AN_ENVIRONMENT_VARIABLE)
    // Tells the helpers it may start where it lives, and every program the
    // host starts from then on too.
    SetVariable("SMALL_INDENT_HOME", "small");
#endif
#if defined(KARVO_FAULT_TRAPS_DIVISION_BY_ZERO)
    // Wants to hear of its own divisions by zero; the host's now end it.
    TrapDivisionByZero();
#endif
#if defined(KARVO_FAULT_TAKES_OVER_SIGABRT)
    // Its own last words on abort(), in place of the host's crash report.
    std::signal(SIGABRT, [](int) { std::fputs("small: aborted\n", stderr); });
#endif
#if defined(KARVO_FAULT_CHANGES_ITS_THREADS_ERROR_MODE)
    // Probes a drive without the system asking the user, and leaves it so.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
#endif
#if defined(KARVO_FAULT_RAISES_ITS_THREADS_PRIORITY)
    // Hurries its own work along, and the host's thread stays raised.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
#endif
#if defined(KARVO_FAULT_POINTS_THE_DLL_SEARCH_ELSEWHERE)
    // Finds its own libraries there, and the host's next library too.
    SetDllDirectoryA("C:\\");
#endif
#if defined(KARVO_FAULT_MAKES_STANDARD_OUTPUT_UTF16)
    // Prints its names in UTF-16; the host's narrow printf then fails.
    _setmode(_fileno(stdout), _O_U16TEXT);
#endif
#if defined(KARVO_FAULT_THROWS_TERMINAL_CONTROLS)
    // Its message moves the cursor up a line and clears it.
    throw std::runtime_error("\x1b[1A\x1b[2Kall is well");
#endif
#if defined(KARVO_FAULT_ENDS_THE_HOST_WITH_EXIT)
    // Ends what it takes for its own process.
    std::exit(0);
#endif
#if defined(KARVO_FAULT_PRINTS_THE_END_OF_CHECK_AND_CRASHES)
    // A line as a worker once ended its check with, then a crash.
    std::printf("\n@validate done\ndone\n");
    std::fflush(stdout);
    Crash();
#endif
    return 1;
}

uint32_t FinaleExtensionGetMenuStatus(void) {
#if defined(KARVO_FAULT_GREYS_ITS_MENU_OUT_AFTER_A_COMMAND)
    // Takes a command that ran for the end of its work.
    if (commandRan) return 0;
#endif
    return 1;
}

void FinaleExtensionTerminate(void) {
#if defined(KARVO_FAULT_CRASHES_IN_TERMINATE_AFTER_A_COMMAND)
    // Frees what a command built, which it built only once.
    if (commandRan) Crash();
#endif
}

}  // extern "C"
