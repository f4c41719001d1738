#include "MagickSession.h"

#include <wand/MagickWand.h>

#include "MagickHandles.h"

namespace pivra::imagelib {

namespace {

void lowerLimit(ResourceType type, MagickSizeType limit) {
    if (MagickGetResourceLimit(type) > limit) MagickSetResourceLimit(type, limit);
}

bool startMagick() {
    MagickWandGenesis();
    lowerMagickLimits();
    return true;
}

}  // namespace

void lowerMagickLimits() {
    // A header claiming a huge size must fail at once instead of allocating.
    // Memory is not limited here: past a memory limit ImageMagick moves its
    // pixels to disk, slowly; our byte budget refuses such files first.
    lowerLimit(WidthResource, kMaxSide);
    lowerLimit(HeightResource, kMaxSide);
    lowerLimit(AreaResource, static_cast<MagickSizeType>(kMaxPixels));
    lowerLimit(ListLengthResource, kMaxFrames);
}

void ensureMagickReady() {
    static const bool ready = startMagick();
    (void)ready;
}

WandPtr newWand() {
    ensureMagickReady();
    return WandPtr(NewMagickWand());
}

std::string takeWandError(MagickWand* wand) {
    ExceptionType severity = UndefinedException;
    MagickTextPtr text(MagickGetException(wand, &severity));
    MagickClearException(wand);
    std::string line = text ? text.get() : "";
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    // Drop ImageMagick's source location and its name slot: empty, or the
    // name our blobs are read under (see PictureDecoder).
    std::string::size_type at = line.find(" @ ");
    if (at != std::string::npos) line.erase(at);
    for (const char* slot : {" `'", " `picture'"}) {
        std::string::size_type found = line.find(slot);
        if (found != std::string::npos) line.erase(found, std::string(slot).size());
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line.empty() ? "damaged or unsupported content" : line;
}

}  // namespace pivra::imagelib
