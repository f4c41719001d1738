#pragma once
// The command line of pivra-make.
#include <optional>
#include <string>
#include <vector>

namespace pivra {

struct MakeOptions {
    std::string head, tail, output;
    int scale = 16;
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

// Parses argv[1..]; on a mistake returns nothing and sets error to one line.
std::optional<MakeOptions> ParseMakeOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kMakeUsage;

}  // namespace pivra
