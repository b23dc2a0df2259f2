#include "standin/validator/worker.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>

#include "standin/validator/checks.h"
#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_protocol.h"

namespace standin::validator {
namespace protocol {

std::string OneLine(std::string text) {
    for (char &c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace protocol

namespace {

class Reporter {
public:
    explicit Reporter(std::ostream &out) : out_(out) {}
    // Each line goes out whole and at once, so that a crash right after it
    // leaves it read.
    void Line(const std::string &text) {
        out_ << "\n" << protocol::kMarker << protocol::OneLine(text) << "\n";
        out_.flush();
    }

private:
    std::ostream &out_;
};

std::string Joined(const Faults &faults) {
    std::string text;
    for (const std::string &fault : faults) text += (text.empty() ? "" : "; ") + fault;
    return text;
}

// Runs a step that reaches into the module; what escapes it is a fault.
template <typename Step>
std::string Guarded(Step step) {
    try {
        step();
    } catch (const std::exception &error) {
        return error.what();
    } catch (...) {
        return "an exception left the module";
    }
    return {};
}

}  // namespace

void RunWorker(const WorkerRequest &request, std::ostream &out) {
    EndQuietlyOnFaults();
    Reporter report(out);
    const Check *check = FindCheck(request.check);
    Workbench bench(request.module, request.seed);
    std::vector<CaseParameters> cases;
    const std::string unlisted = Guarded([&] {
        if (check == nullptr) throw std::runtime_error("no check '" + request.check + "'");
        cases = request.onlyCase
                    ? std::vector<CaseParameters>{CaseParameters::Parse(*request.onlyCase)}
                    : check->listCases(bench);
    });
    if (!unlisted.empty()) {
        report.Line("unlisted " + unlisted);
    } else {
        report.Line("cases " + std::to_string(cases.size()));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            report.Line("case " + std::to_string(i) + " " + cases[i].ToString());
        }
        for (std::size_t i = request.from; i < cases.size(); ++i) {
            const std::string number = std::to_string(i);
            report.Line("begin " + number);
            CaseLog log(request.trace ? std::function<void(const std::string &)>(
                                            [&report](const std::string &line) {
                                                report.Line("trace " + line);
                                            })
                                      : nullptr);
            Faults faults;
            AddFault(faults, Guarded([&] { faults = check->runCase(bench, cases[i], log); }));
            for (const std::string &note : log.Notes()) report.Line("note " + number + " " + note);
            report.Line(faults.empty() ? "pass " + number
                                       : "fail " + number + " " + Joined(faults));
        }
    }
    report.Line("done");
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace standin::validator
