#include "SavePivra.h"

#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "render/ExportAnimation.h"

namespace pivra {

SaveOutcome SaveBtn_Click(SaveDialog& dialog, FileSystem& fso, const std::string& workRoot,
                          const RenderedSave& rendered) {
    const std::string animation = workRoot + "Work/pivra.gif";
    if (!fso.FileExists(animation)) {
        MessageBox("There is no Pivra to save yet.\nClick CREATE PIVRA to make one first.",
                   MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return SaveOutcome::NoAnimation;
    }
    SaveDialogRequest request{"", kSaveFilter, kSaveFilterIndex};
    const std::string name = dialog.AskSaveFileName(request);
    if (name.empty()) return SaveOutcome::Cancelled;
    // A typed .gif, .webp, .png or .webm picks the kind, as with pivra-make;
    // any other name takes the kind of the entry left selected.
    const AnimationFormat format = FormatOfName(name).value_or(
        request.filterIndex == kWebpFilterIndex   ? AnimationFormat::Webp
        : request.filterIndex == kApngFilterIndex ? AnimationFormat::Apng
        : request.filterIndex == kWebmFilterIndex ? AnimationFormat::Webm
                                                  : AnimationFormat::Gif);
    if (format != AnimationFormat::Gif) {
        std::string why;
        if (rendered ? rendered(format, name, why) : ExportBuiltAnimation(workRoot, format, WebpSettings{}, name, why))
            return SaveOutcome::Saved;
        MessageBox("The Pivra could not be saved.\n" + why, MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return SaveOutcome::Failed;
    }
    if (!fso.CopyFile(animation, name)) {
        MessageBox("The Pivra could not be saved.\n" + fso.lastError(), MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

}  // namespace pivra
