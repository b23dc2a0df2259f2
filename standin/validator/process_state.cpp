#include "standin/validator/process_state.h"

#include <xmmintrin.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <locale>

namespace standin::validator {
namespace {

std::unique_ptr<ProcessWatch> activeWatch;

class CLocale : public ProcessAspect {
public:
    CLocale() : taken_(Now()) {}
    std::string Changed() override {
        const std::string now = Now();
        return now == taken_ ? "" : "changed the C locale from '" + taken_ + "' to '" + now + "'";
    }
    void Restore() override { std::setlocale(LC_ALL, taken_.c_str()); }

private:
    static std::string Now() {
        const char *name = std::setlocale(LC_ALL, nullptr);
        return name != nullptr ? name : "";
    }
    std::string taken_;
};

class CppLocale : public ProcessAspect {
public:
    std::string Changed() override {
        const std::locale now;
        return now == taken_ ? ""
                             : "changed the C++ global locale from '" + taken_.name() + "' to '" +
                                   now.name() + "'";
    }
    void Restore() override { std::locale::global(taken_); }

private:
    std::locale taken_;
};

// The control words of the SSE unit and of the x87 unit: rounding, the
// exceptions that trap, flush-to-zero, the x87 precision. Their status
// flags are the process's to raise, and are not compared.
class FloatingPointControl : public ProcessAspect {
public:
    FloatingPointControl() : sse_(Sse()), x87_(X87()) {}
    std::string Changed() override {
        const uint32_t sse = Sse();
        const uint16_t x87 = X87();
        if (sse == sse_ && x87 == x87_) return {};
        return "changed the floating-point control state (SSE " + Word(sse_) + " to " + Word(sse) +
               ", x87 " + Word(x87_) + " to " + Word(x87) + ")";
    }
    void Restore() override {
        _mm_setcsr((_mm_getcsr() & kSseStatus) | sse_);
        const uint16_t x87 = x87_;
        __asm__ __volatile__("fldcw %0" : : "m"(x87));
    }

private:
    static constexpr uint32_t kSseStatus = 0x3F;
    static uint32_t Sse() { return _mm_getcsr() & ~kSseStatus; }
    static uint16_t X87() {
        uint16_t word = 0;
        __asm__ __volatile__("fnstcw %0" : "=m"(word));
        return word;
    }
    static std::string Word(uint32_t word) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(word));
        return text;
    }
    uint32_t sse_;
    uint16_t x87_;
};

}  // namespace

ProcessWatch::ProcessWatch() {
    aspects_.push_back(std::make_unique<CLocale>());
    aspects_.push_back(std::make_unique<CppLocale>());
    aspects_.push_back(std::make_unique<FloatingPointControl>());
    for (auto &aspect : PlatformAspects()) aspects_.push_back(std::move(aspect));
}

std::vector<std::string> ProcessWatch::Check() {
    std::vector<std::string> changes;
    for (const auto &aspect : aspects_) {
        std::string changed = aspect->Changed();
        if (changed.empty()) continue;
        changes.push_back(std::move(changed));
        aspect->Restore();
    }
    return changes;
}

void WatchThisProcess() { activeWatch = std::make_unique<ProcessWatch>(); }

ProcessWatch *ActiveProcessWatch() { return activeWatch.get(); }

}  // namespace standin::validator
