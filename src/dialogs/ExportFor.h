#pragma once
// File, "Export for…": where the animation goes, one of the destinations or
// "Custom" with the user's own side, turn, format and budget. The choice and
// its checks live here, without widgets; the Qt dialog shows them.
#include <optional>
#include <string>
#include <vector>

#include "render/FittedExport.h"

namespace pivra {

// The Custom entry's values as typed, so that a wrong one can be shown back.
struct CustomExport {
    std::string side = "256", frames = "50", frameMs = "60";
    AnimationFormat format = AnimationFormat::Gif;
    std::string maxBytes;  // empty: no budget
};

// What an export is asked to make.
struct ExportTarget {
    std::string label;     // "Slack emoji", or "Custom"
    std::string fileName;  // the name the save dialog proposes: "pivra-slack.gif"
    AnimationFormat format = AnimationFormat::Gif;
    int side = 0, frames = 50, frameMs = 60;
    ExportBudget budget;
};

class ExportChoices {
public:
    // The entries: each destination's label, then "Custom".
    static std::vector<std::string> entries();
    static int customEntry();

    int chosen() const { return chosen_; }
    // Out of range: the first entry.
    void choose(int entry);
    bool customChosen() const { return chosen_ == customEntry(); }
    // The name as remembered: a destination's (as --for takes it) or "custom".
    std::string chosenName() const;
    void chooseByName(const std::string& name);

    CustomExport custom;

    // The chosen entry's limits, one a line: format, side, most bytes,
    // longest turn, highest frame rate (for Custom, from its values).
    std::vector<std::string> limitLines() const;
    // The chosen target; nothing, with why (one sentence naming what is
    // allowed), while a Custom value is out of range.
    std::optional<ExportTarget> target(std::string& why) const;

private:
    int chosen_ = 0;
};

// "The name must end in .gif, since Slack emoji takes GIF." when name does not
// end in the target format's ending (any case); empty when it does.
std::string EndingRefusal(const ExportTarget& target, const std::string& name);

// The save dialog's one entry for the format: "GIF Files (*.gif)|*.gif".
std::string ExportFilter(AnimationFormat format);

}  // namespace pivra
