#include "standin/program/svg_picture.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace standin {
namespace {

// Whole pixels: a picture of tens of thousands of systems must not print
// coordinates in exponent form, nor let staff lines round into each other.
using Pixels = int64_t;

constexpr Pixels kMargin = 20;
constexpr Pixels kLeastLabelWidth = 56;
constexpr Pixels kLabelGap = 10;
constexpr Pixels kLeastStaffLength = 114;
constexpr Pixels kPanelGap = 10;
constexpr Pixels kLeastNoteWidth = 330;
constexpr Pixels kHeaderHeight = 64;
constexpr Pixels kRowHeight = 36;
constexpr Pixels kLineGap = 4;
constexpr Pixels kLegendHeight = 126;
constexpr Pixels kLegendLineHeight = 24;  // each line the legend has beyond its usual ones
// Rows of a page: pages stand side by side, so that no picture is taller
// than viewers and converters take (rsvg-convert: 32,767 pixels); this one
// is at most 29,058.
constexpr std::size_t kMostRowsPerPage = 800;
// Where the axis of indents skips a stretch no indent lies in.
constexpr Pixels kBreakWidth = 16;
// An axis is broken when one stretch without indents takes more than this
// share of it, and it is wider than the picture shows at half a pixel per
// unit: otherwise one huge indent would draw every other change as nothing.
constexpr Pixels kBreakShareNumerator = 3, kBreakShareDenominator = 4;
constexpr Pixels kMostIndentWidth = 150;  // the widest span of indents, in pixels
constexpr Pixels kUnitsPerPixel = 2;      // otherwise: half a pixel per indent unit
// What a character of text takes at most, on average, in the sans-serif
// faces viewers use: 12 pixels high, and 14 in bold for the caption. The
// text never runs past the picture's edge or into a staff.
constexpr Pixels kCharacterWidth = 8;
constexpr Pixels kCaptionCharacterWidth = 10;
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

// Characters, not bytes: an arrow takes three bytes and one character.
Pixels TextWidth(const std::string &text, Pixels perCharacter) {
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    return static_cast<Pixels>(characters) * perCharacter;
}

std::string Label(int firstMeasure) { return "m. " + std::to_string(firstMeasure); }

class Canvas {
public:
    explicit Canvas(const std::vector<SystemChange> &systems) {
        std::vector<int> indents{0};
        std::size_t widest = 0;
        for (const auto &system : systems) {
            indents.push_back(system.indentBefore);
            indents.push_back(system.indentAfter);
            for (int measure : {system.firstMeasureBefore, system.firstMeasureAfter}) {
                widest = std::max(widest, Label(measure).size());
            }
        }
        std::sort(indents.begin(), indents.end());
        lowest_ = indents.front();
        span_ = indents.back() - lowest_;
        // The widest stretch between two indents.
        for (std::size_t i = 1; i < indents.size(); ++i) {
            if (indents[i] - indents[i - 1] > breakHigh_ - breakLow_) {
                breakLow_ = indents[i - 1];
                breakHigh_ = indents[i];
            }
        }
        broken_ = span_ > kMostIndentWidth * kUnitsPerPixel &&
                  (breakHigh_ - breakLow_) * kBreakShareDenominator > span_ * kBreakShareNumerator;
        drawnSpan_ = broken_ ? span_ - (breakHigh_ - breakLow_) : span_;
        labelWidth_ =
            std::max(kLeastLabelWidth, static_cast<Pixels>(widest) * kCharacterWidth + kLabelGap);
    }

    // Each panel: the labels, the widest span of indents, and room for the
    // shortest staff.
    Pixels PanelWidth() const {
        return labelWidth_ + kMostIndentWidth + kLeastStaffLength + kPanelGap;
    }

    // Pixels for `units` of indent, on either side of a break.
    Pixels Width(Pixels units) const {
        const Pixels room = broken_ ? kMostIndentWidth - kBreakWidth : kMostIndentWidth;
        return drawnSpan_ > room * kUnitsPerPixel ? (units * room + drawnSpan_ / 2) / drawnSpan_
                                                  : (units + kUnitsPerPixel / 2) / kUnitsPerPixel;
    }

    // Where a staff with this indent starts, in a panel starting at `left`:
    // right of the labels, however far left the indent lies.
    Pixels StaffStart(Pixels left, int indent) const {
        const Pixels start = left + labelWidth_;
        if (!broken_ || indent <= breakLow_) return start + Width(indent - lowest_);
        return start + Width(breakLow_ - lowest_) + kBreakWidth + Width(indent - breakHigh_);
    }

    bool Broken() const { return broken_; }
    int BreakLow() const { return breakLow_; }
    int BreakHigh() const { return breakHigh_; }

    void Text(Pixels x, Pixels y, const std::string &text, const char *colour,
              const char *extra = "") {
        out_ << "<text x=\"" << x << "\" y=\"" << y << "\" fill=\"" << colour << "\"" << extra
             << ">" << Escaped(text) << "</text>\n";
    }

    void Line(Pixels x1, Pixels y1, Pixels x2, Pixels y2, const char *colour, const char *extra) {
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
    int breakLow_ = 0, breakHigh_ = 0;  // the widest stretch without indents
    bool broken_ = false;               // and the axis skips it
    Pixels drawnSpan_ = 0;              // the span without that stretch, when skipped
    Pixels labelWidth_ = kLeastLabelWidth;
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

// The longest round length of indent (1, 2 or 5 times a power of ten EVPUs)
// that takes at most 100 pixels.
Pixels ScaleUnits(const Canvas &canvas) {
    constexpr Pixels kMostScalePixels = 100;
    Pixels units = 1;
    for (Pixels power = 1; power <= 100000; power *= 10) {
        for (Pixels step : {1, 2, 5}) {
            if (canvas.Width(step * power) <= kMostScalePixels) units = step * power;
        }
    }
    return units;
}

// The lines the legend has beyond its usual ones.
std::vector<std::string> LegendNotes(const Canvas &canvas, const std::string &shown) {
    std::vector<std::string> notes;
    if (canvas.Broken()) {
        notes.push_back("zigzag: the axis skips from " + std::to_string(canvas.BreakLow()) +
                        " to " + std::to_string(canvas.BreakHigh()) +
                        " EVPUs, which no indent lies between; the scale holds on either side");
    }
    if (!shown.empty()) notes.push_back(shown);
    return notes;
}

void Legend(Canvas &canvas, Pixels top, const std::string &selection,
            const std::vector<std::string> &notes) {
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
    const Pixels units = ScaleUnits(canvas);
    const Pixels bar = top + 104;
    const Pixels end = x + canvas.Width(units);
    canvas.Line(x, bar, end, bar, kInk, " stroke-width=\"1.5\"");
    for (Pixels tick : {x, end}) canvas.Line(tick, bar - 4, tick, bar + 4, kInk, "");
    canvas.Text(end + 10, bar + 4, std::to_string(units) + " EVPUs", kInk);
    Pixels line = bar + 4;
    for (const std::string &note : notes) canvas.Text(x, line += kLegendLineHeight, note, kInk);
}

// Two short slanted strokes across the axis where it skips a stretch.
void BreakMark(Canvas &canvas, Pixels x, Pixels top, Pixels bottom) {
    for (Pixels stroke : {x - 3, x + 3}) {
        canvas.Line(stroke - 3, bottom, stroke + 3, top, kZero, " stroke-width=\"1.5\"");
    }
}

}  // namespace

std::string SystemsPicture(const std::vector<SystemChange> &systems, const std::string &caption,
                           const std::string &selection, const std::string &shown) {
    Canvas canvas(systems);
    const Pixels panelWidth = canvas.PanelWidth();
    Pixels noteWidth = kLeastNoteWidth;
    for (const auto &system : systems) {
        noteWidth = std::max(noteWidth, TextWidth(Note(system), kCharacterWidth));
    }
    const std::size_t pages =
        std::max<std::size_t>(1, (systems.size() + kMostRowsPerPage - 1) / kMostRowsPerPage);
    const std::size_t pageRows = std::min(systems.size(), kMostRowsPerPage);
    const std::vector<std::string> notes = LegendNotes(canvas, shown);
    // A page: both panels and the notes, then the margin the next page
    // keeps from it.
    const Pixels pageWidth = kMargin + 2 * panelWidth + noteWidth;
    const Pixels width = std::max(static_cast<Pixels>(pages) * pageWidth,
                                  TextWidth(caption, kCaptionCharacterWidth)) +
                         kMargin;
    const Pixels rows = kRowHeight * static_cast<Pixels>(pageRows);
    const Pixels height = kHeaderHeight + rows + kLegendHeight +
                          kLegendLineHeight * static_cast<Pixels>(notes.size()) + kMargin;

    canvas.Out() << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
                 << height << "\" viewBox=\"0 0 " << width << " " << height
                 << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
                 << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    canvas.Text(kMargin, 22, caption, kInk, " font-size=\"14\" font-weight=\"bold\"");
    for (std::size_t page = 0; page < pages; ++page) {
        const std::size_t first = page * kMostRowsPerPage;
        const std::size_t last = std::min(systems.size(), first + kMostRowsPerPage);
        const Pixels offset = static_cast<Pixels>(page) * pageWidth;
        const Pixels panels[] = {offset + kMargin, offset + kMargin + panelWidth};
        const Pixels notesAt = offset + kMargin + 2 * panelWidth;
        canvas.Text(panels[0], 48, "before", kInk, " font-weight=\"bold\"");
        canvas.Text(panels[1], 48, "after", kInk, " font-weight=\"bold\"");
        if (pages > 1) {
            canvas.Text(notesAt, 48,
                        "page " + std::to_string(page + 1) + " of " + std::to_string(pages) +
                            ": rows " + std::to_string(first + 1) + " to " + std::to_string(last),
                        kInk, " font-weight=\"bold\"");
        }
        Pixels top = kHeaderHeight;
        for (std::size_t i = first; i < last; ++i) {
            if (systems[i].inSelection) {
                canvas.Box(offset + kMargin, top - 4, pageWidth - kMargin, kRowHeight, kSelected);
            }
            top += kRowHeight;
        }
        const Pixels pageBottom = kHeaderHeight + kRowHeight * static_cast<Pixels>(last - first);
        for (Pixels left : panels) {
            canvas.ZeroMark(canvas.StaffStart(left, 0), kHeaderHeight - 6, pageBottom);
            if (canvas.Broken()) {
                const Pixels x = canvas.StaffStart(left, canvas.BreakLow()) + kBreakWidth / 2;
                BreakMark(canvas, x, kHeaderHeight - 14, kHeaderHeight - 4);
            }
        }

        top = kHeaderHeight;
        for (std::size_t i = first; i < last; ++i) {
            const SystemChange &system = systems[i];
            const int indents[] = {system.indentBefore, system.indentAfter};
            const int firstMeasures[] = {system.firstMeasureBefore, system.firstMeasureAfter};
            for (int side = 0; side < 2; ++side) {
                const char *colour = side == 1 && system.IndentChanged() ? kChanged : kInk;
                canvas.Text(panels[side], top + 12, Label(firstMeasures[side]), colour);
                canvas.Staff(canvas.StaffStart(panels[side], indents[side]),
                             panels[side] + panelWidth - kPanelGap, top + 2, colour);
            }
            const std::string note = Note(system);
            if (!note.empty()) canvas.Text(notesAt, top + 12, note, kChanged);
            top += kRowHeight;
        }
    }
    Legend(canvas, kHeaderHeight + rows + kMargin, selection, notes);
    canvas.Out() << "</svg>\n";
    return canvas.Out().str();
}

}  // namespace standin
