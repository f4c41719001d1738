#pragma once
// The folders the open and save dialogs were last used in, kept between runs
// in the user's settings (organisation "PIVRA", application "pivra"), so the
// next dialog starts there. Pictures and saved animations are remembered
// apart: they usually live in different places.
#include <QString>

namespace pivra {

enum class FolderUse { OpenPicture, SaveAnimation };

// Where that dialog should start: the folder a file was last chosen in, while
// it still exists; empty (the dialog's own choice) otherwise.
QString LastFolder(FolderUse use);

// Remembers the folder of a file the user chose.
void RememberFolder(FolderUse use, const QString& chosenFile);

}  // namespace pivra
