#include "SavePivra.h"

#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

namespace pivra {

SaveOutcome SaveBtn_Click(SaveDialog& dialog, FileSystem& fso, const std::string& workRoot) {
    const std::string animation = workRoot + "Work/pivra.gif";
    if (!fso.FileExists(animation)) {
        MessageBox("There is no Pivra to save yet.\nClick CREATE PIVRA to make one first.",
                   MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return SaveOutcome::NoAnimation;
    }
    const std::string name = dialog.AskSaveFileName({"", kSaveFilter, kSaveFilterIndex});
    if (name.empty()) return SaveOutcome::Cancelled;
    if (!fso.CopyFile(animation, name)) {
        MessageBox("The Pivra could not be saved.\n" + fso.lastError(), MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

}  // namespace pivra
