#include "window/KeptBuild.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace pivra {

namespace {

constexpr const char* kFirstLine = "PIVRA last build 1";

// One line a value: a backslash and a line break in a name are escaped.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\\\") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

std::optional<std::string> Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        if (text[i] == 'n') out += '\n';
        else if (text[i] == '\\') out += '\\';
        else return std::nullopt;
    }
    return out;
}

std::string StampText(const std::optional<FileStamp>& s) {
    if (!s) return "none";
    return std::to_string(s->device) + " " + std::to_string(s->inode) + " " + std::to_string(s->size) + " " +
           std::to_string(s->changedNs);
}

// false for a text that is neither "none" nor four numbers.
bool ParseStamp(const std::string& text, std::optional<FileStamp>& stamp) {
    stamp.reset();
    if (text == "none") return true;
    FileStamp s;
    std::istringstream in(text);
    std::string rest;
    if (!(in >> s.device >> s.inode >> s.size >> s.changedNs) || (in >> rest)) return false;
    stamp = s;
    return true;
}

std::string ColourText(const std::optional<imagelib::Rgb>& c) {
    if (!c) return "none";
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c->r, c->g, c->b);
    return hex;
}

// false for a text that is neither "none" nor "#rrggbb".
bool ParseColour(const std::string& text, std::optional<imagelib::Rgb>& colour) {
    colour.reset();
    if (text == "none") return true;
    unsigned r = 0, g = 0, b = 0;
    if (text.size() != 7 || std::sscanf(text.c_str(), "#%2x%2x%2x", &r, &g, &b) != 3) return false;
    colour = imagelib::Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
    return true;
}

std::optional<int> ParseInt(const std::string& text, int lo, int hi) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const int v = std::stoi(text);
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

std::optional<bool> ParseBool(const std::string& text) {
    if (text == "0" || text == "1") return text == "1";
    return std::nullopt;
}

}  // namespace

std::string KeptBuildText(const KeptBuild& k) {
    const RenderRequest& r = k.request;
    std::optional<imagelib::Rgb> matte;
    if (k.settings.gif.matte) matte = imagelib::Rgb{(*k.settings.gif.matte)[0], (*k.settings.gif.matte)[1], (*k.settings.gif.matte)[2]};
    std::string text = std::string(kFirstLine) + "\n";
    const std::pair<const char*, std::string> lines[] = {
        {"head", Escaped(r.head)},
        {"tail", Escaped(r.tail)},
        {"crop", r.crop ? "1" : "0"},
        {"look", r.look == LookKind::Coin ? "coin" : "flat"},
        {"side", std::to_string(r.coin.side)},
        {"frames", std::to_string(r.coin.frames)},
        {"frame-ms", std::to_string(r.frameMs)},
        {"thickness", std::to_string(r.coin.thickness)},
        {"rim", ColourText(r.coin.rim)},
        {"light", r.coin.light ? "1" : "0"},
        {"perspective", r.coin.perspective ? "1" : "0"},
        {"matte", ColourText(matte)},
        {"head-stamp", StampText(k.head)},
        {"tail-stamp", StampText(k.tail)},
        {"animation-stamp", StampText(k.animation)},
    };
    for (const auto& [key, value] : lines) text += std::string(key) + " " + value + "\n";
    return text;
}

std::optional<KeptBuild> ParseKeptBuild(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine) return std::nullopt;
    std::map<std::string, std::string> values;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        if (space == std::string::npos || !values.emplace(line.substr(0, space), line.substr(space + 1)).second)
            return std::nullopt;
    }
    if (values.size() != 15 || text.empty() || text.back() != '\n') return std::nullopt;  // a file cut short
    KeptBuild k;
    RenderRequest& r = k.request;
    const auto head = Unescaped(values["head"]), tail = Unescaped(values["tail"]);
    const auto crop = ParseBool(values["crop"]), light = ParseBool(values["light"]),
               perspective = ParseBool(values["perspective"]);
    const auto side = ParseInt(values["side"], 1, 4096), frames = ParseInt(values["frames"], 1, 1000),
               frameMs = ParseInt(values["frame-ms"], 1, 10000), thickness = ParseInt(values["thickness"], 0, 100);
    std::optional<imagelib::Rgb> matte;
    std::optional<FileStamp> animation;
    const std::string& look = values["look"];
    if (!head || head->empty() || !tail || tail->empty() || !crop || !light || !perspective || !side || !frames ||
        !frameMs || !thickness || !ParseColour(values["rim"], r.coin.rim) || !ParseColour(values["matte"], matte) ||
        !ParseStamp(values["head-stamp"], k.head) || !ParseStamp(values["tail-stamp"], k.tail) ||
        !ParseStamp(values["animation-stamp"], animation) || !animation || (look != "flat" && look != "coin"))
        return std::nullopt;
    r.head = *head, r.tail = *tail, r.crop = *crop;
    r.look = look == "coin" ? LookKind::Coin : LookKind::Flat;
    r.coin.side = *side, r.coin.frames = *frames, r.frameMs = *frameMs, r.coin.thickness = *thickness;
    r.coin.light = *light, r.coin.perspective = *perspective;
    if (matte) k.settings.gif.matte = std::array<std::uint8_t, 3>{matte->r, matte->g, matte->b};
    k.animation = *animation;
    return k;
}

}  // namespace pivra
