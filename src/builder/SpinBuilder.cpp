#include "SpinBuilder.h"

#include <cstdlib>

#include "builder/WorkingFolders.h"
#include "builder/ZeroPad.h"
#include "imagecmd/ImageCommands.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

namespace pivra {

namespace {
constexpr int32_t kDigits = 5;
int16_t Abs16(int16_t v) { return static_cast<int16_t>(std::abs(v)); }
}  // namespace

SpinBuilder::SpinBuilder(PivraState& state, FileSystem& fso, ImageCommands& commands, BuildControls& controls)
    : s_(state), fso_(fso), commands_(commands), controls_(controls) {}

void SpinBuilder::advance() { controls_.setProgress(controls_.progress() + 1); }

BuildResult SpinBuilder::BuildSpin() {
    if (controls_.hintVisible()) return BuildResult::Skipped;

    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(building_);

    controls_.disablePreviewTimer();
    controls_.setCreateCaption("WORKING");
    commands_.rearmNotices();

    std::string why;
    if (!recreateFolder("Images", why) || !recreateFolder("Masks", why)) return fail(why);

    controls_.showProgress();
    controls_.setProgress(1);

    if (!makeFaceCopies() || !makeStrips() || !makeFrames()) return stop();

    const std::string animation = s_.AppStr + "Work/pivra.gif";
    if (fso_.FileExists(animation) && !fso_.DeleteFile(animation)) return fail(fso_.lastError());
    advance();
    commands_.RunConvert(s_.AppStr + "Images/*.gif", animation, 6, Animate);

    finish();
    return BuildResult::Finished;
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

bool SpinBuilder::carryOn() {
    advance();
    return !controls_.stopRequested();
}

bool SpinBuilder::makeFaceCopies() {
    const int16_t i_size = s_.i_size;
    commands_.RunConvert(s_.HeadFile, s_.AppStr + "Masks/" + "ImagA.gif", i_size, Resize);
    if (!carryOn()) return false;
    commands_.RunConvert(s_.TailFile, s_.AppStr + "Masks/" + "ImagB.gif", i_size, Resize);
    return !controls_.stopRequested();
}

bool SpinBuilder::makeStrips() {
    const std::string temp1 = s_.AppStr + "Masks/temp1.gif";
    const std::string temp2 = s_.AppStr + "Masks/temp2.gif";
    const std::string white = s_.AppStr + "Work/white.mif";
    const std::string mask = s_.AppStr + "Work/mask.mif";
    const std::string headCopy = s_.AppStr + "Masks/" + "ImagA.gif";
    const std::string tailCopy = s_.AppStr + "Masks/" + "ImagB.gif";

    // Bound and step are read once; the loop variable is SpinPos itself.
    const int16_t bound = s_.i_size, step = s_.SpinStep;
    for (s_.SpinPos = step; s_.SpinPos <= bound; s_.SpinPos = static_cast<int16_t>(s_.SpinPos + step)) {
        const int16_t w = Abs16(s_.SpinPos);
        const std::string n = ZeroPad(w, kDigits);
        const std::string M = s_.AppStr + "Masks/" + n + "M.gif";
        const std::string A = s_.AppStr + "Masks/" + n + "A.gif";
        const std::string B = s_.AppStr + "Masks/" + n + "B.gif";
        advance();
        commands_.RunConvert(mask, temp1, w, ResizeNegate);
        if (!carryOn()) return false;
        commands_.RunComposite(temp1, temp2, white, CenterOnBase);
        if (!carryOn()) return false;
        commands_.RunConvert(temp2, M, 0, TransparentWhite);
        if (!carryOn()) return false;
        commands_.RunConvert(headCopy, temp1, w, Resize);
        if (!carryOn()) return false;
        commands_.RunComposite(temp1, A, white, CenterOnBase);
        if (!carryOn()) return false;
        commands_.RunConvert(tailCopy, temp1, w, Resize);
        if (!carryOn()) return false;
        commands_.RunComposite(temp1, B, white, CenterOnBase);
        if (!carryOn()) return false;
        controls_.yield();
        if (controls_.stopRequested()) return false;
    }
    return true;
}

bool SpinBuilder::makeFrames() {
    const std::string white = s_.AppStr + "Work/white.mif";
    int16_t FrameNo = 0;
    for (int16_t Pass = 0; Pass <= 1; ++Pass) {
        const int16_t bound = s_.i_size, step = s_.SpinStep;
        for (s_.SpinPos = static_cast<int16_t>(-bound); s_.SpinPos <= bound;
             s_.SpinPos = static_cast<int16_t>(s_.SpinPos + step)) {
            if (s_.SpinPos == 0) s_.ShowHead = !s_.ShowHead;
            const std::string n = ZeroPad(Abs16(s_.SpinPos), kDigits);
            const std::string face = s_.AppStr + "Masks/" + n + (s_.ShowHead ? "B.gif" : "A.gif");
            const std::string stripMask = s_.AppStr + "Masks/" + n + "M.gif";
            const std::string frame = s_.AppStr + "Images/" + ZeroPad(FrameNo, kDigits) + ".gif";
            advance();
            if (s_.SpinPos == 0)
                commands_.RunConvert(white, frame, 0, TransparentWhite);
            else
                commands_.RunComposite(face, frame, stripMask, MaskWithBase);
            if (controls_.stopRequested()) return false;
            controls_.yield();
            if (controls_.stopRequested()) return false;
            ++FrameNo;
        }
    }
    return true;
}

void SpinBuilder::removeWorkingFolders() {
    std::string why;
    for (const char* name : {"Images", "Masks"}) {
        const std::string folder = s_.AppStr + name;
        std::string failed;
        if (fso_.FolderExists(folder) && !removeMadeFolder(folder, failed) && why.empty()) why = failed;
    }
    // Nothing is lost by a working folder that stays behind: it is only worth a word.
    if (!why.empty()) MessageBox("The working folders could not be removed.\n" + why, MB_OK, AppTitle);
}

void SpinBuilder::finish() {
    controls_.setCreateCaption("CREATE PIVRA");
    removeWorkingFolders();
    s_.BuildRequested = false;
    controls_.setProgress(0);
}

BuildResult SpinBuilder::stop() {
    finish();
    return BuildResult::Stopped;
}

BuildResult SpinBuilder::fail(const std::string& why) {
    MessageBox("The animation could not be built.\n" + why, MB_OK, AppTitle);
    controls_.setCreateCaption("CREATE PIVRA");
    s_.BuildRequested = false;
    controls_.setProgress(0);
    return BuildResult::Failed;
}

}  // namespace pivra
