#pragma once
// A WebM file of one VP9 video track with alpha, written in memory: each
// colour frame in a Block, its alpha frame beside it as BlockAdditional 1,
// and alpha_mode 1 in the track, as browsers and sticker players read
// transparency. Times in milliseconds; no audio.
#include <cstdint>
#include <vector>

namespace pivra {

struct WebmFrame {
    std::vector<std::uint8_t> colour, alpha;  // one VP9 frame each
    bool key = false;                         // both streams start afresh here
};

struct WebmVideo {
    int width = 0, height = 0;
    int frameMs = 0;  // every frame lasts this long; the file lasts frames x frameMs
    std::vector<WebmFrame> frames;
};

std::vector<std::uint8_t> WriteWebm(const WebmVideo& video);

}  // namespace pivra
