#pragma once
// The command line of pivra-make.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pivra {

struct MakeOptions {
    std::string head, tail, output;
    int scale = 16;
    bool scaleGiven = false;
    // Rendered from the pictures: the frames' side (0: 12 x scale), the turn's frames and time.
    int size = 0;
    int frames = 50;
    bool framesGiven = false;
    int frameMs = 60;
    bool frameTimeGiven = false;
    std::string destination;  // --for: one of Destinations()
    std::size_t maxBytes = 0; // --max-bytes; 0: none
    int quality = 80;          // WebP: lossy quality, or the effort of --lossless
    bool qualityGiven = false;
    bool lossless = false;
    std::string matte;         // GIF: "#rrggbb" of --matte, empty without
    std::string workdir;  // empty: a fresh private folder, removed at the end
    bool crop = false;  // faces from the pictures' centre squares
    // --look coin: a solid coin with a rim and light, rendered from the pictures.
    bool coinLook = false;
    int thickness = 6;         // the rim, percent of the diameter
    std::string rim;           // "#rrggbb" of --rim, empty: from the faces
    bool light = true;
    bool perspective = true;
    bool coinOptionGiven = false;  // any of --thickness, --rim, --light, --perspective
    bool trace = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Whether the output is rendered in memory from the pictures rather than
// made by the GIF build's commands: every output but a plain GIF.
bool RendersFromPictures(const MakeOptions& o);

// Parses argv[1..]; on a mistake returns nothing and sets error to one line.
std::optional<MakeOptions> ParseMakeOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kMakeUsage;

}  // namespace pivra
