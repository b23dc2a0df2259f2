// What a worker's checks work with: the module, loaded when first needed,
// the run's seed, and the host calls kept for --trace.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "standin/host/call_trace.h"
#include "standin/host/host.h"
#include "standin/host/plugin.h"
#include "standin/validator/module_copy.h"

namespace standin::validator {

// What a case saw go wrong; empty when it passed.
using Faults = std::vector<std::string>;

// Adds `more` to `faults`, each said to have happened in `where`
// ("command 0, short document: ...") when `where` is not empty.
void AddFaults(Faults &faults, const Faults &more, const std::string &where = {});

// Adds `fault` unless it is empty.
void AddFault(Faults &faults, const std::string &fault);

// What a case reports besides its faults: the host calls of its runs, each
// under its title and line by line as the host takes them (so that they
// are seen even when the module then crashes), when --trace asks for them;
// and notes on what it measured, which the report shows even when the case
// passed.
class CaseLog {
public:
    // `traceLine` takes each line of the calls; none: no trace is wanted.
    explicit CaseLog(std::function<void(const std::string &)> traceLine = {})
        : traceLine_(std::move(traceLine)) {}
    CaseLog(const CaseLog &) = delete;
    CaseLog &operator=(const CaseLog &) = delete;

    // From now on the calls `host` takes go to the trace, under `title`.
    void Watch(Host &host, const std::string &title);
    void Note(const std::string &note) { notes_.push_back(note); }
    const std::vector<std::string> &Notes() const { return notes_; }

private:
    void Lines(const std::string &text) const;

    std::function<void(const std::string &)> traceLine_;
    std::vector<std::string> notes_;
};

// Another instance of the module, loaded from a copy of its file; the copy
// goes when the instance does.
struct FreshModule {
    explicit FreshModule(const std::string &path) : copy(path) {}
    ModuleCopy copy;
    std::unique_ptr<Plugin> plugin;
};

class Workbench {
public:
    Workbench(std::string modulePath, uint32_t seed)
        : modulePath_(std::move(modulePath)), seed_(seed) {}

    // Loads the module when first asked. Throws UsageError when it does not
    // load or lacks an entry point.
    Plugin &Module();
    // Another instance, loaded while the first stays loaded (so at another
    // address), with globals of its own: what a host started afresh runs.
    std::unique_ptr<FreshModule> Fresh();
    uint32_t Seed() const { return seed_; }
    // What the module changed of the process while it was loaded, once.
    Faults TakeLoadingFaults() { return std::move(loadingFaults_); }

private:
    std::string modulePath_;
    uint32_t seed_;
    std::unique_ptr<Plugin> module_;
    Faults loadingFaults_;
};

// The host the module's host calls reach while this lives.
class CurrentHost {
public:
    explicit CurrentHost(Host &host) { Host::SetCurrent(&host); }
    ~CurrentHost() { Host::SetCurrent(nullptr); }
    CurrentHost(const CurrentHost &) = delete;
    CurrentHost &operator=(const CurrentHost &) = delete;
};

// Makes one call into the module as a host does. While it runs, a crash
// report names `entryPoint`; afterwards come what escaped from it ("an
// exception left FinaleExtensionInvoke: ...") and what of the process it
// left changed or running ("FinaleExtensionInvoke changed the current
// folder from ..."), each put back (process_state.h).
Faults CallEntryPoint(const char *entryPoint, const std::function<void()> &call);

}  // namespace standin::validator
