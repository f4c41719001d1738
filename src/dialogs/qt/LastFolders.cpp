#include "LastFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace pivra {
namespace {

QString Key(FolderUse use) {
    return use == FolderUse::OpenPicture ? QStringLiteral("LastFolders/open") : QStringLiteral("LastFolders/save");
}

QSettings Settings() { return QSettings(QStringLiteral("PIVRA"), QStringLiteral("pivra")); }

}  // namespace

QString LastFolder(FolderUse use) {
    const QString folder = Settings().value(Key(use)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolder(FolderUse use, const QString& chosenFile) {
    if (chosenFile.isEmpty()) return;
    Settings().setValue(Key(use), QFileInfo(chosenFile).absolutePath());
}

}  // namespace pivra
