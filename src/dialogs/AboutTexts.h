#pragma once
// What the About window shows, as its load step fills it in.
#include <string>

namespace pivra {

struct AboutTexts {
    std::string caption;        // "About PIVRA"
    std::string title;          // "PIVRA", bold 12 pt
    std::string version;        // "Version 1.0.0"
    std::string description;    // maker, what the program is for, its home
    std::string credit;         // "Additional credit to ImageMagick"
    std::string animationFile;  // Apivra.gif among the installation files
};

// installFolder ends in "/".
AboutTexts AboutFormLoad(const std::string& installFolder);

}  // namespace pivra
