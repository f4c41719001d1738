#include "render/Destinations.h"

namespace pivra {

const std::vector<Destination>& Destinations() {
    static const std::vector<Destination> table = {
        {"slack", "Slack emoji", AnimationFormat::Gif, 128, 128000, 0, 20},
        {"discord-emoji", "Discord emoji", AnimationFormat::Gif, 128, 256000, 0, 20},
        {"discord-sticker", "Discord sticker", AnimationFormat::Apng, 320, 512000, 5000, 20},
        {"telegram", "Telegram video sticker", AnimationFormat::Webm, 512, 256000, 2990, 34},
        {"signal", "Signal sticker", AnimationFormat::Apng, 512, 300000, 2990, 20},
        {"whatsapp", "WhatsApp sticker", AnimationFormat::Webp, 512, 500000, 10000, 20},
    };
    return table;
}

const Destination* FindDestination(const std::string& name) {
    for (const Destination& d : Destinations())
        if (name == d.name) return &d;
    return nullptr;
}

std::string DestinationNames() {
    std::string names;
    for (const Destination& d : Destinations()) names += (names.empty() ? "" : ", ") + std::string(d.name);
    return names;
}

const char* EndingOf(AnimationFormat format) {
    switch (format) {
        case AnimationFormat::Gif: return ".gif";
        case AnimationFormat::Webp: return ".webp";
        case AnimationFormat::Apng: return ".png";
        case AnimationFormat::Webm: return ".webm";
    }
    return "";
}

const char* FormatName(AnimationFormat format) {
    switch (format) {
        case AnimationFormat::Gif: return "GIF";
        case AnimationFormat::Webp: return "WebP";
        case AnimationFormat::Apng: return "APNG";
        case AnimationFormat::Webm: return "WebM";
    }
    return "";
}

}  // namespace pivra
