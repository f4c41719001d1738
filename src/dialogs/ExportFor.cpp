#include "dialogs/ExportFor.h"

#include <cctype>
#include <cmath>

#include "render/BudgetFit.h"

namespace pivra {

namespace {

constexpr const char* kCustom = "Custom";

std::string Seconds(int ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string part = std::to_string(1000 + ms % 1000).substr(1);
        while (part.back() == '0') part.pop_back();
        text += "." + part;
    }
    return text + " s";
}

std::vector<std::string> Limits(AnimationFormat format, std::optional<int> side, std::size_t maxBytes,
                                int longestTurnMs, int shortestFrameMs) {
    const std::string s = side ? std::to_string(*side) : std::string("?");
    // The rate the shortest whole frame time stands for (34 ms: at most 30 a second).
    const int rate = static_cast<int>(std::ceil(1000.0 / shortestFrameMs));
    return {std::string("Format: ") + FormatName(format) + " (" + EndingOf(format) + ")",
            side ? "Side: exactly " + s + " x " + s + " pixels" : std::string("Side: 16 to 1024 pixels"),
            "Most bytes: " + (maxBytes > 0 ? GroupedDigits(maxBytes) : std::string("no limit")),
            "Longest turn: " + (longestTurnMs > 0 ? Seconds(longestTurnMs) : std::string("no limit")),
            "Highest frame rate: " + std::to_string(rate) + " frames a second"};
}

}  // namespace

std::vector<std::string> ExportChoices::entries() {
    std::vector<std::string> names;
    for (const Destination& d : Destinations()) names.emplace_back(d.label);
    names.emplace_back(kCustom);
    return names;
}

int ExportChoices::customEntry() { return static_cast<int>(Destinations().size()); }

void ExportChoices::choose(int entry) { chosen_ = entry >= 0 && entry <= customEntry() ? entry : 0; }

std::string ExportChoices::chosenName() const {
    return customChosen() ? "custom" : Destinations().at(static_cast<size_t>(chosen_)).name;
}

void ExportChoices::chooseByName(const std::string& name) {
    if (name == "custom") return choose(customEntry());
    const std::vector<Destination>& all = Destinations();
    for (size_t k = 0; k < all.size(); ++k)
        if (name == all[k].name) return choose(static_cast<int>(k));
}

std::vector<std::string> ExportChoices::limitLines() const {
    if (!customChosen()) {
        const Destination& d = Destinations().at(static_cast<size_t>(chosen_));
        return Limits(d.format, d.side, d.maxBytes, d.longestTurnMs, d.shortestFrameMs);
    }
    std::size_t bytes = 0;
    if (!ParseByteCount(custom.maxBytes, bytes)) bytes = 0;
    return Limits(custom.format, ParseWholeNumber(custom.side, 16, 1024), bytes, 0, ExportBudget{}.shortestFrameMs);
}

std::optional<ExportTarget> ExportChoices::target(std::string& why) const {
    ExportTarget t;
    if (!customChosen()) {
        const Destination& d = Destinations().at(static_cast<size_t>(chosen_));
        t.label = d.label;
        t.format = d.format;
        t.side = d.side;
        t.frameMs = kFrameMs;
        t.budget = BudgetOf(d);
        t.fileName = std::string("pivra-") + d.name + EndingOf(d.format);
        return t;
    }
    const std::optional<int> side = ParseWholeNumber(custom.side, 16, 1024);
    const std::optional<int> frames = ParseWholeNumber(custom.frames, 8, 200);
    const std::optional<int> frameMs = ParseWholeNumber(custom.frameMs, 20, 1000);
    std::size_t bytes = 0;
    const bool noBudget = custom.maxBytes.find_first_not_of(' ') == std::string::npos;
    if (!side) why = "The side must be a whole number of pixels from 16 to 1024, not \"" + custom.side + "\".";
    else if (!frames) why = "The frames must be a whole number from 8 to 200, not \"" + custom.frames + "\".";
    else if (!frameMs) why = "The frame time must be a whole number of milliseconds from 20 to 1000, not \"" + custom.frameMs + "\".";
    else if (!noBudget && !ParseByteCount(custom.maxBytes, bytes))
        why = "The most bytes must be a whole number from 1000 to 1000000000 (K for 1000, M for 1000000), or empty for "
              "no limit, not \"" + custom.maxBytes + "\".";
    if (!why.empty()) return std::nullopt;
    t.label = kCustom;
    t.format = custom.format;
    t.side = *side;
    t.frames = *frames;
    t.frameMs = *frameMs;
    t.budget.maxBytes = bytes;
    t.fileName = "pivra-" + std::to_string(*side) + EndingOf(custom.format);
    return t;
}

std::string EndingRefusal(const ExportTarget& target, const std::string& name) {
    const std::string ending = EndingOf(target.format);
    std::string tail = name.size() >= ending.size() ? name.substr(name.size() - ending.size()) : "";
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == ending) return {};
    const std::string who = target.label == kCustom ? std::string("the format chosen is ") : target.label + " takes ";
    return "The name must end in " + ending + ", since " + who + FormatName(target.format) + ".";
}

std::string ExportFilter(AnimationFormat format) {
    switch (format) {
        case AnimationFormat::Gif: return "GIF Files (*.gif)|*.gif";
        case AnimationFormat::Webp: return "Animated WebP (*.webp)|*.webp";
        case AnimationFormat::Apng: return "Animated PNG (*.png)|*.png";
        case AnimationFormat::Webm: return "WebM Video (*.webm)|*.webm";
    }
    return {};
}

}  // namespace pivra
