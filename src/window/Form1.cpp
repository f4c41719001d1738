#include "window/Form1.h"

#include "builder/PageColour.h"
#include "builder/WorkingTemplates.h"
#include "dialogs/SavePivra.h"
#include "platform/AppFolders.h"
#include "platform/FileStamp.h"
#include "platform/MessageBox.h"
#include "surface/JpegReader.h"
#include "surface/PaneCanvas.h"
#include "window/OpenFilter.h"
#include "window/KeptBuild.h"
#include "window/RenderedBuild.h"
#include "builder/BuiltFaces.h"
#include "platform/ReplaceFile.h"
#include "OptionValues.h"
#include "builder/BuildOutcome.h"
#include "builder/WorkingFolders.h"
#include "imagecmd/PictureImport.h"
#include "imagecmd/ShortPaths.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

namespace pivra {

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// Holds back the messages of one step, so that the user is told once, by
// the step's caller, with the first of them as the reason.
class HeldMessages : public Notifier {
public:
    HeldMessages() : scope_(*this) {}
    void show(const std::string& prompt, int, const std::string&) override {
        if (first.empty()) first = prompt;
    }
    std::string first;

private:
    ScopedNotifier scope_;
};

// The first folder of root, root/Window2/, root/Window3/... whose lock this
// window can take, made when missing; empty, with the reason, when none.
std::string ClaimFolderIn(const std::string& root, FolderLock& lock, std::string& why) {
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec) {
        why = "it cannot be made: " + ec.message();
        return {};
    }
    if (lock.tryLock(root, kWorkingFolderLock, why)) return root;
    if (why != "in use") return {};  // a folder we may not write to: no window folder in it either
    for (int n = 2; n <= kMostWindows; ++n) {
        const std::string folder = root + kOtherWindowFolder + std::to_string(n) + "/";
        std::string skipped;  // a file of that name in the way, or another window there: the next one
        fs::create_directory(folder, ec);
        if (lock.tryLock(folder, kWorkingFolderLock, skipped)) return folder;
    }
    why = "every window folder in it is in use";
    return {};
}

// Two windows in one working folder would show and save each other's
// animation, and one could rewrite the other's templates at its own scale:
// a window works only in a folder it holds. The user's own root is the one
// an installed program uses anyway, so moving there loses nothing.
std::string ClaimWorkingRoot(const FormFolders& folders, FolderLock& lock, std::string& why) {
    std::vector<std::string> roots{WithSlash(folders.app)};
    if (!folders.user.empty() && WithSlash(folders.user) != roots[0]) roots.push_back(WithSlash(folders.user));
    for (const std::string& root : roots) {
        std::string reason;
        const std::string claimed = ClaimFolderIn(root, lock, reason);
        if (!claimed.empty()) return claimed;
        why += "\n" + root + ": " + reason;
    }
    return {};
}

void TellUnreadable(const std::string& text) { MessageBox(text, MB_OK | MB_ICONEXCLAMATION, AppTitle); }

// "The head picture is no longer there:" and the file, or both sides' files.
std::string GoneText(const std::vector<std::pair<const char*, std::string>>& gone) {
    std::string text = gone.size() == 2 ? "The head and tail pictures are no longer there:"
                                        : "The " + std::string(gone.at(0).first) + " picture is no longer there:";
    for (const auto& side : gone) text += "\n" + side.second;
    return text;
}

}  // namespace

FormFolders DefaultFormFolders() {
    const AppFolders f = LocateAppFolders();
    // The roots are made (or found impossible, and the user told) as the window claims one.
    return {f.workRoot, f.installFiles, f.libraries, UserWorkRoot(CurrentFolderEnvironment())};
}

Form1::Form1(FormView& view, FormFolders folders)
    : view_(view),
      installFolder_(WithSlash(folders.install)),
      commands_(s_.i_size, fso_,
                ImageLibraryFiles{folders.libraries.empty() ? installFolder_ : WithSlash(folders.libraries)}),
      builder_(s_, fso_, commands_, hooks_) {
    s_.AppStr = ClaimWorkingRoot(folders, windowLock_, noWorkingFolder_);
    commands_.setWorkingRoot(s_.AppStr);
    RemoveStaleLinkFolders(s_.AppStr);
}

void Form1::Form_Load() {
    if (!hasWorkingFolder()) {
        MessageBox("PIVRA cannot start: no working folder could be had for this window." + noWorkingFolder_,
                   MB_OK | MB_ICONEXCLAMATION, AppTitle);
        view_.closeWindow();
        return;
    }
    ScalePivra(kStartScale);
    restoreKeptBuild();
    view_.setTimerInterval(kTimerInterval);
    s_.BuildRequested = false;
    view_.showPageColour(pageColour_.empty() ? "#ffffff" : pageColour_);
}

void Form1::ScalePivra(int16_t my_size) {
    // The build relies on the sizes and templates it started with.
    if (building()) {
        pendingScale_ = my_size;
        return;
    }
    s_.i_size = static_cast<int16_t>(my_size * 12);
    view_.setTimerEnabled(false);

    const std::string work = s_.AppStr + "Work";
    workFolderReady_ = fso_.FolderExists(work) || fso_.CreateFolder(work);
    if (!workFolderReady_)
        MessageBox("The working folder could not be created, so no picture can be prepared.\n" + fso_.lastError(),
                   MB_OK | MB_ICONEXCLAMATION, AppTitle);

    Form_Resize();
    applyLayout();

    if (workFolderReady_) {
        commands_.resetMissingOutputs();
        MakeWorkingTemplates(commands_, s_, installFolder_);
        if (commands_.missingOutputs() > 0)
            MessageBox("The working pictures could not be prepared, so no picture can be shown.\n" +
                           DescribeMissingOutputs(commands_, s_),
                       MB_OK | MB_ICONEXCLAMATION, AppTitle);
        MaskDib_.Load(s_.AppStr + "Work/mask.bmp");
    } else {
        MaskDib_.CleanUp();
    }
    view_.setViewerFile(s_.AppStr + "Work/pivra.gif");

    reloadBoth();

    if (s_.HeadFile.empty()) view_.setHintShown(1, true);
    if (s_.TailFile.empty()) view_.setHintShown(2, true);
    if (s_.HeadFile.empty() || s_.TailFile.empty()) view_.setHintShown(3, true);
    placeHints();

    const MainLayoutNumbers m = MainLayout(s_.i_size);
    const std::pair<Control, Box> rest[] = {{Control::Gif89a1, m.viewer},
                                            {Control::CreateBtn, m.createButton},
                                            {Control::SaveBtn, m.saveButton},
                                            {Control::ProgressBar1, m.progressBar}};
    for (const auto& [c, b] : rest) {
        view_.move(c, b.left, b.top);
        view_.setSize(c, b.width, b.height);
    }

    s_.ShowHead = true;
    s_.SpinPos = 0;
    s_.SpinStep = static_cast<int16_t>(s_.i_size / 12);
}

void Form1::Form_Resize() {
    if (view_.minimized()) return;
    const MainLayoutNumbers m = MainLayout(s_.i_size);
    view_.setClientSize(m.clientWidth, m.clientHeight);
}

// Fonts, hint sizes and panes, in that order.
void Form1::applyLayout() {
    const MainLayoutNumbers m = MainLayout(s_.i_size);
    for (Control c : {Control::CreateBtn, Control::SaveBtn}) view_.setFontSize(c, m.buttonFontPoints);
    for (Control c : {Control::Label1, Control::Label2, Control::Label3}) view_.setFontSize(c, m.hintFontPoints);
    for (Control c : {Control::Label1, Control::Label2, Control::Label3}) view_.setSize(c, m.hintWidth, m.hintHeight);
    const Control panes[] = {Control::Picture1, Control::Picture2, Control::Picture3, Control::Picture4};
    for (size_t k = 0; k < 4; ++k) {
        view_.move(panes[k], m.panes[k].left, m.panes[k].top);
        view_.setSize(panes[k], m.panes[k].width, m.panes[k].height);
    }
    // The canvases hold one face each; a new size starts them black.
    for (Pane p : {Pane::Picture1, Pane::Picture2, Pane::Picture3}) view_.canvas(p).resize(s_.i_size, s_.i_size);
}

void Form1::placeHints() {
    const MainLayoutNumbers m = MainLayout(s_.i_size);
    if (!m.hintsFit) {
        for (int label = 1; label <= 3; ++label) view_.setHintShown(label, false);
        return;
    }
    const Control labels[] = {Control::Label1, Control::Label2, Control::Label3};
    for (size_t k = 0; k < 3; ++k) view_.move(labels[k], m.hints[k].left, m.hints[k].top);
}

bool Form1::QueryUnload() {
    if (!building()) return true;
    stopRequested_ = true;
    return false;
}

void Form1::Form_Unload() { view_.setTimerEnabled(false); }

void Form1::Timer1_Timer() {
    const bool coin = look_ == LookKind::Coin;
    s_.SpinPos = static_cast<int16_t>(s_.SpinPos + s_.SpinStep);
    if (coin) coinFrame_ = (coinFrame_ + 1) % CoinPreview::kFrames;
    // The build starts when the head next faces the viewer.
    const bool headComesRound = coin ? coinFrame_ == 0 : s_.ShowHead && s_.SpinPos > s_.i_size;
    if (s_.BuildRequested && headComesRound) {
        buildFromTick();
        if (stopRequested_) {
            view_.closeWindow();
            return;
        }
    }
    if (s_.SpinPos > s_.i_size) s_.SpinPos = static_cast<int16_t>(-s_.i_size);
    if (s_.SpinPos == 0) s_.ShowHead = !s_.ShowHead;

    // Until the coin's frames are ready, the flat look turns in their place.
    if (!coin || !paintCoinFrame()) {
        const CDIBSection& face = s_.ShowHead ? HeadDib_ : TailDib_;
        face.rotate(FrameDib_, s_.SpinPos, s_.i_size);
        FrameDib_.PaintPicture(view_.canvas(Pane::Picture3).hDC(), 0, 0, -1, -1, 0, 0, SRCCOPY);
    }

    view_.setTimerEnabled(true);
    runPendingWork();
}

bool Form1::paintCoinFrame() {
    if (!coinPreview_.ready() || coinPreview_.side() != s_.i_size) return false;
    if (CoinFrameDib_.dib_width() != s_.i_size && !CoinFrameDib_.Create(s_.i_size, s_.i_size, 3)) return false;
    const std::vector<std::uint8_t>& rows = coinPreview_.frame(coinFrame_);
    const std::size_t bytes = static_cast<std::size_t>(CoinFrameDib_.BytesPerScanLine()) * s_.i_size;
    if (rows.size() != bytes) return false;
    std::copy(rows.begin(), rows.end(), CoinFrameDib_.DIBSectionBitsPtr());
    CoinFrameDib_.PaintPicture(view_.canvas(Pane::Picture3).hDC(), 0, 0, -1, -1, 0, 0, SRCCOPY);
    return true;
}

void Form1::prepareCoinPreview() {
    if (look_ != LookKind::Coin || s_.HeadFile.empty() || s_.TailFile.empty()) {
        coinPreview_.drop();
        return;
    }
    coinPreview_.prepare(s_.HeadFile, s_.TailFile, s_.CropToSquare, s_.i_size);
}

void Form1::mnu_Look_Click(LookKind look) {
    if (look == look_) return;
    look_ = look;
    coinFrame_ = 0;
    prepareCoinPreview();
}

// What the user asked for while the build ran, now that it has returned:
// the scale first, so that the pictures are imported once, at their size.
void Form1::runPendingWork() {
    if (pendingScale_) {
        const int16_t scale = *pendingScale_;
        pendingScale_.reset();
        ScalePivra(scale);
        pendingReimport_ = false;  // the scale imported both pictures
    }
    if (pendingReimport_) {
        pendingReimport_ = false;
        reloadBoth();
    }
    std::vector<PendingPick> picks;
    picks.swap(pendingPicks_);
    for (const PendingPick& p : picks) {
        if (p.file) (p.head ? ChooseHead(*p.file) : ChooseTail(*p.file));
        else (p.head ? Picture1_Click() : Picture2_Click());
    }
}

void Form1::buildFromTick() {
    // The window holds its folder for its whole life, so no pivra-make run
    // can build here and mix its frames with ours.
    std::string note;
    if (!freshenForBuild(note)) return;
    const std::string noteLine = note.empty() ? "" : "\n" + note;
    const LookKind look = look_;  // the menu stays open to the user while the build runs
    const EncodeSettings page = pageSettings();  // and so is the page colour
    const BuildOutcome outcome = look == LookKind::Coin ? buildCoin() : builder_.BuildSpin();
    if (look == LookKind::Flat && outcome.result == BuildResult::Finished) keepRenderRequest(renderRequest(look), page);
    if (outcome.result == BuildResult::Failed) {
        // The viewer goes on playing the last animation, which is still in place.
        MessageBox("The Pivra could not be built: " + outcome.reason + "\nThe last Pivra is kept." + noteLine,
                   MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return;
    }
    if (outcome.result == BuildResult::Finished) view_.setViewerFile(s_.AppStr + "Work/pivra.gif");
    const std::string said = outcome.warning.empty() ? note : outcome.warning + noteLine;
    if (!said.empty()) MessageBox(said, MB_OK, AppTitle);
}

RenderRequest Form1::renderRequest(LookKind look) const {
    RenderRequest request;
    request.head = s_.HeadFile;
    request.tail = s_.TailFile;
    request.crop = s_.CropToSquare;
    request.look = look;
    request.coin.side = s_.i_size;
    request.coin.frames = CoinPreview::kFrames;
    request.frameMs = kTimerInterval;
    return request;
}

EncodeSettings Form1::pageSettings() const {
    EncodeSettings settings;
    // The page as the flat build reads it ("#rrggbb"): none for white.
    if (!s_.PageColour.empty()) {
        const imagelib::Rgb page = imagelib::parseColor(s_.PageColour);
        settings.gif.matte = std::array<std::uint8_t, 3>{page.r, page.g, page.b};
    }
    return settings;
}

void Form1::keepRenderRequest(const RenderRequest& request, const EncodeSettings& settings) {
    lastRendered_ = request;
    lastRendered_->carryOn = nullptr;
    renderedSettings_ = settings;
    renderedHead_ = headStamp_;
    renderedTail_ = tailStamp_;
    // Kept on disk for the next start too. A file that cannot be written is
    // removed rather than left describing an older animation: after a
    // restart that build then saves as it did before it was kept.
    const std::string file = s_.AppStr + kKeptBuildFile;
    const std::optional<FileStamp> animation = StampOf(s_.AppStr + "Work/pivra.gif");
    std::string why;
    if (animation) {
        const std::string text = KeptBuildText({*lastRendered_, settings, headStamp_, tailStamp_, *animation});
        if (ReplaceWithBytes(std::vector<std::uint8_t>(text.begin(), text.end()), file, why)) return;
    }
    fso_.DeleteFile(file);
}

void Form1::restoreKeptBuild() {
    std::ifstream in(s_.AppStr + kKeptBuildFile, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::optional<KeptBuild> kept = ParseKeptBuild(text);
    // Another animation than the one it was kept with: not this build's.
    if (!kept || !(StampOf(s_.AppStr + "Work/pivra.gif") == kept->animation)) return;
    lastRendered_ = kept->request;
    renderedSettings_ = kept->settings;
    renderedHead_ = kept->head;
    renderedTail_ = kept->tail;
}

BuildOutcome Form1::buildCoin() {
    const RenderRequest request = renderRequest(LookKind::Coin);
    const EncodeSettings settings = pageSettings();
    renderBuilding_ = true;
    const BuildOutcome outcome = BuildRenderedGif(request, settings, s_.AppStr + "Work/pivra.gif", hooks_, buildJob_);
    renderBuilding_ = false;
    s_.BuildRequested = false;
    if (outcome.result == BuildResult::Finished) {
        keepRenderRequest(request, settings);
        // The faces kept by an earlier flat build no longer belong to the
        // animation: a save after a restart must not draw them.
        for (const char* face : {kBuiltHeadFace, kBuiltTailFace}) fso_.DeleteFile(s_.AppStr + face);
    }
    return outcome;
}

bool Form1::freshenForBuild(std::string& note) {
    std::vector<const char*> reread;
    for (Side side : {head(), tail()}) {
        const std::optional<FileStamp> now = StampOf(side.file);
        if (now && now == side.stamp) continue;
        std::string reason = "There is no such file.";
        if (now && importWorkingCopy(side, side.file, reason)) {
            side.stamp = now;
            showFace(side);
            reread.push_back(side.what);
            continue;
        }
        // Told after the request is gone, so that the message's own event
        // loop cannot start this build again. The choice stays for a retry.
        s_.BuildRequested = false;
        const std::string text = now ? importFailure(side.what, side.file, reason) : GoneText({{side.what, side.file}});
        TellUnreadable(text + "\nNothing was built; the last Pivra is kept.");
        return false;
    }
    if (reread.size() == 2)
        note = "The head and tail pictures had changed on disk and were read again before the build.";
    else if (reread.size() == 1)
        note = "The " + std::string(reread[0]) + " picture had changed on disk and was read again before the build.";
    return true;
}

void Form1::UpdatePreviewState() {
    if (s_.TailFile.empty() || s_.HeadFile.empty()) {
        view_.setHintShown(3, true);
        view_.setTimerEnabled(false);
        // A request cannot wait for a picture: it would build later, unasked.
        if (!building()) s_.BuildRequested = false;
        return;
    }
    view_.setHintShown(3, false);
    // A pane repainted while a build yields must not restart the preview under it.
    if (!building()) view_.setTimerEnabled(true);
}

void Form1::CreateBtn_Click() {
    if (building()) return;  // a request during a build is dropped
    const bool noHead = s_.HeadFile.empty(), noTail = s_.TailFile.empty();
    if (noHead || noTail) {
        const std::string which = noHead && noTail ? "the head and tail pictures" : noHead ? "the head picture" : "the tail picture";
        const std::string where = noHead && noTail ? "the left and right panes" : noHead ? "the left pane" : "the right pane";
        MessageBox("Choose " + which + " first: click " + where + ".", MB_OK, AppTitle);
        return;
    }
    s_.BuildRequested = true;
}

void Form1::mnu_Crop_Click() {
    s_.CropToSquare = !s_.CropToSquare;
    // The build made its face copies first; the panes follow once it returns.
    if (building()) {
        pendingReimport_ = true;
        return;
    }
    reloadBoth();
}

void Form1::SaveBtn_Click() {
    if (!lastRendered_) {
        pivra::SaveBtn_Click(view_, fso_, s_.AppStr);
        return;
    }
    saveNote_.clear();
    const SaveOutcome saved = pivra::SaveBtn_Click(view_, fso_, s_.AppStr,
        [this](AnimationFormat format, const std::string& name, std::string& why) {
            return saveRendered(format, name, why);
        });
    if (stopRequested_) view_.closeWindow();
    else if (saved == SaveOutcome::Saved && !saveNote_.empty()) MessageBox(saveNote_, MB_OK, AppTitle);
}

// The pictures of the build as they are now: one gone cannot be drawn, and
// the user is told which; one changed is drawn as it is now, and the user
// is told that too, since the file then differs from the GIF.
bool Form1::checkBuiltPictures(std::string& why, std::string& note) const {
    Gone gone;
    std::vector<const char*> changed;
    for (const auto& [what, file, stamp] : {std::tuple{"head", lastRendered_->head, renderedHead_},
                                            std::tuple{"tail", lastRendered_->tail, renderedTail_}}) {
        const std::optional<FileStamp> now = StampOf(file);
        if (!now) gone.emplace_back(what, file);
        else if (!(now == stamp)) changed.push_back(what);
    }
    if (!gone.empty()) {
        why = GoneText(gone);
        return false;
    }
    if (changed.size() == 2)
        note = "The head and tail pictures have changed on disk since this Pivra was built: the saved file shows them as they are now.";
    else if (changed.size() == 1)
        note = "The " + std::string(changed[0]) + " picture has changed on disk since this Pivra was built: the saved file shows it as it is now.";
    return true;
}

bool Form1::saveRendered(AnimationFormat format, const std::string& name, std::string& why) {
    if (building()) {
        why = "A Pivra is being built; save once it is done.";
        return false;
    }
    const RenderRequest& request = *lastRendered_;
    if (!checkBuiltPictures(why, saveNote_)) {
        why += "\nThis Pivra can still be saved as a GIF.";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    renderBuilding_ = true;
    const BuildOutcome drawn = RenderOffThread(request, format, EncodeSettings{}, hooks_, buildJob_, bytes);
    renderBuilding_ = false;
    view_.setProgress(0);
    if (drawn.result == BuildResult::Stopped) {
        why = "The window was closed before the file was written.";
        return false;
    }
    if (drawn.result != BuildResult::Finished) {
        why = drawn.reason;
        return false;
    }
    if (!ReplaceWithBytes(bytes, name, why)) {
        why = "cannot write " + name + ": " + why;
        return false;
    }
    return true;
}

void Form1::mnu_ExportFor_Click() {
    const auto tell = [](const std::string& text) { MessageBox(text, MB_OK | MB_ICONEXCLAMATION, AppTitle); };
    if (building()) return tell("A Pivra is being built; export once it is done.");
    if (!fso_.FileExists(s_.AppStr + "Work/pivra.gif"))
        return tell("There is no Pivra to export yet.\nClick CREATE PIVRA to make one first.");
    // The faces kept beside an earlier run's GIF are too small to be drawn
    // at a destination's side; its pictures are not known.
    if (!lastRendered_)
        return tell("This Pivra was built before PIVRA last started, so the pictures it was made from are not known.\n"
                    "Click CREATE PIVRA to build it again, then export it.");
    if (!view_.chooseExport(exportChoices_)) return;
    std::string why;
    const std::optional<ExportTarget> target = exportChoices_.target(why);
    if (!target) return tell(why + "\nNothing was written.");
    SaveDialogRequest ask{target->fileName, ExportFilter(target->format), 1};
    const std::string name = view_.AskSaveFileName(ask);
    if (name.empty()) return;
    if (const std::string refused = EndingRefusal(*target, name); !refused.empty())
        return tell(refused + "\nNothing was written.");
    std::string note;
    if (!checkBuiltPictures(why, note)) return tell(why + "\nNothing was written.");

    RenderRequest request = *lastRendered_;
    request.coin.side = target->side;
    request.coin.frames = target->frames;
    request.frameMs = target->frameMs;
    FittedExport made;
    renderBuilding_ = true;
    const BuildOutcome run = FitOffThread(request, target->format, renderedSettings_, target->budget, hooks_, buildJob_, made);
    renderBuilding_ = false;
    view_.setProgress(0);
    if (run.result == BuildResult::Stopped) {
        if (stopRequested_) view_.closeWindow();
        return;
    }
    const std::string failed = "The Pivra could not be exported for " + target->label + ".\n";
    if (run.result != BuildResult::Finished) return tell(failed + run.reason);
    if (made.status == FittedExport::Status::Missed) {
        std::string said = made.why + ".";
        said[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(said[0])));
        return tell(failed + said);
    }
    if (!ReplaceWithBytes(made.bytes, name, why)) return tell(failed + "cannot write " + name + ": " + why);
    MessageBox("Exported for " + target->label + ":\n" + name + "\nChosen: " + made.line + (note.empty() ? "" : "\n" + note),
               MB_OK, AppTitle);
}

void Form1::mnu_PageColour_Click() {
    const std::optional<std::string> chosen = view_.choosePageColour(pageColour_.empty() ? "#ffffff" : pageColour_);
    if (chosen) setPageColour(*chosen);
}

void Form1::setPageColour(const std::string& colour) {
    const std::optional<std::string> parsed = ParsePageColour(colour);
    if (!parsed) return;
    pageColour_ = *parsed;
    // A build that runs keeps the colour it started with.
    s_.PageColour = PageColourForBuild(*parsed);
    view_.showPageColour(pageColour_);
}

void Form1::Picture1_Click() { choose(head()); }
void Form1::Picture2_Click() { choose(tail()); }
void Form1::Picture3_Click() { view_.setViewerFile(s_.AppStr + "Work/pivra.gif"); }

void Form1::choose(Side side) {
    if (building()) {
        pendingPicks_.push_back({&side.file == &s_.HeadFile, std::nullopt});
        return;
    }
    const std::optional<std::string> name = view_.chooseOpenFile(kPictureFilter, kPictureFilterIndex);
    if (!name) return;  // cancelled: nothing changes
    pick(side, AbsolutePath(*name));
}

void Form1::ChooseHead(const std::string& file) { pick(head(), AbsolutePath(file)); }
void Form1::ChooseTail(const std::string& file) { pick(tail(), AbsolutePath(file)); }

void Form1::OpenPictures(const std::vector<std::string>& files) {
    if (!files.empty()) ChooseHead(files[0]);
    if (files.size() > 1) ChooseTail(files[1]);
    if (files.size() <= 2) return;
    std::string left = "Only two pictures are used, the first for the head and the second for the tail. Left:";
    for (size_t k = 2; k < files.size(); ++k) left += "\n" + files[k];
    MessageBox(left, MB_OK, AppTitle);
}

void Form1::FilesDropped(Pane pane, const std::vector<std::string>& files) {
    if (files.size() != 1) return OpenPictures(files);
    if (pane == Pane::Picture1) ChooseHead(files[0]);
    if (pane == Pane::Picture2) ChooseTail(files[0]);
}

void Form1::pick(Side side, const std::string& file) {
    // The build reads the chosen files: a new face waits for it to return, so
    // that the animation shows the faces it was built from.
    if (building()) {
        pendingPicks_.push_back({&side.file == &s_.HeadFile, file});
        return;
    }
    std::string reason;
    // Taken before the import, so that a change made during it shows later.
    const std::optional<FileStamp> stamp = StampOf(file);
    if (!fso_.FileExists(file)) reason = "There is no such file.";
    if (reason.empty() && importWorkingCopy(side, file, reason)) {
        side.file = file;
        side.stamp = stamp;
        showFace(side);
        return;
    }
    TellUnreadable(importFailure(side.what, file, reason));
}

void Form1::LoadHeadImage() { reload({head()}); }
void Form1::LoadTailImage() { reload({tail()}); }
void Form1::reloadBoth() { reload({head(), tail()}); }

void Form1::reload(std::initializer_list<Side> sides) {
    Gone gone;
    for (const Side& side : sides) load(side, gone);
    if (!gone.empty()) TellUnreadable(GoneText(gone));
}

// The import again at the current size (a new scale): a picture that is gone
// or no longer readable returns its side to no picture and an empty pane.
void Form1::load(Side side, Gone& gone) {
    if (side.file.empty()) {
        view_.setHintShown(side.label, true);
        // Stops a preview that the other side's import may have started.
        UpdatePreviewState();
        return;
    }
    const std::string file = side.file;
    const std::optional<FileStamp> stamp = StampOf(file);
    if (!fso_.FileExists(file)) {
        clearFace(side);
        gone.emplace_back(side.what, file);
        return;
    }
    std::string reason;
    if (!importWorkingCopy(side, file, reason)) {
        clearFace(side);
        TellUnreadable(importFailure(side.what, file, reason));
        return;
    }
    side.stamp = stamp;
    showFace(side);
}

void Form1::clearFace(Side side) {
    side.file.clear();
    side.stamp.reset();
    side.src.CleanUp();
    side.dib.CleanUp();
    view_.canvas(side.pane).resize(s_.i_size, s_.i_size);
    view_.setHintShown(side.label, true);
    prepareCoinPreview();
    UpdatePreviewState();
}

std::string Form1::importFailure(const char* what, const std::string& file, const std::string& reason) {
    const std::string work = s_.AppStr + "Work";
    std::string why;
    if (workFolderReady_ && !CanWriteIn(work, why))
        return "The " + std::string(what) + " picture could not be prepared: nothing can be written in the working folder\n" +
               work + "\n(" + why + "). Free some space on its disk, or make the folder writable for you, then choose the picture again.";
    return "The " + std::string(what) + " picture could not be read:\n" + file + "\n" + reason;
}

void Form1::showFace(Side side) {
    view_.setHintShown(side.label, false);
    side.src.Copy(side.dib, s_.i_size);
    side.dib.Mask(MaskDib_);
    paint(side);
    prepareCoinPreview();
    UpdatePreviewState();
}

namespace {

// Keeps the side's working copy aside while a new one is made, and puts it
// back unless the new one is kept.
class WorkingCopyBackup {
public:
    WorkingCopyBackup(FileSystem& fso, const std::string& working, const std::string& folder)
        : fso_(fso), working_(working) {
        if (fso_.FileExists(working_) && fso_.CreateTempFile(folder, "previous", ".jpg", backup_) &&
            !fso_.MoveFile(working_, backup_)) {
            fso_.DeleteFile(backup_);
            backup_.clear();
        }
    }
    // The working copy is read only right after it is made, and the pane
    // already shows the face it held: one that cannot be put back, or a spare
    // that cannot be removed, costs the user nothing, so neither is reported.
    // A backup that cannot be put back is removed so that none pile up in Work.
    ~WorkingCopyBackup() {
        if (backup_.empty()) return;
        if (kept_ || !fso_.MoveFile(backup_, working_)) fso_.DeleteFile(backup_);
    }
    WorkingCopyBackup(const WorkingCopyBackup&) = delete;
    WorkingCopyBackup& operator=(const WorkingCopyBackup&) = delete;
    void keepNew() { kept_ = true; }

private:
    FileSystem& fso_;
    std::string working_, backup_;
    bool kept_ = false;
};

}  // namespace

// Converts `file` into this side's working copy and reads it back into the
// side's picture. Only a copy made by this conversion, of the current size,
// counts; on failure the earlier copy and picture stay as they were.
bool Form1::importWorkingCopy(Side side, const std::string& file, std::string& reason) {
    if (!workFolderReady_) {
        reason = "The working folder " + s_.AppStr + "Work is missing.";
        return false;
    }
    const std::string working = s_.AppStr + "Work/" + side.workingName;
    WorkingCopyBackup backup(fso_, working, s_.AppStr + "Work");
    HeldMessages held;
    commands_.resetMissingOutputs();
    const CommandStatus status = ImportPicture(commands_, file, working, s_.i_size, s_.CropToSquare);
    if (status != CommandStatus::Ran || commands_.missingOutputs() > 0 || !fso_.FileExists(working)) {
        reason = !held.first.empty()                        ? held.first
                 : !commands_.firstMissingOutput().reason.empty() ? commands_.firstMissingOutput().reason
                 : !commands_.lastLibraryError().empty()      ? commands_.lastLibraryError()
                                                              : "The picture library wrote no picture.";
        return false;
    }
    CDIBSection read;
    if (!ReadJpegFile(read, working, 1)) {
        reason = held.first.empty() ? "Its working copy could not be read." : held.first;
        return false;
    }
    if (read.dib_width() != s_.i_size || read.dib_height() != s_.i_size) {
        reason = "Its working copy has the wrong size.";
        return false;
    }
    read.Copy(side.src, s_.i_size);
    backup.keepNew();
    return true;
}

void Form1::Picture1_Paint() {
    paint(head());
    UpdatePreviewState();
}

void Form1::Picture2_Paint() {
    paint(tail());
    UpdatePreviewState();
}

void Form1::paint(Side side) {
    if (side.dib.hDC() == nullptr) return;  // an empty face paints nothing
    side.dib.PaintPicture(view_.canvas(side.pane).hDC(), 0, 0, -1, -1, 0, 0, SRCCOPY);
}

}  // namespace pivra
