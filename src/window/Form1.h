#pragma once
// The main window's form: its state and every event handler, knowing the
// window only through FormView. The Qt window forwards its events here.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "builder/PivraState.h"
#include "dialogs/Dialog1.h"
#include "dialogs/ExportFor.h"
#include "builder/SpinBuilder.h"
#include "imagecmd/ImageCommands.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "render/RenderAnimation.h"
#include "surface/DibSection.h"
#include "window/CoinPreview.h"
#include "window/FormView.h"

namespace pivra {

struct FormFolders {
    std::string app;        // AppStr: where "Work" lives
    std::string install;    // the templates and Apivra.gif
    std::string libraries = {};  // the image libraries; empty: install
    std::string user = {};  // the user's own working root, for when app cannot be had; empty: none
};

// As the layout decides (see AppFolders): the executable's folder in the
// build tree, the installed prefix's folders and the user's data folder
// when installed.
FormFolders DefaultFormFolders();

// A window works only in a folder it holds locked for its life: the working
// root, or while another holds it root + "Window2/", then "Window3/" and so
// on; where none of those can be had, the user's own root the same way.
inline constexpr const char* kOtherWindowFolder = "Window";
inline constexpr int kMostWindows = 20;

class Form1 : public ScaleOwner {
public:
    static constexpr int16_t kStartScale = 16;
    static constexpr int kTimerInterval = 60;  // ms

    Form1(FormView& view, FormFolders folders);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up: the working folder, the layout and templates at scale 16.
    // Without a working folder it says why and closes the window.
    void Form_Load();
    bool hasWorkingFolder() const { return !s_.AppStr.empty(); }
    // Sizes everything for 12 x my_size; during a build it waits for the end.
    void ScalePivra(int16_t my_size) override;
    int16_t CurrentSize() const override { return s_.i_size; }
    // The size rule, also run on the window's resize.
    void Form_Resize();
    // Whether the window may close now; during a build it asks the build to
    // stop and closes the window once it has.
    bool QueryUnload();
    void Form_Unload();

    void Timer1_Timer();
    void UpdatePreviewState();

    void CreateBtn_Click();
    void mnu_Create_Click() { CreateBtn_Click(); }
    // Copies Work/pivra.gif to a name chosen in the save dialog.
    void SaveBtn_Click();
    void mnu_Save_Click() { SaveBtn_Click(); }
    // File, "Export for…": the last build's pictures and options rendered
    // for a destination (or the user's own limits) at its side, fitted to
    // its budget, and saved to a name chosen in the save dialog.
    void mnu_ExportFor_Click();
    // The dialog's choice, as remembered from the last run before Form_Load.
    ExportChoices& exportChoices() { return exportChoices_; }
    void mnu_Scale_Click() { view_.showScaleDialog(); }
    // "Crop Pictures to a Square": toggles the option and imports both
    // pictures again (after the build, during one).
    void mnu_Crop_Click();
    bool cropToSquare() const { return s_.CropToSquare; }
    // The option as remembered from the last run, before Form_Load.
    void setCropToSquare(bool on) { s_.CropToSquare = on; }
    // "Page Colour…": the page the next GIFs are made for.
    void mnu_PageColour_Click();
    // A colour remembered from an earlier run; ignored when it is none.
    void setPageColour(const std::string& colour);
    // "#rrggbb" as chosen (white included); empty while none was.
    const std::string& pageColour() const { return pageColour_; }
    // File, "Look": "Flat" (the default, today's squeezed card) or "Coin",
    // for the preview and the next build.
    void mnu_Look_Click(LookKind look);
    // The look as remembered from the last run, before Form_Load.
    void setLook(LookKind look) { look_ = look; }
    LookKind look() const { return look_; }
    // Whether the preview's coin frames are all prepared for this size.
    bool coinPreviewReady() { return coinPreview_.ready() && coinPreview_.side() == s_.i_size; }
    void Mnu_Manual_Click() { view_.showManual(); }
    void mn_about_Click() { view_.showAbout(); }
    void mnu_WhatElse_Click() { view_.showWhatElse(); }

    void Picture1_Click();
    void Picture2_Click();
    void Picture3_Click();
    void Label1_Click() { Picture1_Click(); }
    void Label2_Click() { Picture2_Click(); }
    void Label3_Click() { Picture3_Click(); }
    // A file dropped on, or named for, a pane: chosen and imported. During a
    // build a pick (click or drop) waits until the build has returned.
    void ChooseHead(const std::string& file);
    void ChooseTail(const std::string& file);
    // Pictures named at start or dropped together: the first is the head,
    // the second the tail; any more are left, and the user is told which.
    void OpenPictures(const std::vector<std::string>& files);
    // Files dropped on a pane: one is that pane's picture; more, as OpenPictures.
    void FilesDropped(Pane pane, const std::vector<std::string>& files);

    void LoadHeadImage();
    void LoadTailImage();
    void Picture1_Paint();
    void Picture2_Paint();

    int16_t i_size() const { return s_.i_size; }
    const std::string& AppStr() const { return s_.AppStr; }
    const std::string& installFolder() const { return installFolder_; }
    const PivraState& state() const { return s_; }
    bool building() const { return builder_.building() || renderBuilding_; }
    bool stopRequested() const { return stopRequested_; }
    FileSystem& fso() { return fso_; }

    const CDIBSection& HeadDib() const { return HeadDib_; }
    const CDIBSection& TailDib() const { return TailDib_; }
    const CDIBSection& FrameDib() const { return FrameDib_; }

private:
    // The build's controls: the view's, plus the stop asked for by a close.
    class BuildHooks : public BuildControls {
    public:
        explicit BuildHooks(Form1& f) : f_(f) {}
        bool hintVisible() const override { return f_.view_.hintVisible(); }
        void disablePreviewTimer() override { f_.view_.disablePreviewTimer(); }
        void setCreateCaption(const std::string& c) override { f_.view_.setCreateCaption(c); }
        void showProgress() override { f_.view_.showProgress(); }
        void setProgress(int v) override { f_.view_.setProgress(v); }
        int progress() const override { return f_.view_.progress(); }
        void yield() override { f_.view_.yield(); }
        bool stopRequested() const override { return f_.stopRequested_; }

    private:
        Form1& f_;
    };

    struct Side {
        std::string& file;
        const char* workingName;
        const char* what;  // "head" or "tail"
        CDIBSection& src;
        CDIBSection& dib;
        int label;
        Pane pane;
        std::optional<FileStamp>& stamp;  // the file as it was when imported
    };
    Side head() { return {s_.HeadFile, "ImagA.jpg", "head", HeadSrc_, HeadDib_, 1, Pane::Picture1, headStamp_}; }
    Side tail() { return {s_.TailFile, "ImagB.jpg", "tail", TailSrc_, TailDib_, 2, Pane::Picture2, tailStamp_}; }

    struct PendingPick {
        bool head;
        std::optional<std::string> file;  // none: the open dialog is shown
    };
    void choose(Side side);
    // A user's pick: imported whole, or nothing changes and the user is told why.
    void pick(Side side, const std::string& file);
    // The sides whose chosen file is no longer there, with that file.
    using Gone = std::vector<std::pair<const char*, std::string>>;
    void load(Side side, Gone& gone);
    // Those sides again (a new scale or crop), with one message for what is gone.
    void reload(std::initializer_list<Side> sides);
    void reloadBoth();
    void clearFace(Side side);
    bool importWorkingCopy(Side side, const std::string& file, std::string& reason);
    // What the user is told when an import failed: the working folder when
    // nothing can be written there, else the picture.
    std::string importFailure(const char* what, const std::string& file, const std::string& reason);
    // Before a build: a chosen picture changed on disk is imported again, so
    // that the build and the panes show the same; note says so. False (the
    // user told) when one is gone or no longer readable.
    bool freshenForBuild(std::string& note);
    void showFace(Side side);
    void runPendingWork();
    void paint(Side side);
    void applyLayout();
    void placeHints();
    void buildFromTick();
    // The coin look's build: drawn by the renderer straight from the pictures.
    BuildOutcome buildCoin();
    // What a build of this look at this size draws, for the renderer.
    RenderRequest renderRequest(LookKind look) const;
    // The page the next GIF is made for, as the encoders take it.
    EncodeSettings pageSettings() const;
    // A finished build's request, its settings and its pictures' stamps, for SAVE and Export.
    void keepRenderRequest(const RenderRequest& request, const EncodeSettings& settings);
    // The build kept on disk by an earlier run, when it made the animation in Work.
    void restoreKeptBuild();
    // The last build's pictures as they are now: false, with why, when one
    // is gone; note says which changed since (drawn as they are now).
    bool checkBuiltPictures(std::string& why, std::string& note) const;
    // SAVE's WebP, PNG and WebM of a build: drawn again from its pictures.
    bool saveRendered(AnimationFormat format, const std::string& name, std::string& why);
    // The coin look's frames for the preview, for the pictures as they are now.
    void prepareCoinPreview();
    // The preview's next coin frame, once they are all prepared; false while not.
    bool paintCoinFrame();

    FormView& view_;
    std::string installFolder_;
    FileSystem fso_;
    PivraState s_;
    CDIBSection HeadSrc_, TailSrc_, HeadDib_, TailDib_, MaskDib_, FrameDib_;
    ImageCommands commands_;
    BuildHooks hooks_{*this};
    SpinBuilder builder_;
    FolderLock windowLock_;  // the working root, held for the window's life
    std::string noWorkingFolder_;  // why none could be had
    bool workFolderReady_ = false;
    std::string pageColour_;
    std::optional<FileStamp> headStamp_, tailStamp_;
    bool stopRequested_ = false;
    std::optional<int16_t> pendingScale_;
    bool pendingReimport_ = false;
    std::vector<PendingPick> pendingPicks_;
    LookKind look_ = LookKind::Flat;
    int coinFrame_ = 0;  // the coin frame the preview shows
    CDIBSection CoinFrameDib_;
    CoinPreview coinPreview_;
    bool renderBuilding_ = false;
    // What the last build of this window drew; none before one finished.
    std::optional<RenderRequest> lastRendered_;
    EncodeSettings renderedSettings_;  // its page colour
    ExportChoices exportChoices_;
    std::optional<FileStamp> renderedHead_, renderedTail_;  // its pictures as they were drawn
    std::string saveNote_;  // what the user is told beside a saved file
    BackgroundJob buildJob_;  // last: joined before the rest goes
};

}  // namespace pivra
