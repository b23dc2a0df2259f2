#include "standin/svg_picture.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace standin {
namespace {

// Whole pixels: a picture of tens of thousands of systems must not print
// coordinates in exponent form, nor let staff lines round into each other.
using Pixels = int64_t;

constexpr Pixels kMargin = 20;
constexpr Pixels kLabelWidth = 56;
constexpr Pixels kPanelWidth = 330;
constexpr Pixels kNoteWidth = 330;
constexpr Pixels kHeaderHeight = 64;
constexpr Pixels kRowHeight = 36;
constexpr Pixels kLineGap = 4;
constexpr Pixels kLegendHeight = 96;
constexpr Pixels kMostIndentWidth = 150;  // the widest span of indents, in pixels
constexpr Pixels kUnitsPerPixel = 2;      // otherwise: half a pixel per indent unit
constexpr const char *kInk = "#333333";
constexpr const char *kChanged = "#c0392b";
constexpr const char *kSelected = "#e8f0fa";
constexpr const char *kZero = "#999999";

std::string Escaped(const std::string &text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

class Canvas {
public:
    explicit Canvas(const std::vector<SystemChange> &systems) {
        int highest = 0;
        for (const auto &system : systems) {
            lowest_ = std::min({lowest_, int{system.indentBefore}, int{system.indentAfter}});
            highest = std::max({highest, int{system.indentBefore}, int{system.indentAfter}});
        }
        span_ = highest - lowest_;
    }

    // Where a staff with this indent starts, in a panel starting at `left`.
    Pixels StaffStart(Pixels left, int indent) const {
        const Pixels units = indent - lowest_;
        const Pixels offset = span_ > kMostIndentWidth * kUnitsPerPixel
                                  ? (units * kMostIndentWidth + span_ / 2) / span_
                                  : (units + kUnitsPerPixel / 2) / kUnitsPerPixel;
        return left + kLabelWidth + offset;
    }

    void Text(Pixels x, Pixels y, const std::string &text, const char *colour,
              const char *extra = "") {
        out_ << "<text x=\"" << x << "\" y=\"" << y << "\" fill=\"" << colour << "\"" << extra
             << ">" << Escaped(text) << "</text>\n";
    }

    void Line(Pixels x1, Pixels y1, Pixels x2, Pixels y2, const char *colour,
              const char *extra) {
        out_ << "<line x1=\"" << x1 << "\" y1=\"" << y1 << "\" x2=\"" << x2 << "\" y2=\"" << y2
             << "\" stroke=\"" << colour << "\"" << extra << "/>\n";
    }

    void Box(Pixels x, Pixels y, Pixels width, Pixels height, const char *colour) {
        out_ << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << width << "\" height=\""
             << height << "\" fill=\"" << colour << "\"/>\n";
    }

    void Staff(Pixels x1, Pixels x2, Pixels top, const char *colour) {
        Line(x1, top, x1, top + 4 * kLineGap, colour, " stroke-width=\"1.5\"");
        for (Pixels line = 0; line < 5; ++line) {
            Line(x1, top + line * kLineGap, x2, top + line * kLineGap, colour,
                 " stroke-width=\"0.8\"");
        }
    }

    void ZeroMark(Pixels x, Pixels top, Pixels bottom) {
        Line(x, top, x, bottom, kZero, " stroke-dasharray=\"3,3\"");
    }

    std::ostringstream &Out() { return out_; }

private:
    int lowest_ = 0;
    Pixels span_ = 0;
    std::ostringstream out_;
};

std::string Note(const SystemChange &system) {
    std::string note;
    if (system.IndentChanged()) {
        note = "indent " + std::to_string(system.indentBefore) + " \xE2\x86\x92 " +
               std::to_string(system.indentAfter) + ": " + system.reason.text;
    }
    if (system.otherBytesChanged) {
        note += (note.empty() ? "" : "; ") + std::string("other bytes changed");
    }
    return note;
}

void Legend(Canvas &canvas, Pixels top, const std::string &selection) {
    const Pixels x = kMargin;
    const Pixels text = x + 40;
    canvas.Staff(x, x + 30, top, kChanged);
    canvas.Text(text, top + 12, "red: the command changed the system's left indent", kInk);
    canvas.ZeroMark(x + 15, top + 22, top + 40);
    canvas.Text(text, top + 36, "dashed line: left indent 0", kInk);
    canvas.Box(x, top + 46, 30, 18, kSelected);
    canvas.Text(text, top + 60, "shaded: in the selection (" + selection + ")", kInk);
    canvas.Text(x, top + 84,
                "left indents in EVPUs (288 to the inch), measured from the dashed line", kInk);
}

}  // namespace

std::string SystemsPicture(const std::vector<SystemChange> &systems, const std::string &caption,
                           const std::string &selection) {
    const Pixels width = 2 * kMargin + 2 * kPanelWidth + kNoteWidth;
    const Pixels rows = kRowHeight * static_cast<Pixels>(systems.size());
    const Pixels height = kHeaderHeight + rows + kLegendHeight + kMargin;
    const Pixels panels[] = {kMargin, kMargin + kPanelWidth};
    const Pixels panelEnd = kPanelWidth - 10;

    Canvas canvas(systems);
    canvas.Out() << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
                 << height << "\" viewBox=\"0 0 " << width << " " << height
                 << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
                 << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    canvas.Text(kMargin, 22, caption, kInk, " font-size=\"14\" font-weight=\"bold\"");
    canvas.Text(panels[0], 48, "before", kInk, " font-weight=\"bold\"");
    canvas.Text(panels[1], 48, "after", kInk, " font-weight=\"bold\"");

    Pixels top = kHeaderHeight;
    for (const auto &system : systems) {
        if (system.inSelection) canvas.Box(kMargin, top - 4, width - 2 * kMargin, kRowHeight, kSelected);
        top += kRowHeight;
    }
    for (Pixels left : panels) {
        canvas.ZeroMark(canvas.StaffStart(left, 0), kHeaderHeight - 6, kHeaderHeight + rows);
    }

    top = kHeaderHeight;
    for (const auto &system : systems) {
        const int indents[] = {system.indentBefore, system.indentAfter};
        const int firstMeasures[] = {system.firstMeasureBefore, system.firstMeasureAfter};
        for (int side = 0; side < 2; ++side) {
            const char *colour = side == 1 && system.IndentChanged() ? kChanged : kInk;
            canvas.Text(panels[side], top + 12, "m. " + std::to_string(firstMeasures[side]),
                        colour);
            canvas.Staff(canvas.StaffStart(panels[side], indents[side]), panels[side] + panelEnd,
                         top + 2, colour);
        }
        const std::string note = Note(system);
        if (!note.empty()) canvas.Text(kMargin + 2 * kPanelWidth, top + 12, note, kChanged);
        top += kRowHeight;
    }
    Legend(canvas, top + kMargin, selection);
    canvas.Out() << "</svg>\n";
    return canvas.Out().str();
}

}  // namespace standin
