#include "AboutTexts.h"

#include "PivraVersion.h"

namespace pivra {

AboutTexts AboutFormLoad(const std::string& installFolder) {
    const std::string title = "PIVRA";
    AboutTexts t;
    t.caption = "About " + title;
    t.version = "Version " + std::to_string(PIVRA_VERSION_MAJOR) + "." + std::to_string(PIVRA_VERSION_MINOR) + "." +
                std::to_string(PIVRA_VERSION_PATCH);
    t.title = title;
    t.description =
        "PIVRA, made by the PIVRA project.\n"
        "Application to create a spinning gif file for your web page.\n"
        "Home: the README of the PIVRA source repository.";
    t.credit = "Additional credit to ImageMagick";
    t.animationFile = installFolder + "Apivra.gif";
    return t;
}

}  // namespace pivra
