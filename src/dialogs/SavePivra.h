#pragma once
// "SAVE PIVRA" and "Save the Pivra": a plain copy of the finished animation
// to a name the user picks in the save dialog, exactly as typed (no
// extension added), replacing a file of that name; or, on the WebP, PNG and
// WebM entries, the same animation rendered with real alpha.
#include <cstdint>
#include <functional>
#include <string>

namespace pivra {

class FileSystem;
enum class AnimationFormat;

// The save dialog's set-up: pairs of shown text and pattern separated by "|",
// the preselected entry counted from 1. The two animated kinds follow the
// plain copy's entries.
inline constexpr char kSaveFilter[] =
    "All Files (*.*)|*.*|GIF Files (*.gif)|*.gif|Animated WebP (*.webp)|*.webp|Animated PNG (*.png)|*.png|"
    "WebM Video (*.webm)|*.webm";
inline constexpr int16_t kSaveFilterIndex = 2;
inline constexpr int16_t kWebpFilterIndex = 3;
inline constexpr int16_t kApngFilterIndex = 4;
inline constexpr int16_t kWebmFilterIndex = 5;

struct SaveDialogRequest {
    std::string fileName;  // the name the dialog opens with
    std::string filter;
    // The entry the dialog opens on; when it closes, the one the user left
    // selected (as a common dialog's filter index reads afterwards).
    int16_t filterIndex = 1;
};

// The save dialog, answered by the user in the window and by the tests.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // The chosen file name; empty when the user cancelled.
    virtual std::string AskSaveFileName(SaveDialogRequest& request) = 0;
};

enum class SaveOutcome { Saved, Cancelled, NoAnimation, Failed };

// workRoot ends in "/"; the animation is workRoot + "Work/pivra.gif". With no
// finished animation the user is told so before any dialog; a copy that fails
// is reported with its reason. The copy is written beside the target and
// renamed into place, so a failure leaves an existing file as it was. The
// WebP, PNG and WebM entries, or a name ending in .webp, .png or .webm
// whatever the entry, render the faces kept with that animation (lossy WebP
// at quality 80), written the same way; a name ending in .gif is the plain copy.
//
// rendered, when given, writes the WebP, PNG and WebM files instead (the
// animation drawn by the renderer); false with why, one sentence or more.
using RenderedSave = std::function<bool(AnimationFormat format, const std::string& name, std::string& why)>;
SaveOutcome SaveBtn_Click(SaveDialog& dialog, FileSystem& fso, const std::string& workRoot,
                          const RenderedSave& rendered = {});

}  // namespace pivra
