#pragma once
// Builds the finished animation "Work/pivra.gif": face copies, twelve strip
// widths, fifty frames and the looping GIF, all through the image commands.
#include <string>

#include "builder/BuildControls.h"
#include "builder/PivraState.h"

namespace pivra {

class FileSystem;
class ImageCommands;

enum class BuildResult {
    Skipped,   // a picture is missing: nothing was touched
    Finished,  // every step ran (whether each command wrote its file is not checked)
    Failed,    // a folder or file operation failed; the user has been told
};

class SpinBuilder {
public:
    SpinBuilder(PivraState& state, FileSystem& fso, ImageCommands& commands, BuildControls& controls);

    BuildResult BuildSpin();

    // True while BuildSpin runs (it yields to the window between steps).
    bool building() const { return building_; }

private:
    void makeStrips();
    void makeFrames();
    bool recreateFolder(const std::string& name);
    void advance();
    BuildResult fail();
    void finish();

    PivraState& s_;
    FileSystem& fso_;
    ImageCommands& commands_;
    BuildControls& controls_;
    bool building_ = false;
};

}  // namespace pivra
