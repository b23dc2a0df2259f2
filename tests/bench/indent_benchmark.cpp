// The indent command, both menu commands, on whole documents of growing size,
// timed side by side with the same host calls made without the plug-in.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hostdata/host_binding.h"
#include "interface/finale_extension.h"
#include "platform/recording_files.h"
#include "shell/invoke_recording.h"
#include "standin/document/document_builder.h"
#include "standin/document/generated_document.h"
#include "standin/host/host.h"
#include "standin/host/trace_reissue.h"
#include "tests/bench/heap_accounting.h"
#include "tests/support/fake_platform.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr uint16_t kFinalBarlines = 0;
constexpr uint16_t kFullNames = 1;
// A current host: long measure records, full names consulted.
constexpr uint32_t kHostVersion = 0x1A000000;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A fresh copy of the document in a host that, as a real one, keeps no
// trace of the calls: no side of a comparison pays for one.
standin::Host Untraced(const standin::Host &document) {
    standin::Host host = document;
    host.SetTracing(false);
    return host;
}

template <typename Work>
double Seconds(Work work) {
    const Clock::time_point start = Clock::now();
    work();
    return SecondsSince(start);
}

// Both sides of a comparison, `first` going first. Alternating which goes
// first from one iteration to the next keeps caches and clock steps from
// favouring either side.
template <typename First, typename Second>
void InTurns(bool firstFirst, First first, Second second) {
    if (firstFirst) {
        first();
        second();
    } else {
        second();
        first();
    }
}

class IndentRun {
public:
    IndentRun(uint16_t menuIndex, int16_t measures)
        : menuIndex_(menuIndex), selection_(standin::document_builder::Selection(1, measures)) {}

    void Invoke() const { FinaleExtensionInvoke(nullptr, menuIndex_, selection_.data()); }

private:
    uint16_t menuIndex_;
    std::vector<uint8_t> selection_;
};

// The host calls one command makes on a copy of the document, and whether
// making them again without the plug-in gives the host exactly the same
// calls and leaves the same document.
struct TracedCommand {
    std::vector<standin::HostCall> trace;
    std::string problem;
};

TracedCommand TraceCommand(const standin::Host &document, const IndentRun &run) {
    standin::Host byCommand = document;
    standin::Host::SetCurrent(&byCommand);
    run.Invoke();
    standin::Host::SetCurrent(nullptr);
    return {byCommand.Trace(), standin::ReissueDifference(document, byCommand)};
}

// The most heap the plug-in itself held at once during one command.
uint64_t PeakPlugInHeap(const standin::Host &document, const IndentRun &run) {
    standin::Host host = Untraced(document);
    standin::Host::SetCurrent(&host);
    const uint64_t before = heap_accounting::PlugIn().liveBytes;
    heap_accounting::RestartPeak();
    {
        const heap_accounting::PlugInScope scope;
        run.Invoke();
    }
    standin::Host::SetCurrent(nullptr);
    return heap_accounting::PlugIn().peakBytes - before;
}

void IndentCommand(benchmark::State &state, uint16_t menuIndex) {
    const standin::generated_document::Size size{static_cast<int>(state.range(0)),
                                                 static_cast<int>(state.range(1))};
    const standin::Host document = standin::generated_document::Generate(size);
    const IndentRun run(menuIndex, static_cast<int16_t>(size.measures));

    hostdata::ForgetHostBinding();
    fake_platform::Reset();
    FinaleExtensionVersion(kHostVersion);

    const TracedCommand traced = TraceCommand(document, run);
    if (!traced.problem.empty()) {
        state.SkipWithError(traced.problem.c_str());
        return;
    }
    const standin::TraceReissue baseline(traced.trace);
    const uint64_t peakHeap = PeakPlugInHeap(document, run);

    double commandSeconds = 0;
    double baselineSeconds = 0;
    bool commandFirst = true;
    for (auto _ : state) {
        standin::Host forCommand = Untraced(document);
        standin::Host forBaseline = Untraced(document);
        double thisCommand = 0;
        InTurns(
            commandFirst,
            [&] {
                standin::Host::SetCurrent(&forCommand);
                thisCommand = Seconds([&] { run.Invoke(); });
            },
            [&] {
                standin::Host::SetCurrent(&forBaseline);
                baselineSeconds += Seconds([&] { baseline.Run(forBaseline); });
            });
        standin::Host::SetCurrent(nullptr);
        commandSeconds += thisCommand;
        commandFirst = !commandFirst;
        state.SetIterationTime(thisCommand);
    }

    const auto iterations = static_cast<double>(state.iterations());
    const double items = size.systems + size.measures;
    state.counters["host_calls"] = static_cast<double>(traced.trace.size());
    state.counters["baseline_us"] = baselineSeconds / iterations * 1e6;
    state.counters["ratio"] = commandSeconds / baselineSeconds;
    state.counters["own_ns_per_item"] =
        (commandSeconds - baselineSeconds) / iterations / items * 1e9;
    state.counters["heap_per_system"] = static_cast<double>(peakHeap) / size.systems;
}

// The folder recordings go to while a benchmark records, holding 49
// recordings already, as a user's folder that has been recording for a
// while does: each invoke lists them and adds the fiftieth.
class RecordingFolder {
public:
    // A folder of its own, so that two benchmarks running at once do not
    // empty each other's.
    RecordingFolder() {
        for (int number = 1; number <= 49; ++number) std::ofstream(path_ / Name(number)) << "{}";
    }

    std::string Path() const { return path_.string(); }

    // The recording the last invoke wrote: its size, and then it goes, so
    // that the next invoke finds the folder as this one did.
    uintmax_t TakeNewest() const {
        const std::filesystem::path newest = path_ / Name(50);
        const uintmax_t size = std::filesystem::file_size(newest);
        std::filesystem::remove(newest);
        return size;
    }

private:
    static std::string Name(int number) {
        const std::string digits = std::to_string(number);
        return "karvo-indent-" + std::string(10 - digits.size(), '0') + digits + ".json";
    }

    scratch::Folder folder_;
    const std::filesystem::path path_ = folder_.Path();
};

// The command with recording on, side by side with it off: what a user who
// turns recording on pays, and the size of a recording.
void RecordedCommand(benchmark::State &state, uint16_t menuIndex) {
    const standin::generated_document::Size size{static_cast<int>(state.range(0)),
                                                 static_cast<int>(state.range(1))};
    const standin::Host document = standin::generated_document::Generate(size);
    const IndentRun run(menuIndex, static_cast<int16_t>(size.measures));
    hostdata::ForgetHostBinding();
    fake_platform::Reset();
    FinaleExtensionVersion(kHostVersion);
    const RecordingFolder folder;

    double onSeconds = 0;
    double offSeconds = 0;
    uintmax_t recordingBytes = 0;
    bool onFirst = true;
    for (auto _ : state) {
        standin::Host forOn = Untraced(document);
        standin::Host forOff = Untraced(document);
        double thisOn = 0;
        InTurns(
            onFirst,
            [&] {
                setenv(KARVO_RECORD_DIR_VARIABLE, folder.Path().c_str(), 1);
                standin::Host::SetCurrent(&forOn);
                thisOn = Seconds([&] { run.Invoke(); });
                unsetenv(KARVO_RECORD_DIR_VARIABLE);
            },
            [&] {
                standin::Host::SetCurrent(&forOff);
                offSeconds += Seconds([&] { run.Invoke(); });
            });
        standin::Host::SetCurrent(nullptr);
        recordingBytes = folder.TakeNewest();
        onSeconds += thisOn;
        onFirst = !onFirst;
        state.SetIterationTime(thisOn);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["off_us"] = offSeconds / iterations * 1e6;
    state.counters["on_over_off"] = onSeconds / offSeconds;
    state.counters["recording_bytes"] = static_cast<double>(recordingBytes);
    state.counters["recording_MB_per_s"] =
        static_cast<double>(recordingBytes) / (onSeconds / iterations) / 1e6;
}

// What recording costs an invoke while it is off: one look at the
// environment. (Each host call's binding then adds one test of a flag.)
void RecordingOff(benchmark::State &state) {
    unsetenv(KARVO_RECORD_DIR_VARIABLE);
    for (auto _ : state) {
        shell::InvokeRecording recording(0, nullptr);
        recording.Finish(1);
    }
}

void Sizes(benchmark::internal::Benchmark *benchmark) {
    benchmark->ArgNames({"systems", "measures"});
    benchmark->Args({20, 100});
    benchmark->Args({200, 1000});
    benchmark->Args({600, 3000});
    benchmark->Args({2000, 8000});
    benchmark->Args({4000, 16000});
    benchmark->Args({8191, 32767});
    benchmark->Args({8192, 32767});
}

BENCHMARK_CAPTURE(IndentCommand, FinalBarlines, kFinalBarlines)
    ->Apply(Sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(IndentCommand, FullNames, kFullNames)
    ->Apply(Sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordedCommand, FinalBarlines, kFinalBarlines)
    ->Apply(Sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordedCommand, FullNames, kFullNames)
    ->Apply(Sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordingOff);

}  // namespace

BENCHMARK_MAIN();
