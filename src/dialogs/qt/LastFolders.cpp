#include "LastFolders.h"

#include <QDir>
#include <QFileInfo>

#include "dialogs/qt/PivraSettings.h"

namespace pivra {
namespace {

QString Key(FolderUse use) {
    return use == FolderUse::OpenPicture ? QStringLiteral("LastFolders/open") : QStringLiteral("LastFolders/save");
}

}  // namespace

QString LastFolder(FolderUse use) {
    const QString folder = PivraSettings().value(Key(use)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolder(FolderUse use, const QString& chosenFile) {
    if (chosenFile.isEmpty()) return;
    // Not checked on purpose: a folder that is not remembered only lets the
    // next dialog start elsewhere, not worth a message after every dialog.
    PivraSettings().setValue(Key(use), QFileInfo(chosenFile).absolutePath());
}

}  // namespace pivra
