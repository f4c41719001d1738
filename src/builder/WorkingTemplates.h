#pragma once
// The four templates scaled into "Work" for the current face size.
#include <string>

namespace pivra {

class ImageCommands;
struct PivraState;

struct TemplateFile {
    const char* source;   // beside the executable
    const char* working;  // under the working folder
};

// In the order they are made.
inline constexpr TemplateFile kTemplates[] = {
    {"pre_mask.bmp", "Work/mask.bmp"},
    {"pre_mask.mif", "Work/mask.mif"},
    {"pre_white.mif", "Work/white.mif"},
    {"pre_black.bmp", "Work/black.bmp"},
};

// One Resize per template to i_size square, from installFolder (ending in
// "/"; the application folder when the program runs where it was built) into
// the working folder; a failed one does not stop the others.
void MakeWorkingTemplates(ImageCommands& commands, const PivraState& state, const std::string& installFolder);

}  // namespace pivra
