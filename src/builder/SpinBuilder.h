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
    Stopped,   // the controls asked to stop; the last animation is untouched
};

class SpinBuilder {
public:
    SpinBuilder(PivraState& state, FileSystem& fso, ImageCommands& commands, BuildControls& controls);

    BuildResult BuildSpin();

    // True while BuildSpin runs (it yields to the window between steps).
    bool building() const { return building_; }

private:
    // Each returns false when the controls asked the build to stop.
    bool makeFaceCopies();
    bool makeStrips();
    bool makeFrames();
    // Removes "Images" or "Masks" (if there) and makes it anew with its mark.
    bool recreateFolder(const std::string& name, std::string& why);
    // Only a folder that carries the mark of the build is ever removed.
    bool removeMadeFolder(const std::string& folder, std::string& why);
    void advance();
    // Advances the bar after a command; false when a stop was asked.
    bool carryOn();
    void removeWorkingFolders();
    BuildResult fail(const std::string& why);
    BuildResult stop();
    void finish();

    PivraState& s_;
    FileSystem& fso_;
    ImageCommands& commands_;
    BuildControls& controls_;
    bool building_ = false;
};

}  // namespace pivra
