#pragma once
// "SAVE PIVRA" and "Save the Pivra": a plain copy of the finished animation
// to a name the user picks in the save dialog, exactly as typed (no
// extension added), replacing a file of that name.
#include <cstdint>
#include <string>

namespace pivra {

class FileSystem;

// The save dialog's set-up: pairs of shown text and pattern separated by "|",
// the preselected entry counted from 1.
inline constexpr char kSaveFilter[] = "All Files (*.*)|*.*|GIF Files (*.gif)|*.gif";
inline constexpr int16_t kSaveFilterIndex = 2;

struct SaveDialogRequest {
    std::string fileName;  // the name the dialog opens with
    std::string filter;
    int16_t filterIndex = 1;
};

// The save dialog, answered by the user in the window and by the tests.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // The chosen file name; empty when the user cancelled.
    virtual std::string AskSaveFileName(const SaveDialogRequest& request) = 0;
};

enum class SaveOutcome { Saved, Cancelled, NoAnimation, Failed };

// workRoot ends in "/"; the animation is workRoot + "Work/pivra.gif". With no
// finished animation the user is told so before any dialog; a copy that fails
// is reported with its reason. The copy is written beside the target and
// renamed into place, so a failure leaves an existing file as it was.
SaveOutcome SaveBtn_Click(SaveDialog& dialog, FileSystem& fso, const std::string& workRoot);

}  // namespace pivra
