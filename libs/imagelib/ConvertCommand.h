#pragma once
// The convert vocabulary of libMorphex: input [options] output.
#include <optional>
#include <string>
#include <vector>

#include "GifEncoder.h"
#include "ImageFormat.h"
#include "OptionValues.h"

namespace pivra::imagelib {

// One picture operator, applied in the order given.
struct ConvertStep {
    enum class Kind { Resize, Negate, Transparent, Crop, Colorize } kind;
    ResizeGeometry geometry;
    Rgb color;  // Transparent: the colour cleared; Colorize: the fill
    CropGeometry crop = {};
    Gravity gravity = Gravity::NorthWest;  // the -gravity in force for the crop
    int percent = 0;                       // Colorize: how much of the fill
};

struct ConvertRequest {
    std::string input;  // a path; for an animation that is no file, a pattern (* and ?)
    std::string output;
    ImageFormat outputFormat = ImageFormat::Png;
    std::vector<ConvertStep> steps;
    AnimationSettings animation;
};

// Checks the whole vector before any file is touched. CommandError if it is not valid.
ConvertRequest parseConvertArguments(const std::vector<std::string>& args);

void runConvert(const ConvertRequest& request);

// parse + run, for runCommand.
void convertCommand(const std::vector<std::string>& args);

}  // namespace pivra::imagelib
