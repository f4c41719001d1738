#pragma once
// Builds the finished animation "Work/pivra.gif": face copies, twelve strip
// widths, fifty frames and the looping GIF, all through the image commands.
#include <string>

#include "builder/BuildControls.h"
#include "builder/BuildOutcome.h"
#include "builder/FramePlan.h"
#include "builder/PivraState.h"

namespace pivra {

class BuildSteps;
class FileSystem;
class ImageCommands;

class SpinBuilder {
public:
    SpinBuilder(PivraState& state, FileSystem& fso, ImageCommands& commands, BuildControls& controls);

    // The new animation replaces "Work/pivra.gif" only when every command
    // wrote its file; otherwise the last animation stays as it was.
    BuildOutcome BuildSpin();

    // Only the two face copies, kept as the faces of the last build (see
    // BuiltFaces.h): all that the animation rendered in memory needs.
    BuildOutcome BuildFaces();

    // True while BuildSpin runs (it yields to the window between steps).
    bool building() const { return building_; }

private:
    void begin();
    // Each adds its commands, with the bar's steps, the yields and the
    // checks for a stop between them, to steps.
    void makeFaceCopies(BuildSteps& steps);
    void makeStrips(BuildSteps& steps);
    void makeFrames(BuildSteps& steps);
    // False when the controls asked the build to stop.
    bool runSteps(BuildSteps& steps);
    // The face copies from "Masks" to where the render finds them; false
    // (with none of them kept) when they could not be moved.
    bool keepFaces(std::string& why);
    // Removes "Images" or "Masks" (if there) and makes it anew with its mark.
    bool recreateFolder(const std::string& name, std::string& why);
    // Only a folder that carries the mark of the build is ever removed.
    bool removeMadeFolder(const std::string& folder, std::string& why);
    void advance();
    // Advances the bar after a command, then looks for a stop.
    void carryOn(BuildSteps& steps);
    // False, remembered, when a stop was asked.
    bool goOn();
    // Assembles the frames under a name of its own, then renames it into place.
    bool assemble(std::string& why);
    // Removes the working folders; what stays behind is only worth a warning.
    std::string removeWorkingFolders();
    BuildOutcome fail(const std::string& why);
    BuildOutcome stop();
    BuildOutcome finish(BuildResult result, const std::string& reason = {});

    PivraState& s_;
    FileSystem& fso_;
    ImageCommands& commands_;
    BuildControls& controls_;
    bool building_ = false;
    bool stopped_ = false;
    FramePlan plan_;
    std::string pageColour_;  // read once when a build starts
};

}  // namespace pivra
