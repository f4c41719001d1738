#pragma once
// The composite vocabulary of libLayerik: src [options] base [mask] dst.
#include <optional>
#include <string>
#include <vector>

#include "ImageFormat.h"
#include "OptionValues.h"

namespace pivra::imagelib {

struct CompositeRequest {
    std::string source;
    std::string base;
    std::optional<std::string> mask;
    std::string output;
    ImageFormat outputFormat = ImageFormat::Png;
    Gravity gravity = Gravity::NorthWest;
};

// Checks the whole vector before any file is touched. CommandError if it is not valid.
CompositeRequest parseCompositeArguments(const std::vector<std::string>& args);

void runComposite(const CompositeRequest& request);

// parse + run, for runCommand.
void compositeCommand(const std::vector<std::string>& args);

}  // namespace pivra::imagelib
