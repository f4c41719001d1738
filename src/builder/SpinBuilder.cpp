#include "SpinBuilder.h"

#include <utility>

#include "builder/BuildSteps.h"
#include "builder/BuiltFaces.h"
#include "builder/WorkingFolders.h"
#include "builder/ZeroPad.h"
#include "imagecmd/ImageCommands.h"
#include "imagecmd/PictureImport.h"
#include "platform/FileSystem.h"

namespace pivra {

namespace {
constexpr int32_t kDigits = 5;

struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
};
}  // namespace

SpinBuilder::SpinBuilder(PivraState& state, FileSystem& fso, ImageCommands& commands, BuildControls& controls)
    : s_(state), fso_(fso), commands_(commands), controls_(controls) {}

void SpinBuilder::advance() { controls_.setProgress(controls_.progress() + 1); }

BuildOutcome SpinBuilder::BuildSpin() {
    if (controls_.hintVisible()) return {BuildResult::Skipped, {}, {}};
    Running running(building_);
    begin();
    plan_ = PlanFrames(s_.i_size, s_.SpinStep, s_.ShowHead);
    pageColour_ = s_.PageColour;

    std::string why;
    if (!recreateFolder("Images", why) || !recreateFolder("Masks", why)) return fail(why);

    controls_.showProgress();
    controls_.setProgress(1);

    BuildSteps steps(commands_);
    {
        BuildSteps::Recording recording(steps);
        makeFaceCopies(steps);
        // A picture that cannot be read spoils every frame: no use going on.
        steps.then([this] { return commands_.missingOutputs() == 0; });
        makeStrips(steps);
        makeFrames(steps);
    }
    if (!runSteps(steps)) return stop();
    if (commands_.missingOutputs() > 0) return finish(BuildResult::Failed, DescribeMissingOutputs(commands_, s_));

    advance();
    if (!assemble(why)) return finish(BuildResult::Failed, why);
    // The animation stands even when its faces cannot be kept beside it.
    const bool kept = keepFaces(why);
    BuildOutcome outcome = finish(BuildResult::Finished);
    if (!kept) {
        const std::string lost = "The pictures of this Pivra could not be kept, so it can be saved only as a GIF.\n" + why;
        outcome.warning = outcome.warning.empty() ? lost : lost + "\n" + outcome.warning;
    }
    return outcome;
}

BuildOutcome SpinBuilder::BuildFaces() {
    if (controls_.hintVisible()) return {BuildResult::Skipped, {}, {}};
    Running running(building_);
    begin();

    std::string why;
    if (!recreateFolder("Masks", why)) return fail(why);
    controls_.showProgress();
    controls_.setProgress(1);
    BuildSteps steps(commands_);
    {
        BuildSteps::Recording recording(steps);
        makeFaceCopies(steps);
    }
    if (!runSteps(steps)) return stop();
    if (commands_.missingOutputs() > 0) return finish(BuildResult::Failed, DescribeMissingOutputs(commands_, s_));
    if (!keepFaces(why)) return finish(BuildResult::Failed, why);
    return finish(BuildResult::Finished);
}

// Every run starts alike: no preview under it, the button says so, and only
// its own commands count when it is judged.
void SpinBuilder::begin() {
    controls_.disablePreviewTimer();
    controls_.setCreateCaption("WORKING");
    commands_.resetMissingOutputs();
}

bool SpinBuilder::keepFaces(std::string& why) {
    const std::pair<const char*, const char*> faces[] = {{"Masks/ImagA.gif", kBuiltHeadFace},
                                                         {"Masks/ImagB.gif", kBuiltTailFace}};
    for (const auto& [copy, kept] : faces) {
        if (fso_.MoveFile(s_.AppStr + copy, s_.AppStr + kept)) continue;
        why = fso_.lastError();
        // One face of this build and one of another would render a coin never built.
        for (const auto& face : faces)
            if (fso_.FileExists(s_.AppStr + face.second)) fso_.DeleteFile(s_.AppStr + face.second);
        return false;
    }
    return true;
}

bool SpinBuilder::assemble(std::string& why) {
    std::string fresh;
    if (!fso_.CreateTempFile(s_.AppStr + "Work", "pivra", ".gif", fresh)) {
        why = fso_.lastError();
        return false;
    }
    commands_.RunConvert(s_.AppStr + "Images/*.gif", fresh, 6, Animate);
    if (commands_.missingOutputs() == 0 && fso_.CommitFile(fresh, s_.AppStr + "Work/pivra.gif")) return true;
    why = commands_.missingOutputs() > 0 ? DescribeMissingOutputs(commands_, s_) : fso_.lastError();
    if (fso_.FileExists(fresh)) fso_.DeleteFile(fresh);
    return false;
}

bool SpinBuilder::removeMadeFolder(const std::string& folder, std::string& why) {
    if (!fso_.FileExists(folder + "/" + kMadeByPivra)) {
        why = "The folder " + folder + " was not made by PIVRA, so it is left as it is: move it away and try again.";
        return false;
    }
    if (fso_.DeleteFolder(folder)) return true;
    why = fso_.lastError();
    return false;
}

bool SpinBuilder::recreateFolder(const std::string& name, std::string& why) {
    const std::string folder = s_.AppStr + name;
    if (fso_.FolderExists(folder) && !removeMadeFolder(folder, why)) return false;
    if (fso_.CreateFolder(folder) && fso_.CreateFile(folder + "/" + kMadeByPivra)) return true;
    why = fso_.lastError();
    return false;
}

bool SpinBuilder::runSteps(BuildSteps& steps) {
    stopped_ = false;
    // Only a stop ends the steps early; a missing output is judged after.
    return steps.run() || !stopped_;
}

bool SpinBuilder::goOn() {
    stopped_ = controls_.stopRequested();
    return !stopped_;
}

void SpinBuilder::carryOn(BuildSteps& steps) {
    steps.then([this] {
        advance();
        return goOn();
    });
}

void SpinBuilder::makeFaceCopies(BuildSteps& steps) {
    const int16_t i_size = s_.i_size;
    ImportPicture(commands_, s_.HeadFile, s_.AppStr + "Masks/" + "ImagA.gif", i_size, s_.CropToSquare);
    carryOn(steps);
    ImportPicture(commands_, s_.TailFile, s_.AppStr + "Masks/" + "ImagB.gif", i_size, s_.CropToSquare);
    steps.then([this] { return goOn(); });
}

void SpinBuilder::makeStrips(BuildSteps& steps) {
    const std::string temp1 = s_.AppStr + "Masks/temp1.gif";
    const std::string temp2 = s_.AppStr + "Masks/temp2.gif";
    const std::string white = s_.AppStr + "Work/white.mif";
    const std::string mask = s_.AppStr + "Work/mask.mif";
    const std::string headCopy = s_.AppStr + "Masks/" + "ImagA.gif";
    const std::string tailCopy = s_.AppStr + "Masks/" + "ImagB.gif";

    // The loop variable is SpinPos itself.
    for (const int16_t w : plan_.stripWidths) {
        const std::string n = ZeroPad(w, kDigits);
        const std::string M = s_.AppStr + "Masks/" + n + "M.gif";
        const std::string A = s_.AppStr + "Masks/" + n + "A.gif";
        const std::string B = s_.AppStr + "Masks/" + n + "B.gif";
        steps.then([this, w] {
            s_.SpinPos = w;
            advance();
            return true;
        });
        commands_.RunConvert(mask, temp1, w, ResizeNegate);
        carryOn(steps);
        commands_.RunComposite(temp1, temp2, white, CenterOnBase);
        carryOn(steps);
        commands_.RunConvert(temp2, M, 0, TransparentWhite);
        carryOn(steps);
        if (!pageColour_.empty()) {
            // The mask strip in the page colour: what the edges blend into.
            // Not counted, so that the bar keeps its course.
            commands_.RunFillColour(M, s_.AppStr + "Masks/" + n + "P.gif", pageColour_);
            steps.then([this] { return goOn(); });
        }
        commands_.RunConvert(headCopy, temp1, w, Resize);
        carryOn(steps);
        commands_.RunComposite(temp1, A, white, CenterOnBase);
        carryOn(steps);
        commands_.RunConvert(tailCopy, temp1, w, Resize);
        carryOn(steps);
        commands_.RunComposite(temp1, B, white, CenterOnBase);
        carryOn(steps);
        steps.then([this] {
            controls_.yield();
            return goOn();
        });
    }
}

void SpinBuilder::makeFrames(BuildSteps& steps) {
    const std::string white = s_.AppStr + "Work/white.mif";
    int16_t FrameNo = 0;
    for (const PlannedFrame& f : plan_.frames) {
        const std::string n = ZeroPad(f.width(), kDigits);
        const std::string face = s_.AppStr + "Masks/" + n + (f.headFace() ? "A.gif" : "B.gif");
        const std::string stripMask = s_.AppStr + "Masks/" + n + "M.gif";
        const std::string frame = s_.AppStr + "Images/" + ZeroPad(FrameNo, kDigits) + ".gif";
        steps.then([this, f] {
            s_.SpinPos = f.spinPos;
            s_.ShowHead = f.showHead;
            advance();
            return true;
        });
        if (f.blank())
            commands_.RunConvert(white, frame, 0, TransparentWhite);
        else if (pageColour_.empty())
            commands_.RunComposite(face, frame, stripMask, MaskWithBase);
        else
            commands_.RunCompositeThroughMask(face, frame, s_.AppStr + "Masks/" + n + "P.gif", stripMask);
        steps.then([this] {
            if (!goOn()) return false;
            controls_.yield();
            return goOn();
        });
        ++FrameNo;
    }
    steps.then([this] {
        s_.SpinPos = plan_.spinPosAfter;
        return true;
    });
}

std::string SpinBuilder::removeWorkingFolders() {
    std::string why;
    for (const char* name : {"Images", "Masks"}) {
        const std::string folder = s_.AppStr + name;
        std::string failed;
        if (fso_.FolderExists(folder) && !removeMadeFolder(folder, failed) && why.empty()) why = failed;
    }
    return why.empty() ? why : "The working folders could not be removed.\n" + why;
}

BuildOutcome SpinBuilder::finish(BuildResult result, const std::string& reason) {
    controls_.setCreateCaption("CREATE PIVRA");
    BuildOutcome outcome{result, reason, removeWorkingFolders()};
    s_.BuildRequested = false;
    controls_.setProgress(0);
    return outcome;
}

BuildOutcome SpinBuilder::stop() { return finish(BuildResult::Stopped); }

// The folders could not be made: nothing ran, so there is nothing to clear.
BuildOutcome SpinBuilder::fail(const std::string& why) {
    controls_.setCreateCaption("CREATE PIVRA");
    s_.BuildRequested = false;
    controls_.setProgress(0);
    return {BuildResult::Failed, why, {}};
}

}  // namespace pivra
