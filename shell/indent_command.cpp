#include "shell/indent_command.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "framework/fc_measure.h"
#include "framework/fc_pageformat.h"
#include "framework/fc_region.h"
#include "framework/fc_staffsystem.h"
#include "hostdata/host_calls.h"
#include "shell/first_system_rules.h"

namespace shell {
namespace {

struct SystemStart {
    int32_t measure;
    int32_t index;  // in the collection
    // The system itself, found once by the pass that chose it.
    FCStaffSystem *system;
};

// The systems that begin inside [start, end], in ascending measure order;
// where several begin at one measure, only the first in collection order.
// A system whose record does not reach its first measure begins nowhere.
// `laidOut` is cleared when a system that reaches it has first measure 0.
std::vector<SystemStart> SystemsBeginningIn(const FCStaffSystems &systems, int32_t start,
                                            int32_t end, bool &laidOut) {
    std::vector<SystemStart> starts;
    starts.reserve(static_cast<std::size_t>(systems.GetCount()));
    for (int32_t i = 0; i < systems.GetCount(); ++i) {
        FCStaffSystem *system = systems.GetItemAt(i);
        if (!system->HoldsFirstMeasure()) continue;
        const int32_t measure = system->GetFirstMeasure();
        if (measure == 0) laidOut = false;
        if (measure >= start && measure <= end) starts.push_back({measure, i, system});
    }
    // The host lists its systems in the order of the music, as a rule; only
    // when it does not are they put in measure order.
    const auto byMeasure = [](const SystemStart &a, const SystemStart &b) {
        return a.measure < b.measure;
    };
    if (!std::is_sorted(starts.begin(), starts.end(), byMeasure)) {
        std::stable_sort(starts.begin(), starts.end(), byMeasure);
    }
    starts.erase(std::unique(starts.begin(), starts.end(),
                             [](const SystemStart &a, const SystemStart &b) {
                                 return a.measure == b.measure;
                             }),
                 starts.end());
    return starts;
}

// The host lays systems out lazily; a system not laid out yet has first
// measure 0. One layout update and one reload are enough. A system whose
// record is too short to hold its first measure tells nothing about the
// layout. The pass that finds where the systems begin also tells whether
// they are laid out, so that a laid-out piece is looked over once.
std::vector<SystemStart> LaidOutSystemsBeginningIn(FCStaffSystems &systems, int32_t start,
                                                   int32_t end) {
    systems.LoadAll();
    bool laidOut = true;
    std::vector<SystemStart> starts = SystemsBeginningIn(systems, start, end, laidOut);
    if (laidOut) return starts;
    hostdata::UpdateLayout();
    systems.LoadAll();
    return SystemsBeginningIn(systems, start, end, laidOut);
}

// A rule added to FirstSystemRule without its case here is a compile warning.
// The switch's way out for a value outside the enum is one no entry can take.
Choice Choose(FirstSystemRule rule, FCMeasure &measure, int32_t firstMeasure) {
    switch (rule) {  // GCOVR_EXCL_BR_LINE
        case FirstSystemRule::FullNamesFlag:
            return ChooseForFullNames(measure, firstMeasure);
        case FirstSystemRule::AfterFinalBarline:
            break;
    }
    return ChooseAfterFinalBarline(measure, firstMeasure);
}

// The two indents of the page format, each only when the host supplied it.
struct Indents {
    std::optional<uint16_t> firstSystem, otherSystem;
};

Indents SuppliedIndents(const FCPageFormatPrefs &pageFormat) {
    Indents indents;
    if (pageFormat.HoldsFirstSystemIndent()) {
        indents.firstSystem = pageFormat.GetFirstSystemIndent();
    }
    if (pageFormat.HoldsSystemIndent()) indents.otherSystem = pageFormat.GetSystemIndent();
    return indents;
}

// Saves the systems in collection order, stopping at the first the host
// refuses; those held back (none, or one mark per system), those whose
// record does not reach their first measure, and those the host reported
// longer than it could be seen to hold, are not written.
void SaveSystems(const FCStaffSystems &systems, const std::vector<bool> &heldBack) {
    for (int32_t i = 0; i < systems.GetCount(); ++i) {
        FCStaffSystem *system = systems.GetItemAt(i);
        const bool held = !heldBack.empty() && heldBack[static_cast<std::size_t>(i)];
        if (held || !system->HoldsFirstMeasure() || !system->IsSaveable()) continue;
        if (!system->Save()) return;
    }
}

}  // namespace

void IndentSystems(const FCMusicRegion &region, FirstSystemRule rule) {
    FCStaffSystems systems;
    // Found before the page format is loaded: looking at the systems makes
    // no host call.
    const std::vector<SystemStart> starts =
        LaidOutSystemsBeginningIn(systems, region.GetStartMeasure(), region.GetEndMeasure());

    FCMeasure measure;
    FCPageFormatPrefs pageFormat;
    // The low 16 bits of the current part are 0 for the score; a host that
    // cannot tell answers -1, which reads as a part.
    const bool partsFlag = (hostdata::CurrentPart() & 0xFFFF) != 0;
    pageFormat.LoadItem(partsFlag ? 1 : 0);
    // An indent is written only as the host supplied it; without either,
    // nothing could change, and the document is left as it is. The extra
    // values, which can fail to load on their own, are not needed here.
    const Indents indents = SuppliedIndents(pageFormat);
    if (!indents.firstSystem && !indents.otherSystem) return;

    // A system whose indent the host did not supply keeps its own, and is
    // not written back. Rare: the marks are made only when needed.
    std::vector<bool> heldBack;
    for (const SystemStart &start : starts) {
        const Choice choice = Choose(rule, measure, start.measure);
        if (choice == Choice::Unknown) continue;
        const std::optional<uint16_t> &indent =
            choice == Choice::FirstSystem ? indents.firstSystem : indents.otherSystem;
        if (!indent) {
            heldBack.resize(static_cast<std::size_t>(systems.GetCount()), false);
            heldBack[static_cast<std::size_t>(start.index)] = true;
            continue;
        }
        start.system->SetLeftIndent(*indent);
    }
    SaveSystems(systems, heldBack);
}

}  // namespace shell
