#include "shell/indent_command.h"

#include <algorithm>
#include <vector>

#include "framework/fc_measure.h"
#include "framework/fc_pageformat.h"
#include "framework/fc_region.h"
#include "framework/fc_staffsystem.h"
#include "hostdata/host_calls.h"
#include "hostdata/host_version.h"

namespace shell {
namespace {

constexpr int kFullNamesCommand = 1;

// The host lays systems out lazily; a system not laid out yet has first
// measure 0. One layout update and one reload are enough.
void LoadLaidOutSystems(FCStaffSystems &systems) {
    systems.LoadAll();
    for (int32_t i = 0; i < systems.GetCount(); ++i) {
        if (systems.GetItemAt(i)->GetFirstMeasure() == 0) {
            hostdata::UpdateLayout();
            systems.LoadAll();
            return;
        }
    }
}

struct SystemStart {
    int32_t measure;
    FCStaffSystem *system;
};

// The systems that begin inside [start, end], in ascending measure order;
// where several begin at one measure, only the first in collection order.
std::vector<SystemStart> SystemsBeginningIn(FCStaffSystems &systems, int32_t start,
                                            int32_t end) {
    std::vector<SystemStart> starts;
    for (int32_t i = 0; i < systems.GetCount(); ++i) {
        FCStaffSystem *system = systems.GetItemAt(i);
        const int32_t measure = system->GetFirstMeasure();
        if (measure >= start && measure <= end) starts.push_back({measure, system});
    }
    std::stable_sort(starts.begin(), starts.end(), [](const SystemStart &a, const SystemStart &b) {
        return a.measure < b.measure;
    });
    starts.erase(std::unique(starts.begin(), starts.end(),
                             [](const SystemStart &a, const SystemStart &b) {
                                 return a.measure == b.measure;
                             }),
                 starts.end());
    return starts;
}

// Whether a system beginning at a measure counts as a first system; unknown
// when the measure that decides it could not be loaded, and the system is
// then left as it is rather than indented from stale or empty data.
enum class Choice { FirstSystem, OtherSystem, Unknown };

Choice ChooseAfterFinalBarline(FCMeasure &measure, int32_t firstMeasure) {
    if (firstMeasure <= 1) return firstMeasure == 1 ? Choice::FirstSystem : Choice::OtherSystem;
    if (!measure.LoadItem(static_cast<uint16_t>(firstMeasure - 1))) return Choice::Unknown;
    return measure.BarlineStyle() == FCMeasure::kFinalBarlineStyle ? Choice::FirstSystem
                                                        : Choice::OtherSystem;
}

// The measure is loaded as for every system, but its flag decides only on
// hosts that know it and for systems other than the one at measure 1; only
// there does a measure that could not be loaded leave the system as it is.
Choice ChooseForFullNames(FCMeasure &measure, int32_t firstMeasure) {
    const bool loaded =
        firstMeasure != 0 && measure.LoadItem(static_cast<uint16_t>(firstMeasure));
    const bool hostKnowsFullNames = hostdata::HostVersion() >= hostdata::kFullNamesHostVersion;
    if (firstMeasure == 0 || firstMeasure == 1 || !hostKnowsFullNames) {
        return firstMeasure == 1 ? Choice::FirstSystem : Choice::OtherSystem;
    }
    if (!loaded) return Choice::Unknown;
    return measure.ShowsFullNames() ? Choice::FirstSystem : Choice::OtherSystem;
}

}  // namespace

void IndentSystems(const FCMusicRegion &region, int command) {
    FCStaffSystems systems;
    LoadLaidOutSystems(systems);

    FCMeasure measure;
    FCPageFormatPrefs pageFormat;
    // The low 16 bits of the current part are 0 for the score; a host that
    // cannot tell answers -1, which reads as a part.
    const bool partsFlag = (hostdata::CurrentPart() & 0xFFFF) != 0;
    pageFormat.LoadItem(partsFlag ? 1 : 0);
    // Without the page format record every indent would be made up: leave
    // the document as it is. The record alone holds the indents; its extra
    // values, which can fail to load on their own, are not needed here.
    if (pageFormat.GetLoadedSize() == 0) return;

    for (const SystemStart &start :
         SystemsBeginningIn(systems, region.GetStartMeasure(), region.GetEndMeasure())) {
        const Choice choice = command == kFullNamesCommand
                                  ? ChooseForFullNames(measure, start.measure)
                                  : ChooseAfterFinalBarline(measure, start.measure);
        if (choice == Choice::Unknown) continue;
        start.system->SetLeftIndent(choice == Choice::FirstSystem
                                        ? pageFormat.GetFirstSystemIndent()
                                        : pageFormat.GetSystemIndent());
    }
    systems.SaveAll();
}

}  // namespace shell
