#include "standin/svg_picture.h"

#include <algorithm>
#include <sstream>

namespace standin {
namespace {

constexpr double kMargin = 20;
constexpr double kLabelWidth = 56;
constexpr double kPanelWidth = 330;
constexpr double kNoteWidth = 150;
constexpr double kHeaderHeight = 64;
constexpr double kRowHeight = 36;
constexpr double kLineGap = 4;
constexpr double kMostIndentWidth = 150;  // the widest indent span, in pixels
constexpr double kDefaultScale = 0.5;     // pixels per indent unit
constexpr const char *kInk = "#333333";
constexpr const char *kChanged = "#c0392b";

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
        int lowest = 0, highest = 0;
        for (const auto &system : systems) {
            lowest = std::min({lowest, int{system.indentBefore}, int{system.indentAfter}});
            highest = std::max({highest, int{system.indentBefore}, int{system.indentAfter}});
        }
        const double span = highest - lowest;
        scale_ = span * kDefaultScale > kMostIndentWidth ? kMostIndentWidth / span : kDefaultScale;
        lowest_ = lowest;
    }

    // Where a staff with this indent starts, in a panel starting at `left`.
    double StaffStart(double left, int indent) const {
        return left + kLabelWidth + (indent - lowest_) * scale_;
    }

    void Text(double x, double y, const std::string &text, const char *colour,
              const char *extra = "") {
        out_ << "<text x=\"" << x << "\" y=\"" << y << "\" fill=\"" << colour << "\"" << extra
             << ">" << Escaped(text) << "</text>\n";
    }

    void Staff(double x1, double x2, double top, const char *colour) {
        out_ << "<line x1=\"" << x1 << "\" y1=\"" << top << "\" x2=\"" << x1 << "\" y2=\""
             << top + 4 * kLineGap << "\" stroke=\"" << colour << "\" stroke-width=\"1.5\"/>\n";
        for (int line = 0; line < 5; ++line) {
            const double y = top + line * kLineGap;
            out_ << "<line x1=\"" << x1 << "\" y1=\"" << y << "\" x2=\"" << x2 << "\" y2=\"" << y
                 << "\" stroke=\"" << colour << "\" stroke-width=\"0.8\"/>\n";
        }
    }

    void ZeroMark(double x, double top, double bottom) {
        out_ << "<line x1=\"" << x << "\" y1=\"" << top << "\" x2=\"" << x << "\" y2=\"" << bottom
             << "\" stroke=\"#999999\" stroke-dasharray=\"3,3\"/>\n";
    }

    std::ostringstream &Out() { return out_; }

private:
    double scale_ = kDefaultScale;
    int lowest_ = 0;
    std::ostringstream out_;
};

}  // namespace

std::string SystemsPicture(const std::vector<SystemChange> &systems, const std::string &caption) {
    const double width = 2 * kMargin + 2 * kPanelWidth + kNoteWidth;
    const double height =
        kHeaderHeight + kRowHeight * static_cast<double>(systems.size()) + kMargin;
    const double panels[] = {kMargin, kMargin + kPanelWidth};
    const double panelEnd = kPanelWidth - 10;

    Canvas canvas(systems);
    canvas.Out() << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
                 << height << "\" viewBox=\"0 0 " << width << " " << height
                 << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
                 << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    canvas.Text(kMargin, 22, caption, kInk, " font-size=\"14\" font-weight=\"bold\"");
    canvas.Text(panels[0], 48, "before", kInk, " font-weight=\"bold\"");
    canvas.Text(panels[1], 48, "after", kInk, " font-weight=\"bold\"");
    for (double left : panels) {
        canvas.ZeroMark(canvas.StaffStart(left, 0), kHeaderHeight - 6, height - kMargin);
    }

    double top = kHeaderHeight;
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
        std::string note;
        if (system.IndentChanged()) {
            note = "indent " + std::to_string(system.indentBefore) + " \xE2\x86\x92 " +
                   std::to_string(system.indentAfter);
        }
        if (system.otherBytesChanged)
            note += (note.empty() ? "" : "; ") + std::string("other bytes changed");
        if (!note.empty()) canvas.Text(kMargin + 2 * kPanelWidth, top + 12, note, kChanged);
        top += kRowHeight;
    }
    canvas.Out() << "</svg>\n";
    return canvas.Out().str();
}

}  // namespace standin
